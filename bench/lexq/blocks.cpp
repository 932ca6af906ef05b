#include "blocks.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>
#ifdef LEXQ_BENCH_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t> &b, std::size_t at) {
    if (at + 4 > b.size())
        throw std::runtime_error("dictionary file too short");
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

// Blocks lie back to back from the first byte after the section header to the section's end.
std::vector<StoredBlock> Section(const std::vector<std::uint8_t> &file, std::uint64_t start,
                                 std::uint64_t end) {
    std::vector<StoredBlock> blocks;
    while (start + 10 <= end) {
        StoredBlock block{start, Le32(file, start), Le32(file, start + 4)};
        blocks.push_back(block);
        start += 10 + std::uint64_t(block.stored);
    }
    return blocks;
}

}  // namespace

FileBlocks ScanBlocks(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    if (file.size() < 37)
        throw std::runtime_error("not a dictionary file: " + path);
    if (file[36] != 0)
        throw std::runtime_error("the benchmark needs a plain dictionary");
    // A UTF-8 book gives its section offsets after the file header.
    const bool utf8 = std::equal(file.begin(), file.begin() + 16, "TAALKIST-LEXQ U8");
    const std::size_t at = utf8 ? 37 : 24;
    const std::uint64_t text = Le32(file, at), leaf = Le32(file, at + 4),
                        index = Le32(file, at + 8);
    auto sectionEnd = [&](std::uint64_t s) {
        std::uint64_t end = file.size();
        for (std::uint64_t other : {text, leaf, index})
            if (other > s)
                end = std::min(end, other);
        return end;
    };
    FileBlocks blocks;
    blocks.leaves = Section(file, leaf + 12, sectionEnd(leaf));
    blocks.texts = Section(file, text + 8, sectionEnd(text));
    if (blocks.leaves.empty() || blocks.texts.empty())
        throw std::runtime_error("no leaf or text blocks found in " + path);
    return blocks;
}

void ReadAndInflate(int fd, const StoredBlock &block, std::vector<std::uint8_t> &work,
                    std::vector<std::uint8_t> &out) {
    work.resize(10 + std::size_t(block.stored));
    if (::pread(fd, work.data(), work.size(), off_t(block.offset)) != ssize_t(work.size()))
        throw std::runtime_error("short read");
    out.resize(block.plain);
#ifdef LEXQ_BENCH_LIBDEFLATE
    static libdeflate_decompressor *const inflater = libdeflate_alloc_decompressor();
    if (libdeflate_zlib_decompress(inflater, work.data() + 10, block.stored, out.data(),
                                   block.plain, nullptr) != LIBDEFLATE_SUCCESS)
        throw std::runtime_error("block does not inflate");
#else
    uLongf produced = block.plain;
    if (::uncompress(out.data(), &produced, work.data() + 10, block.stored) != Z_OK ||
        produced != block.plain)
        throw std::runtime_error("block does not inflate");
#endif
}

const char *FloorInflater() {
#ifdef LEXQ_BENCH_LIBDEFLATE
    return "libdeflate";
#else
    return "zlib";
#endif
}
