// The real registry. A key handle of this layer keeps its root and path; each call opens
// the key, does its work through the wide calls of advapi32 and closes it again, so that
// handles stay plain values that can be moved and dropped without a system call.
#include <cstring>
#include <string>

#include "encoding.h"
#include "hive.h"
#include "registry.h"
#include "registry_access.h"
#include "wide_text_win.h"
#include "win32.h"

namespace platform {

std::string RegistryHiveFile(RegRoot root) {
    // Windows keeps its hives itself; the root's name is all a message can say.
    return RegRootName(root);
}

namespace {

HKEY RootKey(RegRoot root) {
    return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

REGSAM Rights(RegAccess access) {
    return access == RegAccess::All ? KEY_ALL_ACCESS : KEY_READ;
}

// An open system key, closed when it goes out of scope.
class SystemKey {
  public:
    SystemKey() = default;
    ~SystemKey() {
        if (key_ != nullptr && owned_)
            ::RegCloseKey(key_);
    }
    SystemKey(const SystemKey &) = delete;
    SystemKey &operator=(const SystemKey &) = delete;

    // Opens a key below a root by its UTF-8 path (the root itself for an empty path).
    long Open(RegRoot root, const std::string &stored, REGSAM rights) {
        if (stored.empty()) {
            key_ = RootKey(root);
            owned_ = false;
            return kRegOk;
        }
        owned_ = true;
        return ::RegOpenKeyExW(RootKey(root), win::Widen(stored).c_str(), 0, rights, &key_);
    }
    long Open(const RegKey &key, REGSAM rights) {
        if (!key.IsOpen())
            return kRegInvalidParameter;
        const long status = Open(key.Root(), RegistryAccess::StoredPath(key), rights);
        // The handle outlived its key.
        return status == ERROR_FILE_NOT_FOUND ? kRegKeyDeleted : status;
    }
    HKEY Get() const { return key_; }

  private:
    HKEY key_ = nullptr;
    bool owned_ = false;
};

}  // namespace

long OpenStored(RegRoot root, const std::string &normal, RegAccess access, RegText text,
                RegKey &key) {
    key.Close();
    SystemKey opened;
    if (const long status = opened.Open(root, normal, Rights(access)); status != kRegOk)
        return status;
    std::string path;
    if (const long status = TextFromStore(text, normal, path); status != kRegOk)
        return status;
    RegistryAccess::Set(key, root, normal, path, access, text);
    return kRegOk;
}

namespace {

// The data of a value as the system stores it, and its type.
long ReadRaw(HKEY key, const std::wstring &name, DWORD &type, std::string &bytes) {
    for (;;) {
        DWORD size = static_cast<DWORD>(bytes.size());
        const long status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                               reinterpret_cast<BYTE *>(bytes.data()), &size);
        if (status == ERROR_SUCCESS) {
            bytes.resize(size);
            return kRegOk;
        }
        if (status != ERROR_MORE_DATA)
            return status;
        bytes.resize(size > bytes.size() ? size : bytes.size() * 2 + 64);
    }
}

// Stored UTF-16 text (with or without terminators) as UTF-8; a multi-string keeps its
// inner zeros.
std::string TextOfData(const std::string &bytes, bool multi) {
    std::wstring wide(bytes.size() / 2, L'\0');
    if (!wide.empty())
        std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    if (multi) {
        while (wide.size() >= 2 && wide.back() == L'\0' && wide[wide.size() - 2] == L'\0')
            wide.pop_back();
    } else if (const std::size_t end = wide.find(L'\0'); end != std::wstring::npos) {
        wide.resize(end);
    }
    return win::Narrow(wide);
}

}  // namespace

long RegCreateKey(RegRoot root, std::string_view path, RegKey &key, RegText text) {
    key.Close();
    std::string stored;
    if (const long status = NameToStore(text, path, stored); status != kRegOk)
        return status;
    const std::string normal = NormalizeKeyPath(stored);
    if (!normal.empty()) {
        HKEY created = nullptr;
        const long status =
            ::RegCreateKeyExW(RootKey(root), win::Widen(normal).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &created, nullptr);
        if (status != ERROR_SUCCESS)
            return status;
        ::RegCloseKey(created);
    }
    std::string facePath;
    if (const long status = TextFromStore(text, normal, facePath); status != kRegOk)
        return status;
    RegistryAccess::Set(key, root, normal, facePath, RegAccess::All, text);
    return kRegOk;
}

long RegGetValue(const RegKey &key, std::string_view name, RegType &type, std::string &data) {
    std::string storedName;
    if (const long status = NameToStore(key.Text(), name, storedName); status != kRegOk)
        return status;
    SystemKey opened;
    if (const long status = opened.Open(key, KEY_QUERY_VALUE); status != kRegOk)
        return status;
    DWORD storedType = REG_NONE;
    std::string bytes(256, '\0');
    if (const long status = ReadRaw(opened.Get(), win::Widen(storedName), storedType, bytes);
        status != kRegOk)
        return status;
    const RegType found = static_cast<RegType>(storedType);
    if (IsTextType(found))
        bytes = TextOfData(bytes, found == RegType::MultiString);
    if (const long status = ValueFromStore(key, found, bytes, data); status != kRegOk)
        return status;
    type = found;
    return kRegOk;
}

long RegSetValue(const RegKey &key, std::string_view name, RegType type, std::string_view data) {
    std::string storedName;
    std::string storedData;
    if (const long status = ValueToStore(key, name, type, data, storedName, storedData);
        status != kRegOk)
        return status;
    std::string bytes = storedData;
    if (IsTextType(type)) {
        // Texts are stored in UTF-16 with their terminator.
        const std::wstring wide = win::Widen(storedData) + L'\0';
        bytes.assign(reinterpret_cast<const char *>(wide.data()), wide.size() * sizeof(wchar_t));
    }
    SystemKey opened;
    if (const long status = opened.Open(key, KEY_SET_VALUE); status != kRegOk)
        return status;
    return ::RegSetValueExW(opened.Get(), win::Widen(storedName).c_str(), 0,
                            static_cast<DWORD>(type), reinterpret_cast<const BYTE *>(bytes.data()),
                            static_cast<DWORD>(bytes.size()));
}

long RegEnumSubKey(const RegKey &key, std::uint32_t index, std::string &name) {
    SystemKey opened;
    if (const long status = opened.Open(key, KEY_ENUMERATE_SUB_KEYS); status != kRegOk)
        return status;
    wchar_t buffer[256];  // a key name has at most 255 characters
    DWORD length = 256;
    const long status =
        ::RegEnumKeyExW(opened.Get(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    return TextFromStore(key.Text(), win::Narrow(std::wstring_view(buffer, length)), name);
}

long RegEnumValue(const RegKey &key, std::uint32_t index, std::string &name, RegType &type) {
    SystemKey opened;
    if (const long status = opened.Open(key, KEY_QUERY_VALUE); status != kRegOk)
        return status;
    std::wstring buffer(16384, L'\0');  // a value name has at most 16383 characters
    DWORD length = static_cast<DWORD>(buffer.size());
    DWORD storedType = REG_NONE;
    const long status = ::RegEnumValueW(opened.Get(), index, buffer.data(), &length, nullptr,
                                        &storedType, nullptr, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    if (const long converted =
            TextFromStore(key.Text(), win::Narrow(std::wstring_view(buffer.data(), length)), name);
        converted != kRegOk)
        return converted;
    type = static_cast<RegType>(storedType);
    return kRegOk;
}

long RegDeleteValue(const RegKey &key, std::string_view name) {
    std::string storedName;
    if (const long status = NameToChange(key, name, storedName); status != kRegOk)
        return status;
    SystemKey opened;
    if (const long status = opened.Open(key, KEY_SET_VALUE); status != kRegOk)
        return status;
    return ::RegDeleteValueW(opened.Get(), win::Widen(storedName).c_str());
}

long RegDeleteKey(RegRoot root, std::string_view path, RegText text) {
    std::string stored;
    if (const long status = NameToStore(text, path, stored); status != kRegOk)
        return status;
    const std::string normal = NormalizeKeyPath(stored);
    if (normal.empty())
        return kRegAccessDenied;
    // Only a key without subkeys can be deleted.
    return ::RegDeleteKeyW(RootKey(root), win::Widen(normal).c_str());
}

long RegDeleteSubKey(const RegKey &parent, std::string_view name) {
    std::string stored;
    if (const long status = NameToChange(parent, name, stored); status != kRegOk)
        return status;
    if (NormalizeKeyPath(stored).empty())
        return kRegInvalidParameter;
    return RegDeleteKey(parent.Root(), JoinPath(RegistryAccess::StoredPath(parent), stored),
                        RegText::Utf8);
}

long RegDeleteTree(const RegKey &key, std::string_view subKey) {
    std::string stored;
    if (const long status = NameToChange(key, subKey, stored); status != kRegOk)
        return status;
    const std::string below = NormalizeKeyPath(stored);
    SystemKey opened;
    if (const long status = opened.Open(key, KEY_ALL_ACCESS); status != kRegOk)
        return status;
    // Without a name: every subkey and value of the key itself, which stays.
    return ::RegDeleteTreeW(opened.Get(), below.empty() ? nullptr : win::Widen(below).c_str());
}

}  // namespace platform
