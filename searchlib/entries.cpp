#include "entries.h"

#include <string.h>

#include "dictionary.h"

/* The binary search reads an entry's key from its first field. */
static_assert(offsetof(lexq_node_entry, key) == 0, "node entries start with their key");
static_assert(offsetof(lexq_leaf_entry, key) == 0, "leaf entries start with their key");

uint32_t lexq_lower_bound(const void *entries, size_t stride, uint32_t count, const char *key) {
    const char *base = (const char *)entries;
    uint32_t lo = 0;
    uint32_t n = count;
    while (n > 0) {
        const uint32_t half = n / 2;
        const uint32_t mid = lo + half;
        const char *entry_key;
        memcpy(&entry_key, base + (size_t)mid * stride, sizeof entry_key);
        if (strcmp(entry_key, key) < 0) {
            lo = mid + 1;
            n = n - half - 1;
        } else {
            n = half;
        }
    }
    return lo;
}
