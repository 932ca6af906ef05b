#include "prefix.h"

#include <stdint.h>
#include <string.h>

#include "alloc.h"
#include "foldtable.h"
#include "foldtable_utf8.h"
#include "hits.h"
#include "walk.h"

typedef struct prefix_rows {
    const char *text;
    uint32_t limit;
    uint32_t rows;
    uint32_t keys_read; /* keys whose hits were collected in this walk */
    lexq_result_text *table;
} prefix_rows;

/* Whether text folds to exactly key, compared letter by letter without a copy. */
static bool folds_to(const char *text, const char *key) {
    for (const uint8_t *p = (const uint8_t *)text; *p != 0; p++) {
        for (const char *letter = lexq_fold_table[*p]; *letter != '\0'; letter++) {
            if (*key != *letter)
                return false;
            key++;
        }
    }
    return *key == '\0';
}

/* The same by the rule of UTF-8 books; a text that is not UTF-8 folds to nothing. */
static bool folds_to_utf8(const char *text, const char *key) {
    const size_t length = strlen(text);
    const size_t key_length = lexq_fold_utf8(text, length, NULL);
    if (key_length == LEXQ_FOLD_MALFORMED || key_length != strlen(key))
        return false;
    char *folded = (char *)lexq_alloc(key_length + 1);
    if (folded == NULL)
        return false;
    lexq_fold_utf8(text, length, folded);
    const bool same = memcmp(folded, key, key_length) == 0;
    lexq_free(folded);
    return same;
}

/* The key's headword among its collected hits, or null: the shortest first string that
   folds to the key (the plainest spelling: "huis" before "huis-"), the first of equals;
   without one the first non-empty first string. */
static const char *choose_headword(const lexq_dictionary *d, const char *key) {
    const char *first = NULL, *plainest = NULL;
    size_t plainest_length = 0;
    for (uint32_t i = 0; i < d->hit_count; i++) {
        const char *s1 = d->hit_s1[i];
        if (s1[0] == '\0')
            continue;
        if (first == NULL)
            first = s1;
        const size_t length = strlen(s1);
        if ((plainest == NULL || length < plainest_length) &&
            (d->utf8 ? folds_to_utf8(s1, key) : folds_to(s1, key))) {
            plainest = s1;
            plainest_length = length;
        }
    }
    return plainest != NULL ? plainest : first;
}

static lexq_status append_row(lexq_result_text *table, const char *text, const char *key,
                              const char *headword) {
    const char *const parts[] = {"<tr><td>", text,        "</td><td>", key,         "</td><td>",
                                 headword,   "</td><td>", "</td><td>", "</td></tr>"};
    lexq_status status = LEXQ_OK;
    for (size_t i = 0; i < sizeof parts / sizeof parts[0] && status == LEXQ_OK; i++)
        status = lexq_text_append_string(table, parts[i]);
    return status;
}

static lexq_status add_row(lexq_dictionary *d, const lexq_leaf_entry *entry, void *context,
                           bool *stop) {
    prefix_rows *rows = (prefix_rows *)context;
    /* The hit list and the text slots hold hit-limit many hits: a key with more is seen
       through its first ones (a search of it reports them as too many). */
    lexq_leaf_entry seen = *entry;
    if (seen.ref_count > d->hit_limit)
        seen.ref_count = d->hit_limit;
    /* The keys' blocks keep their slots for the rest of the walk: a list asked again (the
       next keystroke) inflates nothing. */
    lexq_status status =
        rows->keys_read++ == 0 ? lexq_collect_hits(d, &seen) : lexq_collect_more_hits(d, &seen);
    if (status != LEXQ_OK) {
        d->hit_count = 0;
        return status;
    }
    const char *headword = choose_headword(d, entry->key);
    if (headword == NULL)
        return LEXQ_OK;
    status = append_row(rows->table, rows->text, entry->key, headword);
    if (status != LEXQ_OK)
        return status;
    rows->rows++;
    *stop = rows->rows >= rows->limit;
    return LEXQ_OK;
}

lexq_status lexq_prefix_table(lexq_dictionary *d, const char *text, const char *prefix,
                              uint32_t limit, lexq_result_text *table, uint32_t *rows) {
    prefix_rows context = {text, limit, 0, 0, table};
    *rows = 0;
    lexq_status status = lexq_text_append_string(table, "<table>");
    if (status == LEXQ_OK)
        status = lexq_walk_keys(d, prefix, prefix, add_row, &context);
    if (status == LEXQ_OK)
        status = lexq_text_append_string(table, "</table>");
    *rows = context.rows;
    return status;
}
