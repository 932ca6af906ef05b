#include "patch_copy.h"

#include <cstdio>
#include <cstring>

#include "platform/folders.h"

namespace setup {

namespace {

// Whether the ring, read from `start` round the ring, begins with `text` (including the
// zero byte at text[length - 1]).
bool RingStartsWith(const unsigned char *ring, unsigned start, const char *text,
                    std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (ring[(start + i) % kRingSize] != static_cast<unsigned char>(text[i]))
            return false;
    return true;
}

}  // namespace

int PatchCopy(const char *currentKey, const char *newKey, const char *sourcePath,
              const char *destPath) {
    if (currentKey == nullptr || newKey == nullptr || sourcePath == nullptr || destPath == nullptr)
        return 0;
    const std::size_t currentLength = std::strlen(currentKey) + 1;
    const std::size_t newLength = std::strlen(newKey) + 1;
    // A key with its zero byte must fit the 260-byte field, or the copy would be broken.
    if (newLength > kRingSize)
        return 0;
    // A library never overwrites its own file, whichever name reaches it.
    if (std::strcmp(sourcePath, destPath) == 0 || platform::SameFile(sourcePath, destPath))
        return 0;

    std::FILE *source = platform::OpenFileStream(sourcePath, "rb");
    if (source == nullptr)
        return 0;
    std::setvbuf(source, nullptr, _IOFBF, 4096);
    std::FILE *dest = platform::OpenFileStream(destPath, "wb");
    if (dest == nullptr) {
        std::fclose(source);
        return 0;
    }
    std::setvbuf(dest, nullptr, _IOFBF, 4096);

    unsigned char ring[kRingSize];
    std::size_t pending = std::fread(ring, 1, kRingSize, source);
    bool exhausted = pending < kRingSize;
    unsigned next = 0;  // slot of the next byte to write
    bool failed = false;
    while (pending > 0 && !failed) {
        // Only a full ring is examined: it then holds the next 260 bytes to be written.
        if (!exhausted && currentLength <= kRingSize &&
            RingStartsWith(ring, next, currentKey, currentLength)) {
            for (std::size_t i = 0; i < newLength; ++i)
                ring[(next + i) % kRingSize] = static_cast<unsigned char>(newKey[i]);
        }
        failed = std::fputc(ring[next], dest) == EOF;
        if (!exhausted) {
            const int c = std::fgetc(source);
            if (c != EOF) {
                ring[next] = static_cast<unsigned char>(c);
                next = (next + 1) % kRingSize;
                continue;
            }
            exhausted = true;
        }
        next = (next + 1) % kRingSize;
        --pending;
    }
    failed = failed || std::ferror(source) != 0;
    std::fclose(source);
    // A copy cut short (a full disk) must not pass for a good one.
    failed = std::fclose(dest) != 0 || failed;
    return failed ? 0 : 1;
}

}  // namespace setup
