// Plain message boxes for programs and libraries without a window of their own.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class MsgIcon { None, Error, Warning, Information };

// Shows a modal box with one OK button and returns when it is closed. Caption and text
// are UTF-8, as the file names they quote. The text "caption: text" always goes to
// standard error as well. When TAALKIST_MSGBOX_LOG names
// a file, a record is appended there instead of showing a dialog (tests, scripts).
void ShowMessageBox(const std::string &caption, const std::string &text, MsgIcon icon);

// Whether TAALKIST_MSGBOX_LOG names a file: programs with dialogs of their own then record
// them through ShowMessageBox instead of showing them, answering OK (or no to a question).
bool MessageBoxesLogged();

// One box as recorded in the TAALKIST_MSGBOX_LOG file.
struct MessageBoxRecord {
    std::string caption;
    MsgIcon icon = MsgIcon::None;
    std::string text;
};

// Reads back every record of a TAALKIST_MSGBOX_LOG file, oldest first.
std::vector<MessageBoxRecord> ReadMessageBoxLog(const std::string &file);

const char *MsgIconName(MsgIcon icon);

}  // namespace platform
