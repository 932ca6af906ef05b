#include <windows.h>

#include "msgbox.h"
#include "msgbox_log.h"
#include "wide_text_win.h"

namespace platform {

namespace {

// Writes all bytes to a file handle; false when a write fails.
bool WriteAll(HANDLE file, const std::string &bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                         &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

void ShowMessageBox(const std::string &caption, const std::string &text, MsgIcon icon) {
    // A program without a console has no standard error; nothing is written then.
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE)
        WriteAll(error, caption + ": " + text + "\n");
    if (MessageBoxesLogged()) {
        const HANDLE log =
            ::CreateFileW(win::WidePath(MessageBoxLogFile()).c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log != INVALID_HANDLE_VALUE) {
            // One write per record, appended: records of several processes never interleave.
            WriteAll(log, MessageBoxLogRecord(caption, text, icon));
            ::CloseHandle(log);
        }
        return;
    }
    const UINT style = icon == MsgIcon::Error         ? MB_ICONERROR
                       : icon == MsgIcon::Warning     ? MB_ICONWARNING
                       : icon == MsgIcon::Information ? MB_ICONINFORMATION
                                                      : 0;
    // No owner: the libraries have no window; the box stays above the caller's windows.
    ::MessageBoxW(nullptr, win::Widen(text).c_str(), win::Widen(caption).c_str(),
                  MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | style);
}

}  // namespace platform
