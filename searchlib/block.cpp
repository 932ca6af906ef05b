#include "block.h"

#include "decipher.h"
#include "le.h"

/* The header's agreement with the index entry that points to a leaf block. */
static bool agrees(const lexq_dictionary *d, const lexq_child *pointer, uint32_t payload,
                   uint16_t count) {
    /* The pointing entry's size counts the block header and the payload. */
    if ((uint64_t)payload + LEXQ_BLOCK_HEADER != pointer->size)
        return false;
    /* The block holds as many entries as its pointing entry says, and the slot's entry
       array has room for the leaf header's largest number of entries only. */
    return count == pointer->count && count <= d->leaf_max_entries;
}

lexq_status lexq_read_block(lexq_dictionary *d, lexq_stream *stream, uint64_t offset,
                            uint32_t position, const lexq_child *pointer, uint32_t step,
                            lexq_growbuf *buffer, uint32_t *length) {
    uint8_t head[LEXQ_BLOCK_HEADER];
    lexq_status status = lexq_stream_read_at(stream, offset, head, sizeof head);
    if (status != LEXQ_OK)
        return status;
    uint32_t payload, expected;
    uint16_t value;
    lexq_le32(head, head + sizeof head, &payload);
    lexq_le32(head + 4, head + sizeof head, &expected);
    lexq_le16(head + 8, head + sizeof head, &value);
    if (pointer != NULL && !agrees(d, pointer, payload, value))
        return LEXQ_S_CORRUPT;
    /* Payloads pass through the work buffer, sized at the open for the largest. */
    if (payload > d->work_size)
        return LEXQ_S_CORRUPT;
    status = lexq_stream_read(stream, d->work, payload);
    if (status != LEXQ_OK)
        return status;
    lexq_decipher(d, position, d->work, payload);
    uint32_t produced;
    status = lexq_decompress(d->work, payload, step, expected, buffer, &produced);
    if (status != LEXQ_OK)
        return status;
    /* The block must decompress to exactly the length its header gives. */
    if (produced != expected)
        return LEXQ_S_CORRUPT;
    *length = expected;
    return LEXQ_OK;
}
