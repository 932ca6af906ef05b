/* The key walk: descend to the leaf block of the first wanted key, visit its keys, and
   descend again just past the bound of that block until the keys run out. The index has
   no links between neighbouring leaf blocks; the bound that every descent reports (the
   greatest key its leaf block may hold) is the way to the next one. */
#include "walk.h"

#include <string.h>

#include "entries.h"
#include "index.h"
#include "leaf.h"
#include "resulttext.h"

/* In a sound file a descent past a bound finds keys at once, or after one more descent
   when an index entry's key is greater than any key below it; more in a row means the
   index leads nowhere. */
#define LEXQ_MAX_EMPTY_DESCENTS 2

static bool starts_with(const char *key, const char *prefix, size_t prefix_length) {
    return strncmp(key, prefix, prefix_length) == 0;
}

/* Makes seek the smallest key greater than bound: bound followed by the byte 0x01. */
static lexq_status seek_past(lexq_result_text *seek, const char *bound) {
    seek->length = 0;
    lexq_status status = lexq_text_append_string(seek, bound);
    if (status == LEXQ_OK)
        status = lexq_text_append(seek, "\x01", 1);
    return status;
}

/* Visits the keys of the leaf slot from the first not less than seek. *last is the key
   visited before (null: none yet; kept in last_copy once the slot may change); *visited
   counts the keys handed to the visitor; *done is set when the walk is over. */
static lexq_status visit_leaf(lexq_dictionary *d, const char *seek, const char *prefix,
                              size_t prefix_length, lexq_result_text *last_copy, bool *have_last,
                              lexq_key_visit visit, void *context, uint32_t *visited, bool *done) {
    const lexq_leaf_slot *slot = d->leaf_slot;
    const char *last = *have_last ? (const char *)last_copy->buffer.data : NULL;
    const char *last_here = NULL; /* the last key visited in this slot */
    uint32_t i = lexq_lower_bound(slot->entries, sizeof *slot->entries, slot->entry_count, seek);
    lexq_status status = LEXQ_OK;
    for (; i < slot->entry_count && !*done; i++) {
        const lexq_leaf_entry *entry = &slot->entries[i];
        const char *previous = last_here != NULL ? last_here : last;
        if (previous != NULL) {
            const int order = strcmp(entry->key, previous);
            /* A key met twice is visited once. */
            if (order == 0)
                continue;
            /* Keys come in ascending order, across leaf blocks too. */
            if (order < 0)
                return LEXQ_S_CORRUPT;
        }
        /* Keys that start with the prefix lie together: the first one past them ends it. */
        if (!starts_with(entry->key, prefix, prefix_length)) {
            *done = true;
            break;
        }
        status = visit(d, entry, context, done);
        if (status != LEXQ_OK)
            return status;
        last_here = entry->key;
        (*visited)++;
    }
    if (last_here != NULL) {
        last_copy->length = 0;
        status = lexq_text_append_string(last_copy, last_here);
        *have_last = status == LEXQ_OK;
    }
    return status;
}

lexq_status lexq_walk_keys(lexq_dictionary *d, const char *from, const char *prefix,
                           lexq_key_visit visit, void *context) {
    const size_t prefix_length = strlen(prefix);
    lexq_result_text seek = {}, last = {};
    bool have_last = false, done = false;
    uint32_t empty_descents = 0;
    lexq_status status = lexq_text_append_string(&seek, from);
    while (status == LEXQ_OK && !done) {
        lexq_child leaf;
        const char *bound;
        status = lexq_descend(d, (const char *)seek.buffer.data, &leaf, &bound);
        if (status == LEXQ_OK)
            status = lexq_leaf_load(d, &leaf);
        uint32_t visited = 0;
        if (status == LEXQ_OK)
            status = visit_leaf(d, (const char *)seek.buffer.data, prefix, prefix_length, &last,
                                &have_last, visit, context, &visited, &done);
        if (status != LEXQ_OK || done)
            break;
        /* No later leaf block holds a key past this one's: the keys have run out. */
        if (bound == NULL)
            break;
        /* Past the prefix's keys already: every later key is beyond them too. */
        if (!starts_with(bound, prefix, prefix_length) && strcmp(bound, prefix) > 0)
            break;
        empty_descents = visited == 0 ? empty_descents + 1 : 0;
        if (empty_descents > LEXQ_MAX_EMPTY_DESCENTS) {
            status = LEXQ_S_CORRUPT;
            break;
        }
        /* The bound lies in an index slot, which the next descent may overwrite. */
        status = seek_past(&seek, bound);
    }
    lexq_text_release(&seek);
    lexq_text_release(&last);
    return status;
}
