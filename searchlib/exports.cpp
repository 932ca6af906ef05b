/* The four exports and the one process-wide open dictionary. */
#include "alloc.h"
#include "handle.h"
#include "lexqapi.h"
#include "loader.h"
#include "operations.h"

lexq_dictionary *g_dictionary;

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_init(const char *path) {
    if (g_dictionary != NULL)
        return LEXQ_ERR_NONE;
    return lexq_public_code(lexq_open(path, &g_dictionary));
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_search(const char *text, char **result) {
    if (result != NULL)
        *result = NULL;
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_search(g_dictionary, text, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_free_searchresult(char *table) {
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    lexq_free(table);
    return LEXQ_ERR_NONE;
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_deinit(void) {
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    lexq_close(g_dictionary);
    g_dictionary = NULL;
    return LEXQ_ERR_NONE;
}
