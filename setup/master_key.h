// The registry key of the installed product, planted into a copy of this library's file
// by SETUP_InstallDll; the library as built holds a placeholder.
#pragma once

#include <cstddef>

inline constexpr std::size_t kMasterKeySize = 260;
inline constexpr char kMasterKeyPlaceholder[] = "@: Master Database Registry Key 0 :@";

// Lives in the file's initialised data, zero-padded to its full size, so that a byte
// search of the file finds it.
extern "C" char MasterRegistryKey[kMasterKeySize];
