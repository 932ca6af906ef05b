/* Hit collection: the three strings of each of a leaf entry's hits, from text blocks. */
#ifndef LEXQ_HITS_H
#define LEXQ_HITS_H

#include "dictionary.h"

/* Fills the hit list from the entry's hit references, loading text blocks as needed. */
lexq_status lexq_collect_hits(lexq_dictionary *dict, const lexq_leaf_entry *entry);
/* The same for the next of several keys read in turn (a walk): the blocks of the keys read
   since the last lexq_collect_hits keep their slots while others are free, so that a walk
   asked again finds them all still held. The hit list holds this entry's hits only. */
lexq_status lexq_collect_more_hits(lexq_dictionary *dict, const lexq_leaf_entry *entry);

#endif
