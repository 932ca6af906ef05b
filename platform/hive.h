// One registry hive in memory, and its text form: the Windows ".reg" export format
// (UTF-8 on disk, Windows-1252 bytes in memory). Used by the file-backed registry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "registry.h"

namespace platform {

struct HiveValue {
    std::string name;  // empty: the key's default value ("@")
    RegType type = RegType::String;
    std::string data;  // strings without terminator; other types their raw bytes
};

struct HiveKey {
    std::string root;  // "HKEY_CURRENT_USER", ...
    std::string path;  // below the root, backslash-separated, no leading backslash
    std::vector<HiveValue> values;
};

// Keys in file order; a key's parents always come before it.
class Hive {
  public:
    // Reads the text of a .reg file. Never fails: lines it cannot understand are skipped.
    static Hive Parse(std::string_view text);
    std::string Serialize() const;

    HiveKey *Find(std::string_view root, std::string_view path);
    const HiveKey *Find(std::string_view root, std::string_view path) const;
    // Finds or creates the key and any missing parents.
    HiveKey &Create(std::string_view root, std::string_view path);
    // Names of the direct subkeys, in file order.
    std::vector<std::string> Children(std::string_view root, std::string_view path) const;
    // Removes the key and everything below it.
    void RemoveTree(std::string_view root, std::string_view path);

    static HiveValue *FindValue(HiveKey &key, std::string_view name);
    static const HiveValue *FindValue(const HiveKey &key, std::string_view name);
    static void SetValue(HiveKey &key, std::string_view name, RegType type, std::string data);
    static bool RemoveValue(HiveKey &key, std::string_view name);

    const std::vector<HiveKey> &Keys() const { return keys_; }

  private:
    std::vector<HiveKey> keys_;
};

// "\\a\\b\\\\c\\" -> "a\\b\\c": key paths compare without empty parts.
std::string NormalizeKeyPath(std::string_view path);

}  // namespace platform
