// ReadSetting and WriteSetting of LXA_Utils.
#include "viewer/core/LXA_Utils.h"

namespace {

// Settings hold book names and program paths: UTF-8 texts like every name the viewer has.
constexpr platform::RegText kText = platform::RegText::Utf8;

bool ReadValue(platform::RegRoot root, const std::string &key, const std::string &name,
               std::string &value) {
    platform::RegKey opened;
    if (platform::RegOpenKey(root, key, platform::RegAccess::Read, opened, kText) !=
        platform::kRegOk)
        return false;
    // A value of another type counts as missing: a setting is always a text.
    return platform::RegGetString(opened, name, value) == platform::kRegOk;
}

bool WriteValue(platform::RegRoot root, const std::string &key, const std::string &name,
                const std::string &value) {
    platform::RegKey opened;
    if (platform::RegCreateKey(root, key, opened, kText) != platform::kRegOk)
        return false;
    if (platform::RegSetString(opened, name, value) != platform::kRegOk)
        return false;
    std::string stored;
    return platform::RegGetString(opened, name, stored) == platform::kRegOk;
}

}  // namespace

std::string ReadSetting(platform::RegRoot primary, std::optional<platform::RegRoot> fallback,
                        const std::string &key, const std::string &name,
                        const std::string &defaultValue) {
    std::string value;
    if (ReadValue(primary, key, name, value))
        return value;
    if (fallback && ReadValue(*fallback, key, name, value))
        return value;
    return defaultValue;
}

void WriteSetting(platform::RegRoot primary, std::optional<platform::RegRoot> fallback,
                  const std::string &key, const std::string &name, const std::string &value) {
    if (!WriteValue(primary, key, name, value) && fallback)
        WriteValue(*fallback, key, name, value);
}
