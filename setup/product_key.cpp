#include "product_key.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/folders.h"

namespace setup {

namespace {

// A shortcut value names a file by its full name; a relative name (which would depend on
// the caller's working folder) or a folder is never deleted.
bool IsShortcutFile(const std::string &path) {
    return platform::IsAbsolutePath(path) && !platform::IsRealFolder(path);
}

}  // namespace

long ReadValue260(const platform::RegKey &key, const char *name, char (&buffer)[260]) {
    std::size_t size = sizeof buffer;
    const long status = platform::RegQueryValue(key, name, nullptr, buffer, size);
    if (status != platform::kRegOk) {
        buffer[0] = '\0';
        return status;
    }
    // The value's type is not checked, so its bytes may lack a terminator.
    buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
    return status;
}

void ClearProductKey(const platform::RegKey &key) {
    for (const char *name : {"ScMenu", "ScDesk", "ScUnin"}) {
        char file[260];
        if (ReadValue260(key, name, file) == platform::kRegOk && IsShortcutFile(file))
            platform::DeleteFileEntry(file);  // silently, also when it is gone already
    }
    DeleteSubkeys(key);
}

void DeleteSubkeys(const platform::RegKey &key) {
    std::vector<std::string> names;
    std::string name;
    // Collect first: deleting while enumerating would shift the indexes.
    for (std::uint32_t index = 0; platform::RegEnumSubKey(key, index, name) == platform::kRegOk;
         ++index) {
        if (name.size() < 1000)
            names.push_back(name);
    }
    for (const std::string &subName : names) {
        platform::RegKey sub;
        if (platform::RegOpenSubKey(key, subName, platform::RegAccess::All, sub) ==
            platform::kRegOk) {
            DeleteSubkeys(sub);
            sub.Close();
        }
        platform::RegDeleteSubKey(key, subName);
    }
}

}  // namespace setup
