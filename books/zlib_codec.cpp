#include "books/zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace books {

Bytes Compress(const Bytes &plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    Bytes packed(size);
    // Blocks are written once and read often: the best compression pays off.
    const int rc = compress2(packed.data(), &size, plain.data(), static_cast<uLong>(plain.size()),
                             Z_BEST_COMPRESSION);
    if (rc != Z_OK)
        throw std::runtime_error("zlib compression failed: " + std::to_string(rc));
    packed.resize(size);
    return packed;
}

Bytes Inflate(const std::uint8_t *data, std::size_t size) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw std::runtime_error("zlib inflateInit failed");
    stream.next_in = const_cast<Bytef *>(data);
    stream.avail_in = static_cast<uInt>(size);
    Bytes out;
    // Room for a few times the input first: blocks are small, and zeroing 64 KiB for each
    // one cost more than inflating it.
    std::size_t room = std::clamp<std::size_t>(size * 4, 4096, 65536);
    int rc = Z_OK;
    while (rc == Z_OK) {
        const std::size_t done = out.size();
        out.resize(done + room);
        stream.next_out = out.data() + done;
        stream.avail_out = static_cast<uInt>(room);
        rc = inflate(&stream, Z_NO_FLUSH);
        out.resize(done + (room - stream.avail_out));
        room = 65536;
    }
    inflateEnd(&stream);
    // A truncated stream stops with Z_BUF_ERROR, a damaged one with Z_DATA_ERROR.
    if (rc != Z_STREAM_END)
        throw InputError("a block does not decompress (zlib)");
    return out;
}

}  // namespace books
