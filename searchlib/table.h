/* The search result text: one HTML table, a row per hit, values copied byte for byte. */
#ifndef LEXQ_TABLE_H
#define LEXQ_TABLE_H

#include "dictionary.h"

/* The table for the dictionary's current hit list, allocated once with lexq_alloc;
   null when it cannot be allocated (or its size would overflow). */
char *lexq_build_table(const char *text, const char *key, const lexq_dictionary *dict);

#endif
