// What the registry backends share: the key handle, and the edge between a handle's
// encoding and the UTF-8 in which names and texts are kept.
#include <cstring>
#include <optional>

#include "encoding.h"
#include "hive.h"
#include "registry.h"
#include "registry_access.h"

namespace platform {

RegKey::RegKey(RegKey &&other) noexcept
    : open_(other.open_),
      root_(other.root_),
      path_(std::move(other.path_)),
      storedPath_(std::move(other.storedPath_)),
      access_(other.access_),
      text_(other.text_) {
    other.open_ = false;
}

RegKey &RegKey::operator=(RegKey &&other) noexcept {
    open_ = other.open_;
    root_ = other.root_;
    path_ = std::move(other.path_);
    storedPath_ = std::move(other.storedPath_);
    access_ = other.access_;
    text_ = other.text_;
    other.open_ = false;
    return *this;
}

const char *RegRootName(RegRoot root) {
    return root == RegRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// The edge between a handle's encoding and the store's UTF-8. Names cannot hold line
// breaks, which would end their line in the file.
long NameToStore(RegText text, std::string_view name, std::string &stored) {
    if (name.find_first_of("\r\n") != std::string_view::npos)
        return kRegInvalidParameter;
    if (text == RegText::Cp1252) {
        stored = Cp1252ToUtf8(name);
    } else if (IsUtf8(name)) {
        stored.assign(name);
    } else {
        return kRegNoUnicodeTranslation;
    }
    return kRegOk;
}

long TextFromStore(RegText text, std::string_view stored, std::string &out) {
    if (text == RegText::Utf8) {
        out.assign(stored);
        return kRegOk;
    }
    std::optional<std::string> converted = Utf8ToCp1252Exact(stored);
    if (!converted)
        return kRegNoUnicodeTranslation;
    out = std::move(*converted);
    return kRegOk;
}

bool IsTextType(RegType type) {
    return type == RegType::String || type == RegType::ExpandString || type == RegType::MultiString;
}

long DataToStore(RegText text, RegType type, std::string_view data, std::string &stored) {
    if (!IsTextType(type)) {
        stored.assign(data);
        return kRegOk;
    }
    if (text == RegText::Cp1252) {
        stored = Cp1252ToUtf8(data);
        return kRegOk;
    }
    if (!IsUtf8(data))
        return kRegNoUnicodeTranslation;
    stored.assign(data);
    return kRegOk;
}

long NameToChange(const RegKey &key, std::string_view name, std::string &stored) {
    if (!key.IsOpen())
        return kRegInvalidParameter;
    if (!key.Writable())
        return kRegAccessDenied;
    return NameToStore(key.Text(), name, stored);
}

long ValueToStore(const RegKey &key, std::string_view name, RegType type, std::string_view data,
                  std::string &storedName, std::string &storedData) {
    if (const long status = NameToChange(key, name, storedName); status != kRegOk)
        return status;
    return DataToStore(key.Text(), type, data, storedData);
}

long ValueFromStore(const RegKey &key, RegType type, std::string_view stored, std::string &data) {
    if (!IsTextType(type)) {
        data.assign(stored);
        return kRegOk;
    }
    return TextFromStore(key.Text(), stored, data);
}

std::string JoinPath(std::string_view parent, std::string_view child) {
    std::string joined(parent);
    joined += '\\';
    joined.append(child);
    return NormalizeKeyPath(joined);
}

long RegQueryValue(const RegKey &key, std::string_view name, RegType *type, void *buffer,
                   std::size_t &size) {
    RegType storedType = RegType::None;
    std::string data;
    if (const long status = RegGetValue(key, name, storedType, data); status != kRegOk)
        return status;
    const bool text = storedType == RegType::String || storedType == RegType::ExpandString;
    if (text)
        data += '\0';
    if (type != nullptr)
        *type = storedType;
    const std::size_t room = size;
    size = data.size();
    if (buffer == nullptr)
        return kRegOk;
    if (room < data.size())
        return kRegMoreData;
    std::memcpy(buffer, data.data(), data.size());
    return kRegOk;
}

long RegGetString(const RegKey &key, std::string_view name, std::string &value) {
    value.clear();
    RegType type = RegType::None;
    std::string data;
    if (const long status = RegGetValue(key, name, type, data); status != kRegOk)
        return status;
    if (type != RegType::String && type != RegType::ExpandString)
        return kRegUnsupportedType;
    value = std::move(data);
    return kRegOk;
}

long RegSetString(const RegKey &key, std::string_view name, std::string_view value) {
    return RegSetValue(key, name, RegType::String, value);
}

long RegSetDword(const RegKey &key, std::string_view name, std::uint32_t value) {
    char bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return RegSetValue(key, name, RegType::Dword, std::string_view(bytes, 4));
}

long RegOpenKey(RegRoot root, std::string_view path, RegAccess access, RegKey &key, RegText text) {
    key.Close();
    std::string stored;
    if (const long status = NameToStore(text, path, stored); status != kRegOk)
        return status;
    return OpenStored(root, NormalizeKeyPath(stored), access, text, key);
}

long RegOpenSubKey(const RegKey &parent, std::string_view name, RegAccess access, RegKey &key) {
    if (!parent.IsOpen())
        return kRegInvalidParameter;
    std::string stored;
    if (const long status = NameToStore(parent.Text(), name, stored); status != kRegOk)
        return status;
    return OpenStored(parent.Root(), JoinPath(RegistryAccess::StoredPath(parent), stored), access,
                      parent.Text(), key);
}

}  // namespace platform
