#include "operations.h"

#include "alloc.h"
#include "fold.h"
#include "keylist.h"
#include "lookup.h"
#include "prefix.h"
#include "table.h"

int32_t lexq_run_search(lexq_dictionary *dict, const char *text, char **result) {
    if (result != NULL)
        *result = NULL;
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
        code = lexq_public_code(lexq_lookup(dict, key));
        if (code == LEXQ_ERR_NONE && dict->hit_count == 0)
            code = LEXQ_ERR_WORDNOTFOUND;
        if (code == LEXQ_ERR_NONE) {
            *result = lexq_build_table(text, key, dict);
            if (*result == NULL)
                code = LEXQ_ERR_NOMEMORY;
        }
    }
    lexq_free(key);
    return code;
}

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

int32_t lexq_run_prefix(lexq_dictionary *dict, const char *text, uint32_t limit, char **result) {
    if (result != NULL)
        *result = NULL;
    if (text == NULL || result == NULL || limit == 0)
        return LEXQ_ERR_ILLEGALINPUT;

    char *prefix = lexq_fold(text);
    if (prefix == NULL)
        return LEXQ_ERR_NOMEMORY;
    int32_t code = LEXQ_ERR_ILLEGALINPUT;
    if (prefix[0] != '\0') {
        lexq_result_text table = {};
        uint32_t rows = 0;
        const lexq_status status = lexq_prefix_table(dict, text, prefix, limit, &table, &rows);
        code = finish(status, rows, &table, result);
    }
    lexq_free(prefix);
    return code;
}

int32_t lexq_run_keys(lexq_dictionary *dict, const char *after, uint32_t limit, char **result) {
    if (result != NULL)
        *result = NULL;
    if (after == NULL || result == NULL || limit == 0)
        return LEXQ_ERR_ILLEGALINPUT;

    lexq_result_text list = {};
    uint32_t count = 0;
    const lexq_status status = lexq_key_list(dict, after, limit, &list, &count);
    return finish(status, count, &list, result);
}
