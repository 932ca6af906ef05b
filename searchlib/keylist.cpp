#include "keylist.h"

#include <stdint.h>
#include <string.h>

#include "walk.h"

typedef struct key_lines {
    uint32_t limit;
    uint32_t count;
    lexq_result_text *list;
} key_lines;

static bool printable(const char *key) {
    for (const uint8_t *p = (const uint8_t *)key; *p != 0; p++)
        if (*p < 0x20)
            return false;
    return true;
}

static lexq_status add_line(lexq_dictionary *d, const lexq_leaf_entry *entry, void *context,
                            bool *stop) {
    (void)d;
    key_lines *lines = (key_lines *)context;
    if (!printable(entry->key))
        return LEXQ_OK;
    lexq_status status = lexq_text_append_string(lines->list, entry->key);
    if (status == LEXQ_OK)
        status = lexq_text_append(lines->list, "\n", 1);
    if (status != LEXQ_OK)
        return status;
    lines->count++;
    *stop = lines->count >= lines->limit;
    return LEXQ_OK;
}

lexq_status lexq_key_list(lexq_dictionary *d, const char *after, uint32_t limit,
                          lexq_result_text *list, uint32_t *count) {
    key_lines context = {limit, 0, list};
    *count = 0;
    /* The first key greater than after is the first not less than after + 0x01. */
    lexq_result_text from = {};
    lexq_status status = lexq_text_append_string(&from, after);
    if (status == LEXQ_OK)
        status = lexq_text_append(&from, "\x01", 1);
    if (status == LEXQ_OK)
        status = lexq_walk_keys(d, (const char *)from.buffer.data, "", add_line, &context);
    lexq_text_release(&from);
    *count = context.count;
    return status;
}
