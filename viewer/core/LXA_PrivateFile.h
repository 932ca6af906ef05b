// Files in a folder of the user's own for temporary files, safe against another user who
// planted a link or a folder of that name first.
#pragma once

#include <string>

// Creates the folder (mode 0700 where the system has modes) when missing and tells whether
// it is usable: a real folder, no link, owned by this user; it is then closed to others.
bool EnsurePrivateFolder(const std::string &folder);

// The user's own folder called `name` for temporary files, made usable by
// EnsurePrivateFolder: inside the temporary folder `temp` when that folder is the user's
// alone; else inside the user's runtime folder; else `name` followed by "-" and the user's
// number inside `temp`, which others share. Empty when none of them can be had.
std::string PrivateTempFolder(const std::string &temp, const std::string &name);

// Creates or replaces the file, never following a link nor writing into another user's
// file, and writes the bytes. False on failure, with the system's reason in `error`.
bool WritePrivateFile(const std::string &path, const std::string &bytes, std::string &error);
