#include "loader.h"

#include <string.h>

#include "alloc.h"
#include "decipher.h"
#include "le.h"

#define LEXQ_READ_AHEAD_MAX (64u * 1024u)

/* Opens the file three times, one stream per section. */
static lexq_status open_streams(lexq_dictionary *d, const char *path) {
    lexq_status status = lexq_stream_open(&d->index_stream, path);
    if (status == LEXQ_OK)
        status = lexq_stream_open(&d->leaf_stream, path);
    if (status == LEXQ_OK)
        status = lexq_stream_open(&d->text_stream, path);
    return status;
}

/* A UTF-8 book's identification block names it; then its version must be the one this
   reader knows and the section offsets of the first kind's header must be the unusable
   ones the second kind writes, and the real offsets are read from the extension. */
static lexq_status read_utf8_extension(lexq_dictionary *d) {
    if (memcmp(d->ident, LEXQ_UTF8_IDENT, sizeof d->ident) != 0)
        return LEXQ_OK;
    if (d->value16 != LEXQ_UTF8_VERSION || d->text_offset != LEXQ_NO_OFFSET ||
        d->leaf_offset != LEXQ_NO_OFFSET || d->index_offset != LEXQ_NO_OFFSET)
        return LEXQ_S_CORRUPT;
    uint8_t extension[LEXQ_UTF8_EXTENSION];
    const lexq_status status =
        lexq_stream_read_at(&d->index_stream, LEXQ_FILE_HEADER, extension, sizeof extension);
    if (status != LEXQ_OK)
        return status;
    const uint8_t *end = extension + sizeof extension;
    lexq_le32(extension + 0, end, &d->text_offset);
    lexq_le32(extension + 4, end, &d->leaf_offset);
    lexq_le32(extension + 8, end, &d->index_offset);
    d->utf8 = 1;
    return LEXQ_OK;
}

/* Reads the file header and the three section headers. Only their byte counts are
   checked: a section offset beyond the end of the file is a short read. */
static lexq_status read_headers(lexq_dictionary *d) {
    uint8_t head[LEXQ_FILE_HEADER];
    lexq_status status = lexq_stream_read_at(&d->index_stream, 0, head, sizeof head);
    if (status != LEXQ_OK)
        return status;
    const uint8_t *end = head + sizeof head;
    memcpy(d->ident, head, sizeof d->ident);
    lexq_le32(head + 16, end, &d->value16);
    lexq_le32(head + 20, end, &d->value20);
    lexq_le32(head + 24, end, &d->text_offset);
    lexq_le32(head + 28, end, &d->leaf_offset);
    lexq_le32(head + 32, end, &d->index_offset);
    d->enciphered = head[36];
    status = read_utf8_extension(d);
    if (status != LEXQ_OK)
        return status;

    uint8_t index[LEXQ_INDEX_HEADER];
    status = lexq_stream_read_at(&d->index_stream, d->index_offset, index, sizeof index);
    if (status != LEXQ_OK)
        return status;
    end = index + sizeof index;
    lexq_le16(index + 0, end, &d->depth);
    lexq_le32(index + 2, end, &d->node_max_size);
    lexq_le16(index + 6, end, &d->node_max_entries);
    lexq_le32(index + 8, end, &d->root_position);
    lexq_le32(index + 12, end, &d->root_size);
    lexq_le16(index + 16, end, &d->root_count);

    uint8_t leaf[LEXQ_LEAF_HEADER];
    status = lexq_stream_read_at(&d->leaf_stream, d->leaf_offset, leaf, sizeof leaf);
    if (status != LEXQ_OK)
        return status;
    end = leaf + sizeof leaf;
    lexq_le32(leaf + 0, end, &d->leaf_max_payload);
    lexq_le32(leaf + 4, end, &d->leaf_max_length);
    lexq_le16(leaf + 8, end, &d->leaf_max_entries);
    lexq_le16(leaf + 10, end, &d->hit_limit);

    uint8_t text[LEXQ_TEXT_HEADER];
    status = lexq_stream_read_at(&d->text_stream, d->text_offset, text, sizeof text);
    if (status != LEXQ_OK)
        return status;
    end = text + sizeof text;
    lexq_le32(text + 0, end, &d->text_max_payload);
    lexq_le32(text + 4, end, &d->text_max_length);
    return LEXQ_OK;
}

/* A buffer of size bytes, or none for size 0 (it then grows on first use). */
static bool alloc_buffer(uint8_t **buffer, uint32_t size) {
    *buffer = NULL;
    if (size == 0)
        return true;
    *buffer = (uint8_t *)lexq_alloc(size);
    return *buffer != NULL;
}

/* Read-ahead of a block section: its largest block, header and payload, so that loading a
   block takes one system read; capped, as a hostile header could name any size. */
static uint32_t read_ahead_for(uint32_t max_payload) {
    const uint64_t size = (uint64_t)max_payload + LEXQ_BLOCK_HEADER;
    return size < LEXQ_READ_AHEAD_MAX ? (uint32_t)size : LEXQ_READ_AHEAD_MAX;
}

