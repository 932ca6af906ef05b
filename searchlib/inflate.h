/* Growing decompression buffers and the inflation of a stored zlib block into them. */
#ifndef LEXQ_INFLATE_H
#define LEXQ_INFLATE_H

#include <stdint.h>

#include "status.h"

/* A cache slot's decompression buffer: it only grows, and keeps its size until close. */
typedef struct lexq_growbuf {
    uint8_t *data;
    uint32_t capacity; /* bytes allocated */
} lexq_growbuf;

/* Growth steps: every buffer size is rounded up to a whole number of them. */
#define LEXQ_LEAF_STEP 4096u
#define LEXQ_TEXT_STEP 32768u

/* Makes the buffer hold at least size bytes, rounded up to step; keeps its contents.
   LEXQ_S_NOMEM when it cannot grow (the buffer is then as it was). */
lexq_status lexq_ensure(lexq_growbuf *buffer, uint64_t size, uint32_t step);

/* Inflates the zlib stream (data, length) into buffer, growing it by step while inflate
   asks for room. expected is the block header's decompressed length: producing more
   than that stops at once with LEXQ_S_CORRUPT. On LEXQ_OK *produced is the output size;
   otherwise LEXQ_S_INFLATE, LEXQ_S_NOMEM or LEXQ_S_CORRUPT. */
lexq_status lexq_decompress(const uint8_t *data, uint32_t length, uint32_t step, uint32_t expected,
                            lexq_growbuf *buffer, uint32_t *produced);

#endif
