#include "resulttext.h"

#include <string.h>

#include "alloc.h"

/* Results are small: a type-ahead table is a few hundred bytes, a key list a few KiB. */
#define LEXQ_TEXT_GROWTH 1024u

lexq_status lexq_text_append(lexq_result_text *text, const char *bytes, size_t length) {
    /* Room for what is there, the new bytes and the terminator, in 64 bits so that no
       length can wrap. */
    const uint64_t needed = (uint64_t)text->length + length + 1;
    const lexq_status status = lexq_ensure(&text->buffer, needed, LEXQ_TEXT_GROWTH);
    if (status != LEXQ_OK)
        return status;
    memcpy(text->buffer.data + text->length, bytes, length);
    text->length += (uint32_t)length;
    text->buffer.data[text->length] = 0;
    return LEXQ_OK;
}

lexq_status lexq_text_append_string(lexq_result_text *text, const char *string) {
    return lexq_text_append(text, string, strlen(string));
}

char *lexq_text_take(lexq_result_text *text) {
    if (text->buffer.data == NULL && lexq_text_append(text, "", 0) != LEXQ_OK)
        return NULL;
    char *taken = (char *)text->buffer.data;
    text->buffer.data = NULL;
    text->buffer.capacity = 0;
    text->length = 0;
    return taken;
}

void lexq_text_release(lexq_result_text *text) {
    lexq_free(text->buffer.data);
    text->buffer.data = NULL;
    text->buffer.capacity = 0;
    text->length = 0;
}
