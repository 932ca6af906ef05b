#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "msgbox.h"
#include "msgbox_log.h"
#include "posix_io.h"
#include "process_posix.h"
#include "shell.h"

namespace platform {

namespace {

using posix::WriteAll;

bool HasDesktop() {
    const char *x = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

void ShowDialog(const std::string &title, const std::string &body, MsgIcon icon) {
    if (std::string zenity = FindProgram("zenity"); !zenity.empty()) {
        const char *kind = icon == MsgIcon::Error     ? "--error"
                           : icon == MsgIcon::Warning ? "--warning"
                                                      : "--info";
        posix::RunAndWait({zenity, kind, "--no-markup", "--title=" + title, "--text=" + body});
    } else if (std::string kdialog = FindProgram("kdialog"); !kdialog.empty()) {
        const char *kind = icon == MsgIcon::Error     ? "--error"
                           : icon == MsgIcon::Warning ? "--sorry"
                                                      : "--msgbox";
        posix::RunAndWait({kdialog, "--title", title, kind, body});
    } else if (std::string xmessage = FindProgram("xmessage"); !xmessage.empty()) {
        posix::RunAndWait(
            {xmessage, "-title", title, "-buttons", "OK:0", "-default", "OK", "-center", body});
    }
}

}  // namespace

void ShowMessageBox(const std::string &caption, const std::string &text, MsgIcon icon) {
    WriteAll(STDERR_FILENO, caption + ": " + text + "\n");
    if (MessageBoxesLogged()) {
        const int fd = ::open(MessageBoxLogFile(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            // One write per record, so records of several processes never interleave.
            WriteAll(fd, MessageBoxLogRecord(caption, text, icon));
            ::close(fd);
        }
        return;
    }
    if (HasDesktop())
        ShowDialog(caption, text, icon);
}

}  // namespace platform
