/* The exports of books opened side by side: each handle is a record of its own, never the
   process-wide one. */
#include "alloc.h"
#include "lexqapi.h"
#include "loader.h"
#include "operations.h"

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_open(const char *path, lexq_book **book) {
    if (book == NULL)
        return LEXQ_ERR_ILLEGALINPUT;
    *book = NULL;
    if (path == NULL)
        return LEXQ_ERR_FILENOTFOUND;
    return lexq_public_code(lexq_open(path, book));
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_search(lexq_book *book, const char *text,
                                                          char **result) {
    if (result != NULL)
        *result = NULL;
    if (book == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_search(book, text, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_prefix(lexq_book *book, const char *text,
                                                          uint32_t limit, char **result) {
    if (result != NULL)
        *result = NULL;
    if (book == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_prefix(book, text, limit, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_keys(lexq_book *book, const char *after,
                                                        uint32_t limit, char **result) {
    if (result != NULL)
        *result = NULL;
    if (book == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    return lexq_run_keys(book, after, limit, result);
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_free_text(char *text) {
    lexq_free(text);
    return LEXQ_ERR_NONE;
}

extern "C" LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_close(lexq_book *book) {
    if (book == NULL)
        return LEXQ_ERR_NOTINITIALIZED;
    lexq_close(book);
    return LEXQ_ERR_NONE;
}
