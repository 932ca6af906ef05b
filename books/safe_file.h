// Files that are written whole or not at all: each goes to a temporary file beside its
// place, is flushed to the disk and only then renamed over the old one, so that a full
// disk or a killed process leaves the old file as it was. Failures throw InputError with
// a Dutch message naming the file.
#pragma once

#include <string>
#include <string_view>

namespace books {

// Writes data to a new temporary file in the folder of `path` and flushes it to the disk;
// returns the temporary file's name.
std::string WriteTemporaryBeside(const std::string &path, std::string_view data);
// Renames the temporary file over `path` and flushes the folder's entry to the disk.
void CommitTemporary(const std::string &temporary, const std::string &path);
// Removes a file if it is there; never fails.
void RemoveQuietly(const std::string &path) noexcept;
// Reads a whole file; false when it is not there or cannot be read.
bool ReadWholeFile(const std::string &path, std::string &contents);
// Creates the folder and its parents (for the user only).
void MakeFolders(const std::string &folder);

// Holds an exclusive lock on a file (created when missing) while it lives, so that two
// programs changing one catalogue take turns.
class FolderLock {
  public:
    explicit FolderLock(const std::string &lockFile);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

  private:
    int fd_ = -1;
};

}  // namespace books
