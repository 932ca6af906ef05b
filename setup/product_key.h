// Removing the product's registry key: the shortcut files it names and its subkeys.
#pragma once

#include "platform/registry.h"

namespace setup {

// Deletes the shortcut files named by "ScMenu", "ScDesk" and "ScUnin", then every subkey.
void ClearProductKey(const platform::RegKey &key);
// Deletes every subkey of `key`, depth first; the values go with their keys.
void DeleteSubkeys(const platform::RegKey &key);

// Reads a value into a 260-byte buffer like the Windows call would (kRegMoreData when it
// does not fit); the text is always terminated. The status of the read.
long ReadValue260(const platform::RegKey &key, const char *name, char (&buffer)[260]);

}  // namespace setup
