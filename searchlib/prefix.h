/* The type-ahead table: the keys that start with a folded prefix, each with its headword,
   in the result table form of a search. */
#ifndef LEXQ_PREFIX_H
#define LEXQ_PREFIX_H

#include "dictionary.h"
#include "resulttext.h"

/* Writes "<table>", one row per key that starts with prefix (at most limit rows, in key
   order), "</table>" into *table. A row is the five cells of a search row: text as the
   caller passed it, the key, the key's headword and two empty cells. The headword is the
   shortest first string of the key's hits that folds to the key (the first of equals),
   else the first non-empty first string; a key without either is left out. *rows is the
   number of rows. */
lexq_status lexq_prefix_table(lexq_dictionary *dict, const char *text, const char *prefix,
                              uint32_t limit, lexq_result_text *table, uint32_t *rows);

#endif
