/* Every heap block of the search library comes from here: one place that refuses sizes
   no sane dictionary needs, and a test seam that makes allocations fail on demand. */
#ifndef LEXQ_ALLOC_H
#define LEXQ_ALLOC_H

#include <stddef.h>

/* Header fields drive most buffer sizes. No real dictionary needs a single buffer above
   64 MiB or more than 256 MiB held by the library at once; a request beyond either
   fails like an exhausted heap, instead of letting a hostile file take gigabytes. */
#define LEXQ_MAX_BLOCK ((size_t)64 << 20)
#define LEXQ_MAX_TOTAL ((size_t)256 << 20)

/* Uninitialised block of size bytes (0 is allowed); null on failure. */
void *lexq_alloc(size_t size);
/* Zero-filled block of count * size bytes, the product checked for overflow. */
void *lexq_alloc_zero(size_t count, size_t size);
/* Resizes block (null: a new one) keeping its contents; on failure null, block untouched. */
void *lexq_realloc(void *block, size_t size);
void lexq_free(void *block);

/* Test seam (not exported from the shared library). */
/* Fails the nth allocation from now (1 = the next), or every one from the nth on; 0: none. */
void lexq_seam_alloc_fail(unsigned long nth, bool onward);
/* Lowers the cap on the total held (0 restores it), so fuzzing spends no time on
   buffers that only a hostile header asks for. */
void lexq_seam_alloc_total_cap(size_t cap);
/* Allocations attempted since the last lexq_seam_alloc_fail. */
unsigned long lexq_seam_alloc_count(void);
/* Blocks and bytes held right now. */
long lexq_seam_alloc_live_blocks(void);
size_t lexq_seam_alloc_live_bytes(void);
/* Size asked for by the most recent successful lexq_alloc. */
size_t lexq_seam_alloc_last_size(void);

#endif
