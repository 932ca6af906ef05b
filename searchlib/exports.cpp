/* The four exports and the one process-wide open dictionary. */
#include "alloc.h"
#include "fold.h"
#include "handle.h"
#include "lexqapi.h"
#include "loader.h"
#include "lookup.h"
#include "table.h"

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
    /* Without a text or a place for the answer there is nothing to search or to give. */
    if (text == NULL || result == NULL)
        return LEXQ_ERR_ILLEGALINPUT;

    char *key = lexq_fold(text);
    if (key == NULL)
        return LEXQ_ERR_NOMEMORY;
    int32_t code = LEXQ_ERR_NONE;
    if (key[0] == '\0') {
        code = LEXQ_ERR_ILLEGALINPUT;
    } else {
        code = lexq_public_code(lexq_lookup(g_dictionary, key));
        if (code == LEXQ_ERR_NONE && g_dictionary->hit_count == 0)
            code = LEXQ_ERR_WORDNOTFOUND;
        if (code == LEXQ_ERR_NONE) {
            *result = lexq_build_table(text, key, g_dictionary);
            if (*result == NULL)
                code = LEXQ_ERR_NOMEMORY;
        }
    }
    lexq_free(key);
    return code;
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
