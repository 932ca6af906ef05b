/* The leaf block of a key, cached in the leaf slot, and the key's entry in it. */
#ifndef LEXQ_LEAF_H
#define LEXQ_LEAF_H

#include "dictionary.h"

/* Loads the leaf block into the leaf slot, unless the slot holds it already. */
lexq_status lexq_leaf_load(lexq_dictionary *dict, const lexq_child *leaf);

/* Loads the leaf block (unless cached) and finds the entry whose key equals key;
 *found is null when there is none. */
lexq_status lexq_leaf_find(lexq_dictionary *dict, const lexq_child *leaf, const char *key,
                           const lexq_leaf_entry **found);

#endif
