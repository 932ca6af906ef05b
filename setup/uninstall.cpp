#include "uninstall.h"

#include <string>

#include "platform/encoding.h"
#include "platform/folders.h"
#include "platform/lasterror.h"
#include "platform/msgbox.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "product_key.h"
#include "remove_tree.h"

namespace setup {

namespace {

using platform::RegRoot;

// The key and its values are read in UTF-8, the encoding of the file names they hold.
constexpr platform::RegText kText = platform::RegText::Utf8;

// Reads "Path" of the key under one root; the status of the last registry call made.
long ReadInstallPath(RegRoot root, const std::string &masterKey, std::string &path) {
    platform::RegKey key;
    const long status = platform::RegOpenKey(root, masterKey, platform::RegAccess::All, key, kText);
    if (status != platform::kRegOk)
        return status;
    return ReadValue260(key, "Path", path);
}

// Refuses folders whose removal could only be a mistake: no path, a relative one, a link,
// or one of the folders the platform protects (the system's, and every home and user
// folder with the folders above them). A plain file exists and passes: the removal then
// only fails to remove it as a folder.
bool UsableFolder(const std::string &path) {
    const bool exists = platform::IsRealFolder(path) || platform::IsRealFile(path);
    return platform::IsAbsolutePath(path) && exists && !platform::IsProtectedFolder(path);
}

void RemoveProductKey(RegRoot root, const std::string &masterKey) {
    platform::RegKey key;
    if (platform::RegOpenKey(root, masterKey, platform::RegAccess::All, key, kText) !=
        platform::kRegOk)
        return;
    ClearProductKey(key);
    key.Close();
    platform::RegDeleteKey(root, masterKey, kText);
}

}  // namespace

int UninstallProduct(const char *keyField) {
    // The installation program writes the key in UTF-8, or in Windows-1252 if that is
    // what it speaks; it is read as a user's text is.
    const std::string masterKey = platform::UserTextToUtf8(keyField);
    std::string path;
    long status = ReadInstallPath(RegRoot::LocalMachine, masterKey, path);
    if (status != platform::kRegOk)
        status = ReadInstallPath(RegRoot::CurrentUser, masterKey, path);
    if (status != platform::kRegOk) {
        std::string reason = platform::SystemErrorText(static_cast<int>(status));
        if (reason.empty())
            reason = "Unknown error in UninstUninitialize";
        platform::ShowMessageBox("ERROR",
                                 "Error retrieving registry key " + masterKey + "\\" + "Path" +
                                     "\nin HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER:\n" + reason,
                                 platform::MsgIcon::Error);
        return -1;
    }
    std::string folder = path;
    // "/opt/x/" would reach through a link named x, so the check names the folder without
    // the slash; the removal then uses the name as written, as its messages quote it.
    while (folder.size() > 1 && folder.back() == platform::kPathDelim)
        folder.pop_back();
    if (!UsableFolder(folder)) {
        platform::ShowMessageBox("ERROR", "Unable to access path: " + path,
                                 platform::MsgIcon::Error);
        return -1;
    }
    RemoveTree(path);
    RemoveProductKey(RegRoot::LocalMachine, masterKey);
    RemoveProductKey(RegRoot::CurrentUser, masterKey);
    return 0;
}

}  // namespace setup
