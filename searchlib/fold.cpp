#include "fold.h"

#include <stdint.h>
#include <string.h>

#include "alloc.h"
#include "foldtable.h"

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
