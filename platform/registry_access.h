// Inside the registry backends: setting up key handles, and converting names and texts
// between a handle's encoding and UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "registry.h"

namespace platform {

class RegistryAccess {
  public:
    static void Set(RegKey &key, RegRoot root, std::string storedPath, std::string path,
                    RegAccess access, RegText text) {
        key.open_ = true;
        key.root_ = root;
        key.storedPath_ = std::move(storedPath);
        key.path_ = std::move(path);
        key.access_ = access;
        key.text_ = text;
    }
    static const std::string &StoredPath(const RegKey &key) { return key.storedPath_; }
};

// A name in the handle's encoding as UTF-8; names cannot hold line breaks.
long NameToStore(RegText text, std::string_view name, std::string &stored);
// A UTF-8 text in the handle's encoding; kRegNoUnicodeTranslation when it cannot hold it.
long TextFromStore(RegText text, std::string_view stored, std::string &out);
bool IsTextType(RegType type);
// Value data in the handle's encoding as kept: texts as UTF-8, other types as they are.
long DataToStore(RegText text, RegType type, std::string_view data, std::string &stored);
// The first steps of every change through a key, alike in both backends: the key must be
// open and writable, and the name (of a value or a subkey) is given as the store keeps it.
long NameToChange(const RegKey &key, std::string_view name, std::string &stored);
// A value about to be written through key, its name and data as the store keeps them.
long ValueToStore(const RegKey &key, std::string_view name, RegType type, std::string_view data,
                  std::string &storedName, std::string &storedData);
// A value's data as the store keeps it, in the key's encoding: texts converted, other
// types as they are.
long ValueFromStore(const RegKey &key, RegType type, std::string_view stored, std::string &data);
// The backend's one way in: opens a key named by its normalised stored path, the handle
// speaking `text`.
long OpenStored(RegRoot root, const std::string &normal, RegAccess access, RegText text,
                RegKey &key);
// "parent\\child", normalised.
std::string JoinPath(std::string_view parent, std::string_view child);

}  // namespace platform
