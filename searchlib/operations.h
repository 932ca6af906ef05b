/* The library's working operations on one open dictionary, as the exports give them: the
   process-wide dictionary's exports and those of books opened side by side run the same
   steps. Each returns a public code; *result is set only on LEXQ_ERR_NONE. */
#ifndef LEXQ_OPERATIONS_H
#define LEXQ_OPERATIONS_H

#include <stdint.h>

#include "dictionary.h"

int32_t lexq_run_search(lexq_dictionary *dict, const char *text, char **result);
int32_t lexq_run_prefix(lexq_dictionary *dict, const char *text, uint32_t limit, char **result);
int32_t lexq_run_keys(lexq_dictionary *dict, const char *after, uint32_t limit, char **result);

/* The same three on UTF-8 texts, for a book of either kind: a UTF-8 book answers with its
   own texts, a Windows-1252 book through the exact conversion at this edge (a text with a
   character the code page lacks is -5, its answer converted back to UTF-8). The three
   above refuse a UTF-8 book with -3, as a reader of the first kind does. */
int32_t lexq_run_search_utf8(lexq_dictionary *dict, const char *text, char **result);
int32_t lexq_run_prefix_utf8(lexq_dictionary *dict, const char *text, uint32_t limit,
                             char **result);
int32_t lexq_run_keys_utf8(lexq_dictionary *dict, const char *after, uint32_t limit, char **result);

/* The code page of the book's texts: 65001 for UTF-8, 1252 for Windows-1252. */
int32_t lexq_book_code_page(const lexq_dictionary *dict);

#endif
