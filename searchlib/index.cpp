/* Index descent: one node per level, each cached in its level's slot. */
#include "index.h"

#include <string.h>

#include "decipher.h"
#include "entries.h"
#include "foldtable_utf8.h"
#include "le.h"

/* Turns each enciphered entry (length byte L, then L key bytes and 10 child bytes, all
   enciphered) into its plain form in place: key, zero byte, child bytes. */
static lexq_status decipher_node(const lexq_dictionary *d, uint8_t *node, uint32_t size,
                                 uint32_t position) {
    uint32_t at = 0;
    while (at < size) {
        const uint32_t key_length = node[at];
        /* The entry must fit in what is left of the node. */
        if (key_length + 11 > size - at)
            return LEXQ_S_CORRUPT;
        /* Cipher positions are 32-bit; a node reaching past them cannot be deciphered. */
        if ((uint64_t)position + at > UINT32_MAX)
            return LEXQ_S_CORRUPT;
        lexq_decipher(d, position + at, node + at + 1, key_length + 10);
        memmove(node + at, node + at + 1, key_length);
        node[at + key_length] = 0;
        at += key_length + 11;
    }
    return LEXQ_OK;
}

/* Parses count plain entries that must fill the node's size bytes exactly. */
static lexq_status parse_node(lexq_index_slot *slot, uint32_t size, uint16_t count, bool utf8) {
    const uint8_t *p = slot->node;
    const uint8_t *end = slot->node + size;
    for (uint32_t i = 0; i < count; i++) {
        lexq_node_entry *entry = &slot->entries[i];
        /* The key must end with a zero byte inside the node. */
        const uint8_t *zero = (const uint8_t *)(p < end ? memchr(p, 0, (size_t)(end - p)) : NULL);
        if (zero == NULL)
            return LEXQ_S_CORRUPT;
        /* A UTF-8 book's keys are well-formed UTF-8. */
        if (utf8 && !lexq_utf8_valid((const char *)p, (size_t)(zero - p)))
            return LEXQ_S_CORRUPT;
        entry->key = (const char *)p;
        p = zero + 1;
        /* After the key: child position, child size and child count, 10 bytes. */
        if (end - p < 10 || !lexq_le32(p, end, &entry->child_position) ||
            !lexq_le32(p + 4, end, &entry->child_size) ||
            !lexq_le16(p + 8, end, &entry->child_count))
            return LEXQ_S_CORRUPT;
        p += 10;
    }
    /* Nothing may follow the last entry. */
    if (p != end)
        return LEXQ_S_CORRUPT;
    return LEXQ_OK;
}

static lexq_status load_node(lexq_dictionary *d, lexq_index_slot *slot, uint64_t offset,
                             const lexq_child *node) {
    /* The slot's node buffer and entry array were sized by the index header's maxima. */
    if (node->count > d->node_max_entries || node->size > d->node_max_size)
        return LEXQ_S_CORRUPT;
    /* A node without entries has no child to descend into. */
    if (node->count == 0)
        return LEXQ_S_CORRUPT;
    /* From here the slot's contents are overwritten: it holds nothing until complete. */
    slot->tag = 0;
    slot->entry_count = 0;
    lexq_status status = lexq_stream_read_at(&d->index_stream, offset, slot->node, node->size);
    if (status == LEXQ_OK && d->decrypt != NULL)
        status = decipher_node(d, slot->node, node->size, node->position);
    if (status == LEXQ_OK)
        status = parse_node(slot, node->size, node->count, d->utf8 != 0);
    if (status != LEXQ_OK)
        return status;
    slot->entry_count = node->count;
    slot->tag = offset;
    return LEXQ_OK;
}

/* The first entry whose key is not less than key, or the last entry if there is none
   (*fell_back says which). */
static const lexq_node_entry *lower_bound(const lexq_index_slot *slot, const char *key,
                                          bool *fell_back) {
    uint32_t lo = lexq_lower_bound(slot->entries, sizeof *slot->entries, slot->entry_count, key);
    *fell_back = lo == slot->entry_count;
    if (*fell_back)
        lo = slot->entry_count - 1;
    return &slot->entries[lo];
}

lexq_status lexq_descend(lexq_dictionary *d, const char *key, lexq_child *leaf,
                         const char **bound) {
    if (bound != NULL)
        *bound = NULL;
    lexq_child child = {d->root_position, d->root_size, d->root_count};
    for (uint32_t level = 0; level < d->depth; level++) {
        lexq_index_slot *slot = &d->index_slots[level];
        const uint64_t offset = (uint64_t)d->index_offset + LEXQ_INDEX_HEADER + child.position;
        if (slot->tag != offset) {
            const lexq_status status = load_node(d, slot, offset, &child);
            if (status != LEXQ_OK)
                return status;
        }
        bool fell_back;
        const lexq_node_entry *entry = lower_bound(slot, key, &fell_back);
        /* Deeper entries lie inside this one's subtree: the deepest bound is the tightest. */
        if (bound != NULL && !fell_back)
            *bound = entry->key;
        child.position = entry->child_position;
        child.size = entry->child_size;
        child.count = entry->child_count;
    }
    *leaf = child;
    return LEXQ_OK;
}
