/* Hit collection: each hit's three strings, from text blocks cached in the text slots. */
#include "hits.h"

#include <string.h>

#include "block.h"
#include "foldtable_utf8.h"
#include "le.h"

/* In-use marks of the text slots: taken by a hit of the current search or key, or kept
   for a key read before it in the same walk. */
#define SLOT_TAKEN 1
#define SLOT_KEPT 2

/* The slot for the block at offset: the first that holds it, else the highest-numbered
   slot not taken (kept slots only when no other is left); null when every slot is taken. */
static lexq_text_slot *choose_slot(lexq_dictionary *d, uint64_t offset) {
    lexq_text_slot *free_slot = NULL, *kept_slot = NULL;
    for (uint32_t i = 0; i < d->hit_limit; i++) {
        lexq_text_slot *slot = &d->text_slots[i];
        if (slot->tag == offset)
            return slot;
        if (slot->in_use == 0)
            free_slot = slot;
        else if (slot->in_use == SLOT_KEPT)
            kept_slot = slot;
    }
    return free_slot != NULL ? free_slot : kept_slot;
}

static lexq_status load_text(lexq_dictionary *d, lexq_text_slot *slot, uint64_t offset,
                             uint32_t position) {
    /* From here the slot's contents are overwritten: it holds nothing until complete. */
    slot->tag = 0;
    slot->length = 0;
    const lexq_status status = lexq_read_block(d, &d->text_stream, offset, position, NULL,
                                               LEXQ_TEXT_STEP, &slot->buffer, &slot->length);
    if (status != LEXQ_OK)
        return status;
    slot->tag = offset;
    return LEXQ_OK;
}

/* The zero-terminated string at *at, which must end inside [*at, end) and, in a UTF-8 book,
   be well-formed UTF-8; moves *at past it. */
static const char *take_string(const uint8_t **at, const uint8_t *end, bool utf8) {
    if (*at >= end)
        return NULL;
    const uint8_t *zero = (const uint8_t *)memchr(*at, 0, (size_t)(end - *at));
    if (zero == NULL)
        return NULL;
    if (utf8 && !lexq_utf8_valid((const char *)*at, (size_t)(zero - *at)))
        return NULL;
    const char *string = (const char *)*at;
    *at = zero + 1;
    return string;
}

/* Reads the entry's hits into the hit list, each in a slot marked taken. */
static lexq_status collect(lexq_dictionary *d, const lexq_leaf_entry *entry) {
    d->hit_count = entry->ref_count;
    for (uint32_t i = 0; i < entry->ref_count; i++) {
        const uint8_t *ref = entry->refs + 6 * (size_t)i;
        uint32_t position;
        uint16_t at;
        lexq_le32(ref, ref + 6, &position);
        lexq_le16(ref + 4, ref + 6, &at);
        const uint64_t offset = (uint64_t)d->text_offset + LEXQ_TEXT_HEADER + position;

        lexq_text_slot *slot = choose_slot(d, offset);
        /* Every hit needs a slot of its own block; there are hit-limit many. */
        if (slot == NULL)
            return LEXQ_S_CORRUPT;
        slot->in_use = SLOT_TAKEN;
        if (slot->tag != offset) {
            const lexq_status status = load_text(d, slot, offset, position);
            if (status != LEXQ_OK)
                return status;
        }
        /* s1, s2 and s3 follow each other from the hit's offset and all end in the block. */
        if (at >= slot->length)
            return LEXQ_S_CORRUPT;
        const uint8_t *p = slot->buffer.data + at;
        const uint8_t *end = slot->buffer.data + slot->length;
        const bool utf8 = d->utf8 != 0;
        d->hit_s1[i] = take_string(&p, end, utf8);
        d->hit_s2[i] = d->hit_s1[i] ? take_string(&p, end, utf8) : NULL;
        d->hit_s3[i] = d->hit_s2[i] ? take_string(&p, end, utf8) : NULL;
        if (d->hit_s3[i] == NULL)
            return LEXQ_S_CORRUPT;
    }
    return LEXQ_OK;
}

lexq_status lexq_collect_hits(lexq_dictionary *d, const lexq_leaf_entry *entry) {
    for (uint32_t i = 0; i < d->hit_limit; i++)
        d->text_slots[i].in_use = 0;
    return collect(d, entry);
}

lexq_status lexq_collect_more_hits(lexq_dictionary *d, const lexq_leaf_entry *entry) {
    for (uint32_t i = 0; i < d->hit_limit; i++)
        if (d->text_slots[i].in_use == SLOT_TAKEN)
            d->text_slots[i].in_use = SLOT_KEPT;
    return collect(d, entry);
}
