/* Index descent: from the root, one node per level, to the leaf block of a key. */
#ifndef LEXQ_INDEX_H
#define LEXQ_INDEX_H

#include "dictionary.h"

/* Descends the index tree from the root to the leaf block for key. When bound is not
   null it receives the key of the deepest entry on the way down that is not less than
   key: no key of the leaf block is greater than it, and every key of a later leaf block
   is. It lies in an index slot, valid until the next descent. It is null when every level
   ended on its last entry for want of a greater one (or there is no index): then no leaf
   block after this one holds a key not less than key. */
lexq_status lexq_descend(lexq_dictionary *dict, const char *key, lexq_child *leaf,
                         const char **bound);

#endif
