// Writes a product key as an installer would, for the uninstaller tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace tktest {

inline void WriteProductKey(platform::RegRoot root, const std::string &key,
                            const std::vector<std::pair<std::string, std::string>> &values) {
    platform::RegKey open;
    ASSERT_EQ(platform::RegCreateKey(root, key, open), platform::kRegOk);
    for (const auto &[name, value] : values)
        ASSERT_EQ(platform::RegSetString(open, name, value), platform::kRegOk);
}

inline bool KeyExists(platform::RegRoot root, const std::string &key) {
    platform::RegKey open;
    return platform::RegOpenKey(root, key, platform::RegAccess::Read, open) == platform::kRegOk;
}

}  // namespace tktest
