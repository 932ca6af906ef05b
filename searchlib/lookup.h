/* The lookup of a search key: index descent, the leaf block, and hit collection. */
#ifndef LEXQ_LOOKUP_H
#define LEXQ_LOOKUP_H

#include "dictionary.h"
#include "entries.h"
#include "hits.h"
#include "index.h"
#include "leaf.h"

/* The whole lookup: on LEXQ_OK the dictionary's hit list holds the hits (maybe none). */
lexq_status lexq_lookup(lexq_dictionary *dict, const char *key);

#endif
