/* The key list: the dictionary's keys in key order, a line each, read a slice at a time. */
#ifndef LEXQ_KEYLIST_H
#define LEXQ_KEYLIST_H

#include "dictionary.h"
#include "resulttext.h"

/* Writes up to limit keys greater than after into *list, in key order, each followed by
   a line feed; *count is their number. A key holding a byte below 0x20 (which folding
   never makes) is left out, so that every line is one whole key. */
lexq_status lexq_key_list(lexq_dictionary *dict, const char *after, uint32_t limit,
                          lexq_result_text *list, uint32_t *count);

#endif
