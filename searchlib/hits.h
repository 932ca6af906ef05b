/* Hit collection: the three strings of each of a leaf entry's hits, from text blocks. */
#ifndef LEXQ_HITS_H
#define LEXQ_HITS_H

#include "dictionary.h"

/* Fills the hit list from the entry's hit references, loading text blocks as needed. */
lexq_status lexq_collect_hits(lexq_dictionary *dict, const lexq_leaf_entry *entry);

#endif
