// libFuzzer target whose mutator works inside the decompressed leaf and text blocks: it
// inflates one stored block, mutates the plain bytes, compresses them again and writes
// them back in place, so that the parsers behind zlib see well-formed streams.
#include <dlfcn.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "fuzz_input.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t *data, std::size_t size, std::size_t max);

namespace {

// Blocks of the seeds are a few KiB; room to grow, and no more.
constexpr std::uint32_t kMaxPlain = 256 * 1024;

using CipherFn = void (*)(std::uint32_t position, std::uint8_t *data, std::uint32_t length);

std::uint32_t Le32(const std::uint8_t *p) {
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}
void PutLe32(std::uint8_t *p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The cipher of an enciphered input: XOR with a keystream, so one routine both ways.
CipherFn Cipher() {
    static CipherFn fn = [] {
        void *library = ::dlopen(LEXQ_FUZZ_CRYPT_DIR "/crypt.so", RTLD_NOW);
        return library ? reinterpret_cast<CipherFn>(::dlsym(library, "decrypt")) : nullptr;
    }();
    return fn;
}

struct Block {
    std::size_t offset;      // of the 10-byte header
    std::uint32_t position;  // relative to its section, as the cipher sees it
};

// Blocks lie back to back after their section header, up to the next section or the end.
void CollectBlocks(const std::uint8_t *data, std::size_t size, std::size_t start, std::size_t end,
                   std::vector<Block> &blocks) {
    const std::size_t first = start;
    while (start + 10 <= end && end <= size) {
        const std::uint32_t stored = Le32(data + start);
        if (stored > end - start - 10)
            break;
        blocks.push_back({start, static_cast<std::uint32_t>(start - first)});
        start += 10 + stored;
    }
}

bool MutateBlock(std::uint8_t *data, std::size_t size, const Block &block, unsigned seed) {
    const std::uint32_t stored = Le32(data + block.offset);
    std::uint8_t *payload = data + block.offset + 10;
    const bool enciphered = data[36] != 0;
    if (enciphered && Cipher() == nullptr)
        return false;
    std::vector<std::uint8_t> cipherText(payload, payload + stored);
    if (enciphered)
        Cipher()(block.position, cipherText.data(), stored);

    // The header's decompressed length may itself be a mutation: trust it only so far.
    const std::uint32_t stated = Le32(data + block.offset + 4);
    if (stated > kMaxPlain)
        return false;
    std::vector<std::uint8_t> plain(std::max<std::uint32_t>(stated, 16) * 2 + 64);
    uLongf plainSize = plain.size();
    if (::uncompress(plain.data(), &plainSize, cipherText.data(), stored) != Z_OK)
        return false;
    plainSize = LLVMFuzzerMutate(plain.data(), plainSize, plain.size());

    // The new stream must fit in the old payload: trailing bytes after it are never read.
    std::vector<std::uint8_t> packed(compressBound(plainSize));
    uLongf packedSize = packed.size();
    if (::compress2(packed.data(), &packedSize, plain.data(), plainSize, 9) != Z_OK ||
        packedSize > stored)
        return false;
    std::memcpy(cipherText.data(), packed.data(), packedSize);
    std::mt19937 random(seed);
    for (std::size_t i = packedSize; i < stored; ++i)
        cipherText[i] = static_cast<std::uint8_t>(random());
    if (enciphered)
        Cipher()(block.position, cipherText.data(), stored);
    std::memcpy(payload, cipherText.data(), stored);
    PutLe32(data + block.offset + 4, static_cast<std::uint32_t>(plainSize));
    return true;
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t *data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    std::mt19937 random(seed);
    if (size >= 37 && random() % 8 != 0) {
        // A UTF-8 book gives its section offsets after the file header.
        const bool utf8 = size >= 49 && std::memcmp(data, "TAALKIST-LEXQ U8", 16) == 0;
        const std::uint8_t *offsets = data + (utf8 ? 37 : 24);
        const std::size_t text = Le32(offsets), leaf = Le32(offsets + 4), index = Le32(offsets + 8);
        auto sectionEnd = [&](std::size_t s) {
            std::size_t end = size;
            for (std::size_t other : {text, leaf, index})
                if (other > s && other < end)
                    end = other;
            return end;
        };
        std::vector<Block> blocks;
        if (leaf < size)
            CollectBlocks(data, size, leaf + 12, sectionEnd(leaf), blocks);
        if (text < size)
            CollectBlocks(data, size, text + 8, sectionEnd(text), blocks);
        if (!blocks.empty() && MutateBlock(data, size, blocks[random() % blocks.size()], seed))
            return size;
    }
    // Now and then, or when no block could be reworked: plain byte mutations.
    return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    RunDictionaryFile(data, size);
    return 0;
}
