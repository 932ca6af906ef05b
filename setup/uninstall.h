// Removing the installed product: its folder, its shortcuts and its registry key.
#pragma once

namespace setup {

// Removes what the key `keyField` (under the local machine, else the current user)
// describes. 0 when the removal ran; -1 when the key's "Path" could not be read or the
// folder cannot be used (a message box says which, and nothing was deleted).
int UninstallProduct(const char *keyField);

}  // namespace setup
