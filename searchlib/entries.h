/* The sorted entries of an index node or a leaf block, searched by key. */
#ifndef LEXQ_ENTRIES_H
#define LEXQ_ENTRIES_H

#include <stddef.h>
#include <stdint.h>

/* Lower bound over count sorted entries of stride bytes whose first field is their key:
   the index of the first entry whose key is not less than key (count when there is none).
   Of equal keys the first is found. */
uint32_t lexq_lower_bound(const void *entries, size_t stride, uint32_t count, const char *key);

#endif
