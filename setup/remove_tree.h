// Deletes an installation folder with everything in it, as far as it can.
#pragma once

#include <string>

namespace setup {

// Files first, then subfolders depth first, then the folder itself. Read-only files and
// folders are made writable first. Links are removed as links and no other mount is
// entered, so nothing outside the folder is touched. Reports trouble in message boxes
// ("ERROR" for a file that stays read-only, "WARNING" for a folder that stays) and goes on.
void RemoveTree(const std::string &dir);

}  // namespace setup
