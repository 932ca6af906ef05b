// Little-endian integers in byte buffers, written and read with bounds checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "books/diagnostics.h"

namespace books {

using Bytes = std::vector<std::uint8_t>;

inline void PutU8(Bytes &out, std::uint8_t v) {
    out.push_back(v);
}
inline void PutU16(Bytes &out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutU32(Bytes &out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void PutBytes(Bytes &out, const void *data, std::size_t size) {
    const auto *p = static_cast<const std::uint8_t *>(data);
    out.insert(out.end(), p, p + size);
}
inline void PutU32At(Bytes &out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Reads fields from [data, data + size); a read past the end throws InputError
// naming what was being read.
class ByteReader {
  public:
    ByteReader(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Pos() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }
    void Seek(std::size_t pos, const char *what) {
        if (pos > size_)
            Fail(what);
        pos_ = pos;
    }
    std::uint8_t U8(const char *what) {
        Need(1, what);
        return data_[pos_++];
    }
    std::uint16_t U16(const char *what) {
        Need(2, what);
        const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t U32(const char *what) {
        Need(4, what);
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | data_[pos_ + i];
        pos_ += 4;
        return v;
    }
    const std::uint8_t *Take(std::size_t n, const char *what) {
        Need(n, what);
        const std::uint8_t *p = data_ + pos_;
        pos_ += n;
        return p;
    }
    // A zero-terminated string; the terminator must lie inside the buffer.
    std::string CString(const char *what) {
        std::size_t end = pos_;
        while (end < size_ && data_[end] != 0)
            ++end;
        if (end == size_)
            Fail(what);
        std::string s(reinterpret_cast<const char *>(data_ + pos_), end - pos_);
        pos_ = end + 1;
        return s;
    }

  private:
    void Need(std::size_t n, const char *what) const {
        if (n > size_ - pos_)
            Fail(what);
    }
    [[noreturn]] static void Fail(const char *what) {
        throw InputError(std::string("the file ends inside ") + what);
    }

    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace books
