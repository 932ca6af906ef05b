// The viewer's message dialogs: a modal message box with Dutch captions and button texts.
// Texts are UTF-8: a dialog quotes file names, book names and system messages, which may be
// in any script.
// The core builds each dialog as a request; the screen shows it (Screen.h), unless a handler
// set here takes it first, which is where tests and the terminal tool see and answer it.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/core/LXA_Format.h"

enum class TMsgDlgType { Warning, Error, Information, Confirmation };

// The platform's buttons, combined as flags.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
using TMsgDlgButtons = unsigned;

// Modal results, as the platform numbers them.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;
inline constexpr int mrAll = 8;
inline constexpr int mrNoToAll = 9;
inline constexpr int mrYesToAll = 10;
inline constexpr int mrHelp = 11;

// A dialog as the box shows it.
struct TDialogRequest {
    std::string Text;  // UTF-8, as shown
    TMsgDlgType Kind;
    std::string Caption;                   // UTF-8 window title
    std::vector<std::string> ButtonTexts;  // UTF-8, every button of the box in its order
    std::int32_t Group;                    // 0 when the dialog is no error report
    std::int32_t Number;
    TMsgDlgButtons Buttons;
};

// A button of the box: its Dutch text (ASCII) and the modal result it gives.
struct TDialogButton {
    TMsgDlgBtn Button;
    const char *Text;
    int Result;
};
// Every button, in the order a box shows them.
std::span<const TDialogButton> DialogButtons();

// With a handler set, dialogs are built but not shown: the handler gets each one and
// returns its modal result. Returns the previous handler; an empty one restores showing.
using TDialogHandler = std::function<int(const TDialogRequest &)>;
TDialogHandler SetDialogHandler(TDialogHandler handler);

// The Dutch window caption of a dialog kind.
std::string DialogCaption(TMsgDlgType kind);

int ShowMessageDialog(const std::string &text, TMsgDlgType kind, TMsgDlgButtons buttons);

// An error report with OK; raises EConvertError when the format does not fit its arguments.
void ShowErrorFmt(std::string_view format, std::initializer_list<TFormatArg> args,
                  std::int32_t group, std::int32_t number);
// An error report of a text shown verbatim ("%s" stays "%s").
void ShowError(const std::string &text, std::int32_t group, std::int32_t number);
// A yes/no question; returns mrYes or another result that counts as no.
int AskYesNoFmt(std::string_view format, std::initializer_list<TFormatArg> args, std::int32_t group,
                std::int32_t number);
