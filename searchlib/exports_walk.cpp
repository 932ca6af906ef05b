/* The two exports that walk the process-wide dictionary's keys: the type-ahead table and
   the key list. */
#include "handle.h"
#include "lexqapi.h"
#include "operations.h"

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_prefix(const char *text, uint32_t limit,
                                                     char **result) {
    if (result != NULL)
        *result = NULL;
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_prefix(g_dictionary, text, limit, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_keys(const char *after, uint32_t limit,
                                                   char **result) {
    if (result != NULL)
        *result = NULL;
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_keys(g_dictionary, after, limit, result);
}
