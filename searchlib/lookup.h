/* The lookup of a search key: index descent, the leaf block, and hit collection. */
#ifndef LEXQ_LOOKUP_H
#define LEXQ_LOOKUP_H

#include "dictionary.h"

/* Where a node or block lies: its position in its section, its size and entry count. */
typedef struct lexq_child {
    uint32_t position;
    uint32_t size;
    uint16_t count;
} lexq_child;

/* Lower bound over count sorted entries of stride bytes whose first field is their key:
   the index of the first entry whose key is not less than key (count when there is none).
   Of equal keys the first is found. */
uint32_t lexq_lower_bound(const void *entries, size_t stride, uint32_t count, const char *key);

/* Descends the index tree from the root to the leaf block for key. */
lexq_status lexq_descend(lexq_dictionary *dict, const char *key, lexq_child *leaf);

/* Loads the leaf block (unless cached) and finds the entry whose key equals key;
 *found is null when there is none. */
lexq_status lexq_leaf_find(lexq_dictionary *dict, const lexq_child *leaf, const char *key,
                           const lexq_leaf_entry **found);

/* Fills the hit list from the entry's hit references, loading text blocks as needed. */
lexq_status lexq_collect_hits(lexq_dictionary *dict, const lexq_leaf_entry *entry);

/* The whole lookup: on LEXQ_OK the dictionary's hit list holds the hits (maybe none). */
lexq_status lexq_lookup(lexq_dictionary *dict, const char *key);

#endif
