/* The two exports that walk the keys: the type-ahead table and the key list. */
#include "alloc.h"
#include "fold.h"
#include "handle.h"
#include "keylist.h"
#include "lexqapi.h"
#include "prefix.h"

/* The answer of a walk that wrote count items into text: the text on success with at
   least one item, else null, with the public code. */
static int32_t finish(lexq_status status, uint32_t count, lexq_result_text *text, char **result) {
    int32_t code = lexq_public_code(status);
    if (code == LEXQ_ERR_NONE && count == 0)
        code = LEXQ_ERR_WORDNOTFOUND;
    if (code == LEXQ_ERR_NONE) {
        *result = lexq_text_take(text);
        if (*result == NULL)
            code = LEXQ_ERR_NOMEMORY;
    }
    lexq_text_release(text);
    return code;
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_prefix(const char *text, uint32_t limit,
                                                     char **result) {
    if (result != NULL)
        *result = NULL;
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    if (text == NULL || result == NULL || limit == 0)
        return LEXQ_ERR_ILLEGALINPUT;

    char *prefix = lexq_fold(text);
    if (prefix == NULL)
        return LEXQ_ERR_NOMEMORY;
    int32_t code = LEXQ_ERR_ILLEGALINPUT;
    if (prefix[0] != '\0') {
        lexq_result_text table = {};
        uint32_t rows = 0;
        const lexq_status status =
            lexq_prefix_table(g_dictionary, text, prefix, limit, &table, &rows);
        code = finish(status, rows, &table, result);
    }
    lexq_free(prefix);
    return code;
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_keys(const char *after, uint32_t limit,
                                                   char **result) {
    if (result != NULL)
        *result = NULL;
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    if (after == NULL || result == NULL || limit == 0)
        return LEXQ_ERR_ILLEGALINPUT;

    lexq_result_text list = {};
    uint32_t count = 0;
    const lexq_status status = lexq_key_list(g_dictionary, after, limit, &list, &count);
    return finish(status, count, &list, result);
}
