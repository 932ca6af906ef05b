/* Index descent: from the root, one node per level, to the leaf block of a key. */
#ifndef LEXQ_INDEX_H
#define LEXQ_INDEX_H

#include "dictionary.h"

/* Descends the index tree from the root to the leaf block for key. */
lexq_status lexq_descend(lexq_dictionary *dict, const char *key, lexq_child *leaf);

#endif
