// Removing the product's registry key: the shortcut files it names and its subkeys.
#pragma once

#include <string>

#include "platform/registry.h"

namespace setup {

// Deletes the shortcut files named by "ScMenu", "ScDesk" and "ScUnin", then every subkey.
void ClearProductKey(const platform::RegKey &key);
// Deletes every subkey of `key` with everything below it, in one change of the registry.
// The key's own values go as well: the key itself goes next.
void DeleteSubkeys(const platform::RegKey &key);

// Reads a value as into a Windows buffer of 260 characters: kRegMoreData when it does not
// fit (a text with its terminator, other data by its bytes). The text ends at its first
// zero. The status of the read.
long ReadValue260(const platform::RegKey &key, const char *name, std::string &text);

}  // namespace setup
