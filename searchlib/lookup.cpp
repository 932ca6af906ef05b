#include "lookup.h"

lexq_status lexq_lookup(lexq_dictionary *d, const char *key) {
    d->hit_count = 0;
    lexq_child leaf;
    lexq_status status = lexq_descend(d, key, &leaf, NULL);
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
