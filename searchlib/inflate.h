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
   otherwise LEXQ_S_INFLATE, LEXQ_S_NOMEM or LEXQ_S_CORRUPT.
   Where the build has a whole-buffer inflater, it takes every block that inflates to
   exactly expected bytes inside the buffer as it is; all others go through zlib's stream
   inflater, so that statuses and buffer growth are zlib's in either build. */
lexq_status lexq_decompress(const uint8_t *data, uint32_t length, uint32_t step, uint32_t expected,
                            lexq_growbuf *buffer, uint32_t *produced);

/* Test seam (not exported from the shared library). */
typedef enum lexq_inflate_mode {
    LEXQ_INFLATE_FAST,       /* the whole-buffer inflater where the build has one */
    LEXQ_INFLATE_ZLIB,       /* zlib's stream inflater for every block */
    LEXQ_INFLATE_CROSSCHECK, /* as FAST, and zlib inflates each fast block again to compare */
} lexq_inflate_mode;
/* Sets the mode and resets the counters below. */
void lexq_seam_inflate_mode(lexq_inflate_mode mode);
/* Whether the build has the whole-buffer inflater. */
bool lexq_seam_inflate_has_fast(void);
/* Blocks the whole-buffer inflater took, and (CROSSCHECK) those of them whose zlib
   inflation ended otherwise or with other bytes. */
unsigned long lexq_seam_inflate_fast_count(void);
unsigned long lexq_seam_inflate_mismatches(void);

#endif
