// Files that are written whole or not at all: each goes to a temporary file beside its
// place, is flushed to the disk and only then renamed over the old one, so that a full
// disk or a killed process leaves the old file as it was. Failures throw InputError with
// a Dutch message naming the file.
#pragma once

#include <cstdint>
#include <cstdio>
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

// A scratch file in the folder that is gone once closed (and if the program dies): for
// data that would not fit in memory. Throws InputError (Dutch) when it cannot be made.
std::FILE *OpenScratchFile(const std::string &folder);

// A file written piece by piece under a temporary name beside its place, parts of it
// written over later; Finish flushes it to the disk and returns the name for
// CommitTemporary. Until then, the destructor removes it. Its name marks it as the live
// work of this process, which RemoveLeftovers of another keeps.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string &path);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    void Append(const std::uint8_t *data, std::size_t size);
    void WriteAt(std::size_t at, const std::uint8_t *data, std::size_t size);
    std::size_t Size() const { return size_; }
    std::string Finish();

  private:
    void Flush();

    std::string path_, name_;
    int fd_ = -1;
    std::size_t size_ = 0;
    std::string buffer_;  // appended bytes not yet written
};

// Whether a file of a folder (by its name) was left behind by an earlier, killed run:
// temporary files of programs that still run are not.
bool LeftBehind(const std::string &fileName);

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
