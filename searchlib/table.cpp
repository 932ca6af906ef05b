#include "table.h"

#include <string.h>

#include "alloc.h"

/* The row format has these five cells; 64 is its length with the placeholders, which is
   what the allocation counts per row. */
#define ROW_FORMAT_LENGTH 64u
static const char kTableOpen[] = "<table>";
static const char kTableClose[] = "</table>";
static const char *const kRowParts[6] = {"<tr><td>",  "</td><td>", "</td><td>",
                                         "</td><td>", "</td><td>", "</td></tr>"};

static bool add(size_t *total, size_t more) {
    return !__builtin_add_overflow(*total, more, total);
}

static bool add_product(size_t *total, size_t a, size_t b) {
    size_t product;
    return !__builtin_mul_overflow(a, b, &product) && add(total, product);
}

static char *append(char *end, const char *value) {
    const size_t length = strlen(value);
    memcpy(end, value, length);
    return end + length;
}

char *lexq_build_table(const char *text, const char *key, const lexq_dictionary *d) {
    const size_t n = d->hit_count;
    const size_t text_length = strlen(text);
    const size_t key_length = strlen(key);
    size_t size = 0;
    bool fits = add_product(&size, ROW_FORMAT_LENGTH, n) &&
                add(&size, strlen(kTableOpen) + strlen(kTableClose)) &&
                add_product(&size, text_length, n) && add_product(&size, key_length, n) &&
                add(&size, 1);
    for (size_t i = 0; fits && i < n; i++) {
        fits = add(&size, strlen(d->hit_s1[i])) && add(&size, strlen(d->hit_s2[i])) &&
               add(&size, strlen(d->hit_s3[i])) && add(&size, 1);
    }
    if (!fits)
        return NULL;
    char *table = (char *)lexq_alloc(size);
    if (table == NULL)
        return NULL;

    char *end = append(table, kTableOpen);
    for (size_t i = 0; i < n; i++) {
        const char *cells[5] = {text, key, d->hit_s1[i], d->hit_s2[i], d->hit_s3[i]};
        for (int c = 0; c < 5; c++) {
            end = append(end, kRowParts[c]);
            end = append(end, cells[c]);
        }
        end = append(end, kRowParts[5]);
    }
    end = append(end, kTableClose);
    *end = '\0';
    return table;
}
