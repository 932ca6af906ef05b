#include <string.h>

#include "foldtable_utf8.h"

size_t lexq_utf8_next(const uint8_t *p, const uint8_t *end, uint32_t *code) {
    if (p >= end)
        return 0;
    const uint8_t lead = p[0];
    if (lead < 0x80) {
        *code = lead;
        return 1;
    }
    size_t length;
    uint32_t value, least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07u, least = 0x10000;
    } else {
        return 0; /* a continuation byte, an overlong lead (C0, C1) or past F4 */
    }
    if ((size_t)(end - p) < length)
        return 0;
    for (size_t i = 1; i < length; i++) {
        if ((p[i] & 0xC0u) != 0x80u)
            return 0;
        value = value << 6 | (p[i] & 0x3Fu);
    }
    /* Overlong forms, surrogates and values past U+10FFFF are not UTF-8. */
    if (value < least || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    *code = value;
    return length;
}

int lexq_utf8_valid(const char *text, size_t length) {
    const uint8_t *p = (const uint8_t *)text, *end = p + length;
    while (p < end) {
        uint32_t code;
        /* ASCII runs are the common case: skip them without decoding. */
        if (*p < 0x80) {
            p++;
            continue;
        }
        const size_t used = lexq_utf8_next(p, end, &code);
        if (used == 0)
            return 0;
        p += used;
    }
    return 1;
}

/* The range holding code, or null: the code point is dropped. */
static const lexq_fold_range *find_range(uint32_t code) {
    unsigned lo = 0, hi = lexq_fold_utf8_range_count;
    while (lo < hi) {
        const unsigned mid = lo + (hi - lo) / 2;
        if (lexq_fold_utf8_ranges[mid].last < code)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < lexq_fold_utf8_range_count && lexq_fold_utf8_ranges[lo].first <= code)
        return &lexq_fold_utf8_ranges[lo];
    return NULL;
}

size_t lexq_fold_utf8(const char *text, size_t length, char *out) {
    const uint8_t *p = (const uint8_t *)text, *end = p + length;
    size_t written = 0;
    while (p < end) {
        /* ASCII letters fold to small letters; other ASCII is dropped. */
        if (*p < 0x80) {
            const uint8_t c = *p++;
            const uint8_t small = (c >= 'A' && c <= 'Z') ? (uint8_t)(c + 32) : c;
            if (small >= 'a' && small <= 'z') {
                if (out != NULL)
                    out[written] = (char)small;
                written++;
            }
            continue;
        }
        uint32_t code;
        const size_t used = lexq_utf8_next(p, end, &code);
        if (used == 0)
            return LEXQ_FOLD_MALFORMED;
        const lexq_fold_range *range = find_range(code);
        if (range != NULL) {
            const char *letters = (const char *)p;
            size_t count = used;
            if (range->action != LEXQ_FOLD_KEEP) {
                letters = lexq_fold_utf8_replacements[range->action];
                count = strlen(letters);
            }
            if (out != NULL)
                memcpy(out + written, letters, count);
            written += count;
        }
        p += used;
    }
    return written;
}
