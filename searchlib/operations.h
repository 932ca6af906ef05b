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

#endif
