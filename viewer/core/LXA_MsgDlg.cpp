#include "viewer/core/LXA_MsgDlg.h"

#include <iostream>
#include <utility>

#include "viewer/core/Screen.h"

namespace {

TDialogHandler &Handler() {
    static TDialogHandler handler;
    return handler;
}

// In the order the box shows them.
constexpr TDialogButton kButtons[] = {
    {mbYes, "&Ja", mrYes},
    {mbNo, "&Nee", mrNo},
    {mbOK, "OK", mrOk},
    {mbCancel, "Annuleren", mrCancel},
    {mbAbort, "&Afbreken", mrAbort},
    {mbRetry, "&Opnieuw proberen", mrRetry},
    {mbIgnore, "&Negeren", mrIgnore},
    {mbAll, "&Alles", mrAll},
    {mbNoToAll, "N&ee op Alles", mrNoToAll},
    {mbYesToAll, "Ja op &Alles", mrYesToAll},
    {mbHelp, "&Help", mrHelp},
};

// Without a screen (a terminal tool that set no handler) the message must not be lost:
// it goes to standard error, and a question counts as no.
int ShowOnStandardError(const TDialogRequest &request) {
    std::cerr << request.Caption << ": " << request.Text << std::endl;
    return request.Kind == TMsgDlgType::Confirmation ? mrNo : mrOk;
}

int ShowDialog(const std::string &text, TMsgDlgType kind, TMsgDlgButtons buttons,
               std::int32_t group, std::int32_t number) {
    TDialogRequest request{text, kind, DialogCaption(kind), {}, group, number, buttons};
    for (const TDialogButton &button : kButtons)
        if ((buttons & button.Button) != 0)
            request.ButtonTexts.push_back(button.Text);
    if (Handler())
        return Handler()(request);
    if (Screen().ShowDialog)
        return Screen().ShowDialog(request);
    return ShowOnStandardError(request);
}

}  // namespace

TDialogHandler SetDialogHandler(TDialogHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

std::span<const TDialogButton> DialogButtons() {
    return kButtons;
}

std::string DialogCaption(TMsgDlgType kind) {
    switch (kind) {
        case TMsgDlgType::Warning:
            return "Waarschuwing";
        case TMsgDlgType::Error:
            return "Fout";
        case TMsgDlgType::Information:
            return "Informatie";
        case TMsgDlgType::Confirmation:
            return "Bevestiging";
    }
    return {};
}

int ShowMessageDialog(const std::string &text, TMsgDlgType kind, TMsgDlgButtons buttons) {
    return ShowDialog(text, kind, buttons, 0, 0);
}

void ShowErrorFmt(std::string_view format, std::initializer_list<TFormatArg> args,
                  std::int32_t group, std::int32_t number) {
    ShowDialog(Format(format, args), TMsgDlgType::Error, mbOK, group, number);
}

void ShowError(const std::string &text, std::int32_t group, std::int32_t number) {
    ShowDialog(text, TMsgDlgType::Error, mbOK, group, number);
}

int AskYesNoFmt(std::string_view format, std::initializer_list<TFormatArg> args, std::int32_t group,
                std::int32_t number) {
    return ShowDialog(Format(format, args), TMsgDlgType::Confirmation, mbYes | mbNo, group, number);
}
