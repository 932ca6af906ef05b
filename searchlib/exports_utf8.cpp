/* The UTF-8 exports: search, type-ahead and key walk for books of either kind, on the
   process-wide dictionary and on books opened side by side, and the code page of a book. */
#include "handle.h"
#include "lexqapi.h"
#include "operations.h"

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_search_utf8(const char *text, char **result) {
    if (result != NULL)
        *result = NULL;
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_search_utf8(g_dictionary, text, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_prefix_utf8(const char *text, uint32_t limit,
                                                          char **result) {
    if (result != NULL)
        *result = NULL;
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_prefix_utf8(g_dictionary, text, limit, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_keys_utf8(const char *after, uint32_t limit,
                                                        char **result) {
    if (result != NULL)
        *result = NULL;
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_keys_utf8(g_dictionary, after, limit, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_code_page(void) {
    if (g_dictionary == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_book_code_page(g_dictionary);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_search_utf8(lexq_book *book, const char *text,
                                                               char **result) {
    if (result != NULL)
        *result = NULL;
    if (book == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_search_utf8(book, text, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_prefix_utf8(lexq_book *book, const char *text,
                                                               uint32_t limit, char **result) {
    if (result != NULL)
        *result = NULL;
    if (book == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_prefix_utf8(book, text, limit, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_keys_utf8(lexq_book *book, const char *after,
                                                             uint32_t limit, char **result) {
    if (result != NULL)
        *result = NULL;
    if (book == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_keys_utf8(book, after, limit, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_text_code_page(lexq_book *book) {
    if (book == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_book_code_page(book);
}
