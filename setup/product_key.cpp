#include "product_key.h"

#include <algorithm>
#include <string>

#include "platform/folders.h"

namespace setup {

namespace {

// A shortcut value names a file by its full name; a relative name (which would depend on
// the caller's working folder) or a folder is never deleted.
bool IsShortcutFile(const std::string &path) {
    return platform::IsAbsolutePath(path) && !platform::IsRealFolder(path);
}

}  // namespace

long ReadValue260(const platform::RegKey &key, const char *name, std::string &text) {
    text.clear();
    platform::RegType type = platform::RegType::None;
    std::string data;
    const long status = platform::RegGetValue(key, name, type, data);
    if (status != platform::kRegOk)
        return status;
    const bool isText =
        type == platform::RegType::String || type == platform::RegType::ExpandString;
    // A UTF-8 text counts its characters, not its bytes, as the Windows buffer would.
    const std::size_t size =
        isText ? static_cast<std::size_t>(std::count_if(
                     data.begin(), data.end(), [](char c) { return (c & 0xC0) != 0x80; })) +
                     1
               : data.size();
    if (size > 260)
        return platform::kRegMoreData;
    // The value's type is not checked, so its bytes may lack a terminator.
    text = data.substr(0, std::min(data.find('\0'), isText ? data.size() : std::size_t{259}));
    return status;
}

void ClearProductKey(const platform::RegKey &key) {
    for (const char *name : {"ScMenu", "ScDesk", "ScUnin"}) {
        std::string file;
        if (ReadValue260(key, name, file) == platform::kRegOk && IsShortcutFile(file))
            platform::DeleteFileEntry(file);  // silently, also when it is gone already
    }
    DeleteSubkeys(key);
}

void DeleteSubkeys(const platform::RegKey &key) {
    // One change for the whole tree: a key with thousands of subkeys goes in one rewrite
    // of the hive instead of one per subkey.
    platform::RegDeleteTree(key, "");
}

}  // namespace setup
