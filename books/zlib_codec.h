// zlib-format compression of blocks, and the inflate that reads them back.
#pragma once

#include "books/bytes.h"

namespace books {

Bytes Compress(const Bytes &plain);

// Inflates a complete zlib stream; throws InputError when it is damaged or truncated.
Bytes Inflate(const std::uint8_t *data, std::size_t size);

}  // namespace books
