#include "fold.h"

#include <stdint.h>
#include <string.h>

#include "alloc.h"
#include "foldtable.h"
#include "foldtable_utf8.h"

char *lexq_fold(const char *text) {
    const size_t length = strlen(text);
    /* No byte yields more than two letters, so 2n + 1 always holds the key. */
    if (length > (SIZE_MAX - 1) / 2)
        return NULL;
    char *key = (char *)lexq_alloc(2 * length + 1);
    if (key == NULL)
        return NULL;
    char *end = key;
    for (size_t i = 0; i < length; i++) {
        for (const char *letter = lexq_fold_table[(uint8_t)text[i]]; *letter != '\0'; letter++)
            *end++ = *letter;
    }
    *end = '\0';
    return key;
}

char *lexq_fold_utf8_key(const char *text, bool *malformed) {
    const size_t length = strlen(text);
    const size_t key_length = lexq_fold_utf8(text, length, NULL);
    *malformed = key_length == LEXQ_FOLD_MALFORMED;
    if (*malformed)
        return NULL;
    char *key = (char *)lexq_alloc(key_length + 1);
    if (key == NULL)
        return NULL;
    lexq_fold_utf8(text, length, key);
    key[key_length] = '\0';
    return key;
}