/* Allocates every cache at the largest sizes the headers give, in a fixed order. */
static lexq_status allocate_caches(lexq_dictionary *d) {
    d->hit_s1 = (const char **)lexq_alloc_zero(d->hit_limit, sizeof(char *));
    d->hit_s2 = d->hit_s1 ? (const char **)lexq_alloc_zero(d->hit_limit, sizeof(char *)) : NULL;
    d->hit_s3 = d->hit_s2 ? (const char **)lexq_alloc_zero(d->hit_limit, sizeof(char *)) : NULL;
    if (d->hit_s3 == NULL)
        return LEXQ_S_NOMEM;

    d->work_size =
        d->leaf_max_payload > d->text_max_payload ? d->leaf_max_payload : d->text_max_payload;
    if (!alloc_buffer(&d->work, d->work_size))
        return LEXQ_S_NOMEM;
    if (lexq_stream_read_ahead(&d->leaf_stream, read_ahead_for(d->leaf_max_payload)) != LEXQ_OK ||
        lexq_stream_read_ahead(&d->text_stream, read_ahead_for(d->text_max_payload)) != LEXQ_OK)
        return LEXQ_S_NOMEM;

    d->text_slots = (lexq_text_slot *)lexq_alloc_zero(d->hit_limit, sizeof(lexq_text_slot));
    if (d->text_slots == NULL)
        return LEXQ_S_NOMEM;
    for (uint32_t i = 0; i < d->hit_limit; i++) {
        lexq_text_slot *slot = &d->text_slots[i];
        if (!alloc_buffer(&slot->buffer.data, d->text_max_length))
            return LEXQ_S_NOMEM;
        slot->buffer.capacity = d->text_max_length;
    }

    d->leaf_slot = (lexq_leaf_slot *)lexq_alloc_zero(1, sizeof(lexq_leaf_slot));
    if (d->leaf_slot == NULL)
        return LEXQ_S_NOMEM;
    d->leaf_slot->entries =
        (lexq_leaf_entry *)lexq_alloc_zero(d->leaf_max_entries, sizeof(lexq_leaf_entry));
    if (d->leaf_slot->entries == NULL ||
        !alloc_buffer(&d->leaf_slot->buffer.data, d->leaf_max_length))
        return LEXQ_S_NOMEM;
    d->leaf_slot->buffer.capacity = d->leaf_max_length;

    d->index_slots = (lexq_index_slot *)lexq_alloc_zero(d->depth, sizeof(lexq_index_slot));
    if (d->index_slots == NULL)
        return LEXQ_S_NOMEM;
    for (uint32_t i = 0; i < d->depth; i++) {
        lexq_index_slot *slot = &d->index_slots[i];
        slot->entries =
            (lexq_node_entry *)lexq_alloc_zero(d->node_max_entries, sizeof(lexq_node_entry));
        if (slot->entries == NULL || !alloc_buffer(&slot->node, d->node_max_size))
            return LEXQ_S_NOMEM;
    }
    return LEXQ_OK;
}

lexq_status lexq_open(const char *path, lexq_dictionary **out) {
    *out = NULL;
    lexq_dictionary *d = (lexq_dictionary *)lexq_alloc_zero(1, sizeof(lexq_dictionary));
    if (d == NULL)
        return LEXQ_S_NOMEM;

    lexq_status status = open_streams(d, path);
    if (status == LEXQ_OK)
        status = read_headers(d);
    if (status == LEXQ_OK)
        status = allocate_caches(d);
    /* Any nonzero flag value marks an enciphered dictionary. */
    if (status == LEXQ_OK && d->enciphered != 0)
        status = lexq_bind_decipher(d);

    if (status != LEXQ_OK) {
        lexq_close(d);
        return status;
    }
    *out = d;
    return LEXQ_OK;
}

void lexq_close(lexq_dictionary *d) {
    if (d == NULL)
        return;
    if (d->index_slots != NULL) {
        for (uint32_t i = 0; i < d->depth; i++) {
            lexq_free(d->index_slots[i].node);
            lexq_free(d->index_slots[i].entries);
        }
        lexq_free(d->index_slots);
    }
    if (d->leaf_slot != NULL) {
        lexq_free(d->leaf_slot->entries);
        lexq_free(d->leaf_slot->buffer.data);
        lexq_free(d->leaf_slot);
    }
    if (d->text_slots != NULL) {
        for (uint32_t i = 0; i < d->hit_limit; i++)
            lexq_free(d->text_slots[i].buffer.data);
        lexq_free(d->text_slots);
    }
    lexq_free(d->work);
    lexq_free(d->hit_s1);
    lexq_free(d->hit_s2);
    lexq_free(d->hit_s3);
    lexq_stream_close(&d->index_stream);
    lexq_stream_close(&d->leaf_stream);
    lexq_stream_close(&d->text_stream);
    lexq_unbind_decipher(d);
    lexq_free(d);
}
