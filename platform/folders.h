// Removing folder trees safely, and the folders that must never be removed. Used by the
// uninstaller and its installation tool.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace platform {

// What a tree removal could not do, told as it happens.
struct TreeRemovalReport {
    // A read-only file that could not be made writable; its deletion is still tried.
    std::function<void(const std::string &file, const std::string &folder)> fileStaysReadOnly;
    // A folder that could not be removed.
    std::function<void(const std::string &folder)> folderStays;
};

// Deletes `dir` with everything in it: in each folder the files first, then each
// subfolder depth first, then the folder itself. The walk goes by open folder handles:
// each folder is opened relative to its parent, never through a link and never across a
// mount point (another file system, or a bind mount of the same one), so a rename while
// it runs cannot send it elsewhere and its depth is limited by nothing but the tree.
// Read-only files and folders are made writable first. Names in reports are `dir` as
// written, "/" and the names below it. Whatever cannot be deleted stays; the walk goes on.
void RemoveFolderTree(const std::string &dir, const TreeRemovalReport &report);

// A folder whose removal could only be a mistake, whatever a setting says: the list and
// its reasons are in protected_posix.cpp.
bool IsProtectedFolder(const std::string &path);

// Deletes a file, or a link itself. False on failure.
bool DeleteFileEntry(const std::string &path);
// A folder here, not a link to one.
bool IsRealFolder(const std::string &path);
// A plain file here, not a link to one.
bool IsRealFile(const std::string &path);
bool IsAbsolutePath(const std::string &path);
// Both names lead to the same existing file.
bool SameFile(const std::string &a, const std::string &b);

// A C stream on the file named `path` (UTF-8), as std::fopen opens it; std::fopen itself
// would read the name in the ANSI code page on Windows. Null on failure.
std::FILE *OpenFileStream(const std::string &path, const char *mode);

// The full file name of the program or library that holds `address`; empty on failure.
std::string ModuleFileName(const void *address);

}  // namespace platform
