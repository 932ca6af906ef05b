#include "inflate.h"

#include <string.h>
#include <zlib.h>

#include "alloc.h"

lexq_status lexq_ensure(lexq_growbuf *buffer, uint64_t size, uint32_t step) {
    const uint64_t rounded = (size + step - 1) / step * step;
    /* Capacities are 32-bit; a larger request is as impossible as an exhausted heap. */
    if (rounded > UINT32_MAX)
        return LEXQ_S_NOMEM;
    if (buffer->data == NULL || buffer->capacity == 0) {
        uint8_t *fresh = (uint8_t *)lexq_alloc((size_t)rounded);
        if (fresh == NULL)
            return LEXQ_S_NOMEM;
        lexq_free(buffer->data);
        buffer->data = fresh;
        buffer->capacity = (uint32_t)rounded;
        return LEXQ_OK;
    }
    if (buffer->capacity >= rounded)
        return LEXQ_OK;
    uint8_t *grown = (uint8_t *)lexq_realloc(buffer->data, (size_t)rounded);
    if (grown == NULL)
        return LEXQ_S_NOMEM;
    buffer->data = grown;
    buffer->capacity = (uint32_t)rounded;
    return LEXQ_OK;
}

lexq_status lexq_decompress(const uint8_t *data, uint32_t length, uint32_t step, uint32_t expected,
                            lexq_growbuf *buffer, uint32_t *produced) {
    *produced = 0;
    /* First estimate: two and a half times the stored size. */
    lexq_status status = lexq_ensure(buffer, 2 * (uint64_t)length + length / 2, step);
    if (status != LEXQ_OK)
        return status;

    z_stream stream;
    memset(&stream, 0, sizeof stream);
    stream.next_in = (Bytef *)data;
    stream.avail_in = length;
    if (inflateInit_(&stream, ZLIB_VERSION, (int)sizeof(z_stream)) != Z_OK)
        return LEXQ_S_INFLATE;

    stream.next_out = buffer->data;
    stream.avail_out = buffer->capacity;
    int result = inflate(&stream, Z_NO_FLUSH);
    while (result == Z_OK) {
        const uLong done = stream.total_out;
        /* More output than the block header announces: a corrupt or hostile block,
           which must not make the buffer grow without bound. */
        if (done > expected) {
            status = LEXQ_S_CORRUPT;
            break;
        }
        status = lexq_ensure(buffer, (uint64_t)buffer->capacity + step, step);
        if (status != LEXQ_OK)
            break;
        stream.next_out = buffer->data + done;
        stream.avail_out = buffer->capacity - (uint32_t)done;
        result = inflate(&stream, Z_NO_FLUSH);
    }
    if (status == LEXQ_OK && result != Z_STREAM_END)
        status = LEXQ_S_INFLATE;
    if (inflateEnd(&stream) != Z_OK && status == LEXQ_OK)
        status = LEXQ_S_INFLATE;
    if (status == LEXQ_OK)
        *produced = (uint32_t)stream.total_out;
    return status;
}
