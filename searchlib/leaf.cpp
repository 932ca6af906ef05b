/* The leaf block: one decompressed block of keys with their hit references, cached. */
#include "leaf.h"

#include <string.h>

#include "block.h"
#include "entries.h"
#include "foldtable_utf8.h"
#include "le.h"

/* Parses count leaf records that must fill the decompressed block exactly. */
static lexq_status parse_leaf(lexq_leaf_slot *slot, uint16_t count, bool utf8) {
    const uint8_t *p = slot->buffer.data;
    const uint8_t *end = p + slot->length;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t record;
        /* A record is its 4-byte length and at least one byte more. */
        if (end - p <= 4 || !lexq_le32(p, end, &record))
            return LEXQ_S_CORRUPT;
        p += 4;
        /* The record must lie inside the block. */
        if (record > (uint64_t)(end - p))
            return LEXQ_S_CORRUPT;
        const uint8_t *record_end = p + record;
        /* Its key ends with a zero byte inside the record. */
        const uint8_t *zero = (const uint8_t *)memchr(p, 0, record);
        if (zero == NULL)
            return LEXQ_S_CORRUPT;
        /* A UTF-8 book's keys are well-formed UTF-8. */
        if (utf8 && !lexq_utf8_valid((const char *)p, (size_t)(zero - p)))
            return LEXQ_S_CORRUPT;
        /* The rest is one or more whole 6-byte hit references. */
        const size_t refs = (size_t)(record_end - (zero + 1));
        if (refs == 0 || refs % 6 != 0)
            return LEXQ_S_CORRUPT;
        slot->entries[i].key = (const char *)p;
        slot->entries[i].refs = zero + 1;
        slot->entries[i].ref_count = (uint32_t)(refs / 6);
        p = record_end;
    }
    /* Nothing may follow the last record. */
    if (p != end)
        return LEXQ_S_CORRUPT;
    return LEXQ_OK;
}

static lexq_status load_leaf(lexq_dictionary *d, lexq_leaf_slot *slot, uint64_t offset,
                             const lexq_child *leaf) {
    /* From here the slot's contents are overwritten: it holds nothing until complete. */
    slot->tag = 0;
    slot->entry_count = 0;
    lexq_status status = lexq_read_block(d, &d->leaf_stream, offset, leaf->position, leaf,
                                         LEXQ_LEAF_STEP, &slot->buffer, &slot->length);
    if (status == LEXQ_OK)
        status = parse_leaf(slot, leaf->count, d->utf8 != 0);
    if (status != LEXQ_OK)
        return status;
    slot->entry_count = leaf->count;
    slot->tag = offset;
    return LEXQ_OK;
}

lexq_status lexq_leaf_load(lexq_dictionary *d, const lexq_child *leaf) {
    lexq_leaf_slot *slot = d->leaf_slot;
    const uint64_t offset = (uint64_t)d->leaf_offset + LEXQ_LEAF_HEADER + leaf->position;
    if (slot->tag == offset)
        return LEXQ_OK;
    return load_leaf(d, slot, offset, leaf);
}

lexq_status lexq_leaf_find(lexq_dictionary *d, const lexq_child *leaf, const char *key,
                           const lexq_leaf_entry **found) {
    *found = NULL;
    const lexq_status status = lexq_leaf_load(d, leaf);
    if (status != LEXQ_OK)
        return status;
    const lexq_leaf_slot *slot = d->leaf_slot;
    /* Lower bound, so that of equal keys the first is found. */
    const uint32_t lo =
        lexq_lower_bound(slot->entries, sizeof *slot->entries, slot->entry_count, key);
    if (lo < slot->entry_count && strcmp(slot->entries[lo].key, key) == 0)
        *found = &slot->entries[lo];
    return LEXQ_OK;
}
