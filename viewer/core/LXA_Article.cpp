// ShellOpen, GetTempDirectory and SaveArticle of LXA_Utils.
#include "platform/lasterror.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_PrivateFile.h"
#include "viewer/core/LXA_Utils.h"

namespace {

// The system's temporary folder when it names none.
std::string FallbackTempDirectory() {
    return platform::kPathDelim == '\\' ? "c:\\tmp" : "/tmp";
}

std::string TimeStamp(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &local);
    return buffer;
}

// One parameter for the command-line splitting of the shell: quoted, so that a folder
// with blanks stays one argument.
std::string QuoteParameter(const std::string &text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string TextEditor() {
    const std::string regKey = LXAData != nullptr ? LXAData->Paths.RegKey : std::string();
    const std::string configured =
        ReadSetting(platform::RegRoot::CurrentUser, platform::RegRoot::LocalMachine, regKey,
                    "TextEditor", "notepad.exe");
    if (!platform::FindProgram(configured).empty())
        return configured;
    // The Windows default rarely exists elsewhere: take the desktop's own editor then.
    const std::string desktop = platform::DesktopTextEditor();
    return desktop.empty() ? configured : desktop;
}

}  // namespace

void ShellOpen(const std::string &file, const std::string &parameters) {
    bool opened = false;
    {
        TWaitCursor wait;
        opened = platform::ShellOpen(file, parameters);
    }
    if (!opened)
        throw EGeneral(platform::LastErrorText());
}

std::string GetTempDirectory() {
    return platform::TempDirectory();
}

void SaveArticle(const std::string &text) {
    SaveArticle(text, std::time(nullptr));
}

void SaveArticle(const std::string &text, std::time_t when) {
    std::string temp = GetTempDirectory();
    if (temp.empty())
        temp = FallbackTempDirectory();
    // The folder is the user's own: one that another user made (or planted a link as) is
    // never written into, and a shared temporary folder gets a name of the user's own.
    const std::string folder = PrivateTempFolder(temp, "morvelt");
    if (folder.empty()) {
        ShowErrorFmt(
            "Het artikel kan niet worden opgeslagen: in '%s' is geen map voor tijdelijke "
            "bestanden te maken die alleen van u is.",
            {temp}, 8, 1);
        return;
    }
    const std::string path = platform::IncludeTrailingDelimiter(folder) + TimeStamp(when) + ".html";
    std::string why;
    if (!WritePrivateFile(path, text, why))
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {path, why}));
    if (AskYesNoFmt("Het artikel is opgeslagen als '%s', wilt u dit openen met Notepad?", {path}, 0,
                    0) != mrYes)
        return;
    ShellOpen(TextEditor(), QuoteParameter(path));
}
