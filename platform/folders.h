// Walking and removing folder trees safely: links are never followed and another
// mounted file system is never entered. Used by the uninstaller.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class EntryKind {
    File,        // anything that is deleted as a file (regular files, pipes, ...)
    Folder,      // a folder on the same file system as the one listed
    Link,        // a symbolic link; removed as a link, never followed
    MountPoint,  // a folder of another mounted file system; never entered
};

struct FolderEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    bool readOnly = false;  // a file its owner may not write (no owner write bit)
};

// Every entry of `dir`, "." and ".." included, in the order the system delivers them.
// False when `dir` is not a folder (a link to one is not) or cannot be read.
bool ListFolder(const std::string &dir, std::vector<FolderEntry> &entries);

// Makes a read-only file writable for its owner; links are left alone. False on failure.
bool MakeWritable(const std::string &file);
// Deletes a file, or a link itself. False on failure.
bool DeleteFileEntry(const std::string &path);
// Removes an empty folder (never one reached through a link). False on failure.
bool RemoveEmptyFolder(const std::string &dir);

// A folder here, not a link to one.
bool IsRealFolder(const std::string &path);
bool IsAbsolutePath(const std::string &path);
// The file system's root, the user's home folder or one of its parents: folders that an
// uninstaller must never delete, whatever a setting says.
bool IsProtectedFolder(const std::string &path);
// Both names lead to the same existing file.
bool SameFile(const std::string &a, const std::string &b);

// The full file name of the program or library that holds `address`; empty on failure.
std::string ModuleFileName(const void *address);

}  // namespace platform
