/* A walk over the dictionary's keys in key order, leaf block by leaf block: what the
   type-ahead table and the key list are made from. */
#ifndef LEXQ_WALK_H
#define LEXQ_WALK_H

#include "dictionary.h"

/* Called for each key of the walk with its leaf entry, which stays valid during the call
   (the call may collect the key's hits, which leaves the leaf slot alone). A status other
   than LEXQ_OK ends the walk with it; setting *stop ends it with LEXQ_OK. */
typedef lexq_status (*lexq_key_visit)(lexq_dictionary *dict, const lexq_leaf_entry *entry,
                                      void *context, bool *stop);

/* Visits each key that is not less than from and starts with prefix (empty: every key),
   in key order, each once, until the keys run out or the visitor stops the walk. A key
   found out of order, or a walk that keeps landing on leaf blocks without a key it wants,
   is LEXQ_S_CORRUPT: the walk never goes back and never runs on without making way. */
lexq_status lexq_walk_keys(lexq_dictionary *dict, const char *from, const char *prefix,
                           lexq_key_visit visit, void *context);

#endif
