#include "lookup.h"

#include <stddef.h>
#include <string.h>

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

lexq_status lexq_lookup(lexq_dictionary *d, const char *key) {
    d->hit_count = 0;
    lexq_child leaf;
    lexq_status status = lexq_descend(d, key, &leaf);
    if (status != LEXQ_OK)
        return status;
    const lexq_leaf_entry *entry;
    status = lexq_leaf_find(d, &leaf, key, &entry);
    if (status != LEXQ_OK || entry == NULL)
        return status;
    /* The hit list and the text slots have room for hit-limit many hits. */
    if (entry->ref_count > d->hit_limit)
        return LEXQ_S_NOMEM;
    status = lexq_collect_hits(d, entry);
    if (status != LEXQ_OK)
        d->hit_count = 0;
    return status;
}
