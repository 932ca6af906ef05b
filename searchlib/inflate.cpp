#include "inflate.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#ifdef LEXQ_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <atomic>

#include "alloc.h"

/* The mode is a test seam, set while nothing else runs; the counts may be bumped by books
   inflating on several threads at once. */
static lexq_inflate_mode g_mode = LEXQ_INFLATE_FAST;
static std::atomic<unsigned long> g_fast_count;
static std::atomic<unsigned long> g_mismatches;
static std::atomic<unsigned long> g_refusals;

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

/* zlib's stream inflater into a buffer that already holds the first estimate: the
   reference for every status and every growth step. */
static lexq_status stream_inflate(const uint8_t *data, uint32_t length, uint32_t step,
                                  uint32_t expected, lexq_growbuf *buffer, uint32_t *produced) {
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    stream.next_in = (Bytef *)data;
    stream.avail_in = length;
    if (inflateInit_(&stream, ZLIB_VERSION, (int)sizeof(z_stream)) != Z_OK)
        return LEXQ_S_INFLATE;

    lexq_status status = LEXQ_OK;
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

/* How zlib's stream inflater, given a buffer of capacity bytes, ends a block that the
   whole-buffer inflater read to exactly expected bytes. */
typedef enum zlib_verdict {
    ZLIB_AGREES,  /* the same bytes in its first call */
    ZLIB_DIFFERS, /* other bytes or another length: one of the two inflaters is wrong */
    ZLIB_REFUSES, /* a header rule of zlib's own, while the content checks out */
} zlib_verdict;

static zlib_verdict zlib_judges(const uint8_t *data, uint32_t length, uint32_t capacity,
                                uint32_t expected, const uint8_t *out) {
    /* Plain malloc: the check must not count against the library's own holding. */
    uint8_t *again = (uint8_t *)malloc(capacity > 0 ? capacity : 1);
    if (again == NULL)
        abort();
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    stream.next_in = (Bytef *)data;
    stream.avail_in = length;
    if (inflateInit_(&stream, ZLIB_VERSION, (int)sizeof(z_stream)) != Z_OK)
        abort();
    stream.next_out = again;
    stream.avail_out = capacity;
    const int result = inflate(&stream, Z_NO_FLUSH);
    zlib_verdict verdict = ZLIB_DIFFERS;
    if (result == Z_STREAM_END)
        verdict = stream.total_out == expected && memcmp(again, out, expected) == 0 ? ZLIB_AGREES
                                                                                    : ZLIB_DIFFERS;
    else if (result == Z_DATA_ERROR)
        verdict = ZLIB_REFUSES;
    inflateEnd(&stream);
    free(again);
    return verdict;
}

#ifdef LEXQ_HAVE_LIBDEFLATE
/* libdeflate's decompressor keeps nothing of a block once it has been inflated, only room
   for its decode tables; it serves one thread at a time, so each thread that inflates has
   its own, made at its first block and released when the thread ends. */
namespace {
struct WholeBufferInflater {
    libdeflate_decompressor *decompressor = libdeflate_alloc_decompressor();
    ~WholeBufferInflater() { libdeflate_free_decompressor(decompressor); }
};
}  // namespace

/* Inflates a block whole into the buffer as it is; true only when the stream decodes to
   exactly expected bytes and its Adler-32 check value matches them. zlib's stream inflater
   then ends in its first call with the same bytes, except for a stream that breaks one of
   the header rules zlib adds to the format (more than 286 length or 30 distance codes, a
   repeat of code lengths running past their end): libdeflate reads its checked content,
   zlib refused it. Every other block (one that needs a larger buffer, or does not inflate
   cleanly to expected bytes) is left to zlib, whose statuses depend on where in the
   output a fault lies. */
static bool whole_inflate(const uint8_t *data, uint32_t length, uint32_t expected,
                          lexq_growbuf *buffer) {
    static thread_local WholeBufferInflater inflater;
    if (inflater.decompressor == NULL || buffer->data == NULL || expected > buffer->capacity)
        return false;
    return libdeflate_zlib_decompress(inflater.decompressor, data, length, buffer->data, expected,
                                      NULL) == LIBDEFLATE_SUCCESS;
}
#else
static bool whole_inflate(const uint8_t *, uint32_t, uint32_t, lexq_growbuf *) {
    return false;
}
#endif

lexq_status lexq_decompress(const uint8_t *data, uint32_t length, uint32_t step, uint32_t expected,
                            lexq_growbuf *buffer, uint32_t *produced) {
    *produced = 0;
    /* First estimate: two and a half times the stored size. */
    const lexq_status status = lexq_ensure(buffer, 2 * (uint64_t)length + length / 2, step);
    if (status != LEXQ_OK)
        return status;
    if (g_mode != LEXQ_INFLATE_ZLIB && whole_inflate(data, length, expected, buffer)) {
        g_fast_count++;
        if (g_mode == LEXQ_INFLATE_CROSSCHECK) {
            const zlib_verdict verdict =
                zlib_judges(data, length, buffer->capacity, expected, buffer->data);
            g_mismatches += verdict == ZLIB_DIFFERS ? 1 : 0;
            g_refusals += verdict == ZLIB_REFUSES ? 1 : 0;
        }
        *produced = expected;
        return LEXQ_OK;
    }
    return stream_inflate(data, length, step, expected, buffer, produced);
}

void lexq_seam_inflate_mode(lexq_inflate_mode mode) {
    g_mode = mode;
    g_fast_count = 0;
    g_mismatches = 0;
    g_refusals = 0;
}

bool lexq_seam_inflate_has_fast(void) {
#ifdef LEXQ_HAVE_LIBDEFLATE
    return true;
#else
    return false;
#endif
}

unsigned long lexq_seam_inflate_fast_count(void) {
    return g_fast_count;
}

unsigned long lexq_seam_inflate_mismatches(void) {
    return g_mismatches;
}

unsigned long lexq_seam_inflate_zlib_refusals(void) {
    return g_refusals;
}
