#include "operations.h"

#include <string.h>

#include <optional>
#include <string>

#include "alloc.h"
#include "fold.h"
#include "keylist.h"
#include "lookup.h"
#include "platform/encoding.h"
#include "prefix.h"
#include "table.h"

/* The search of a folded key (null: memory ran out); the key is released here. */
static int32_t search_key(lexq_dictionary *dict, const char *text, char *key, char **result) {
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

int32_t lexq_run_search(lexq_dictionary *dict, const char *text, char **result) {
    if (result != NULL)
        *result = NULL;
    /* Without a text or a place for the answer there is nothing to search or to give. */
    if (text == NULL || result == NULL)
        return LEXQ_ERR_ILLEGALINPUT;
    /* A Windows-1252 interface cannot carry a UTF-8 book's texts. */
    if (dict->utf8)
        return LEXQ_ERR_WRONGFORMAT;
    return search_key(dict, text, lexq_fold(text), result);
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

/* The type-ahead table of a folded prefix (null: memory ran out), released here. */
static int32_t prefix_rows(lexq_dictionary *dict, const char *text, char *prefix, uint32_t limit,
                           char **result) {
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

int32_t lexq_run_prefix(lexq_dictionary *dict, const char *text, uint32_t limit, char **result) {
    if (result != NULL)
        *result = NULL;
    if (text == NULL || result == NULL || limit == 0)
        return LEXQ_ERR_ILLEGALINPUT;
    if (dict->utf8)
        return LEXQ_ERR_WRONGFORMAT;
    return prefix_rows(dict, text, lexq_fold(text), limit, result);
}

static int32_t key_slice(lexq_dictionary *dict, const char *after, uint32_t limit, char **result) {
    lexq_result_text list = {};
    uint32_t count = 0;
    const lexq_status status = lexq_key_list(dict, after, limit, &list, &count);
    return finish(status, count, &list, result);
}

int32_t lexq_run_keys(lexq_dictionary *dict, const char *after, uint32_t limit, char **result) {
    if (result != NULL)
        *result = NULL;
    if (after == NULL || result == NULL || limit == 0)
        return LEXQ_ERR_ILLEGALINPUT;
    if (dict->utf8)
        return LEXQ_ERR_WRONGFORMAT;
    return key_slice(dict, after, limit, result);
}

/* A Windows-1252 answer handed back as UTF-8 through the code page's one conversion, which
   maps every byte (even the five unassigned ones) to a character of its own. */
static int32_t answer_as_utf8(int32_t code, char **result) {
    if (code != LEXQ_ERR_NONE)
        return code;
    const std::string utf8 = platform::Cp1252ToUtf8(*result);
    lexq_free(*result);
    *result = (char *)lexq_alloc(utf8.size() + 1);
    if (*result == NULL)
        return LEXQ_ERR_NOMEMORY;
    memcpy(*result, utf8.c_str(), utf8.size() + 1);
    return LEXQ_ERR_NONE;
}

/* A UTF-8 text as the Windows-1252 text a book of the first kind is searched with; nothing
   for a text that is no UTF-8 or holds a character the code page lacks. */
static std::optional<std::string> as_cp1252(const char *text) {
    return platform::Utf8ToCp1252Exact(text);
}

int32_t lexq_run_search_utf8(lexq_dictionary *dict, const char *text, char **result) {
    if (result != NULL)
        *result = NULL;
    if (text == NULL || result == NULL)
        return LEXQ_ERR_ILLEGALINPUT;
    if (!dict->utf8) {
        const std::optional<std::string> cp1252 = as_cp1252(text);
        if (!cp1252)
            return LEXQ_ERR_ILLEGALINPUT;
        return answer_as_utf8(lexq_run_search(dict, cp1252->c_str(), result), result);
    }
    bool malformed = false;
    char *key = lexq_fold_utf8_key(text, &malformed);
    return malformed ? LEXQ_ERR_ILLEGALINPUT : search_key(dict, text, key, result);
}

int32_t lexq_run_prefix_utf8(lexq_dictionary *dict, const char *text, uint32_t limit,
                             char **result) {
    if (result != NULL)
        *result = NULL;
    if (text == NULL || result == NULL || limit == 0)
        return LEXQ_ERR_ILLEGALINPUT;
    if (!dict->utf8) {
        const std::optional<std::string> cp1252 = as_cp1252(text);
        if (!cp1252)
            return LEXQ_ERR_ILLEGALINPUT;
        return answer_as_utf8(lexq_run_prefix(dict, cp1252->c_str(), limit, result), result);
    }
    bool malformed = false;
    char *prefix = lexq_fold_utf8_key(text, &malformed);
    return malformed ? LEXQ_ERR_ILLEGALINPUT : prefix_rows(dict, text, prefix, limit, result);
}

int32_t lexq_run_keys_utf8(lexq_dictionary *dict, const char *after, uint32_t limit,
                           char **result) {
    if (result != NULL)
        *result = NULL;
    if (after == NULL || result == NULL || limit == 0)
        return LEXQ_ERR_ILLEGALINPUT;
    if (!dict->utf8) {
        const std::optional<std::string> cp1252 = as_cp1252(after);
        if (!cp1252)
            return LEXQ_ERR_ILLEGALINPUT;
        return answer_as_utf8(lexq_run_keys(dict, cp1252->c_str(), limit, result), result);
    }
    return key_slice(dict, after, limit, result);
}

int32_t lexq_book_code_page(const lexq_dictionary *dict) {
    return dict->utf8 ? 65001 : 1252;
}
