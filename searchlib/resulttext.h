/* A result text that grows as it is written: the type-ahead table and the key list are
   appended piece by piece, since their size is known only at the end. The finished text is
   handed to the caller, who releases it through lexq_free_searchresult. */
#ifndef LEXQ_RESULTTEXT_H
#define LEXQ_RESULTTEXT_H

#include <stddef.h>

#include "inflate.h"

typedef struct lexq_result_text {
    lexq_growbuf buffer;
    uint32_t length; /* bytes written, not counting the terminator that always follows */
} lexq_result_text;

/* Appends length bytes; LEXQ_S_NOMEM (the text unchanged) when it cannot grow. */
lexq_status lexq_text_append(lexq_result_text *text, const char *bytes, size_t length);
/* Appends a zero-terminated string. */
lexq_status lexq_text_append_string(lexq_result_text *text, const char *string);
/* Hands over the zero-terminated text (an empty one is allocated if nothing was written);
   null when that allocation fails. The record is empty afterwards. */
char *lexq_text_take(lexq_result_text *text);
/* Releases what the record holds. */
void lexq_text_release(lexq_result_text *text);

#endif
