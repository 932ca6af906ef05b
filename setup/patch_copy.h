// Copies a file byte for byte while replacing a zero-terminated key text inside it.
#pragma once

namespace setup {

inline constexpr unsigned kRingSize = 260;

// Copies SourcePath to DestPath, writing NewKey and its zero byte wherever CurrentKey and
// its zero byte begin a full 260-byte window of the source. 1 when the copy was written
// completely, 0 when nothing usable was written (same file, unreadable source, unwritable
// destination, a key that does not fit 260 bytes, or a failed write).
int PatchCopy(const char *currentKey, const char *newKey, const char *sourcePath,
              const char *destPath);

}  // namespace setup
