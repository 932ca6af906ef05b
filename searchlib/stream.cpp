#include "stream.h"

#include <string.h>

#include <atomic>

#include "alloc.h"
#include "platform/paths.h"

/* Counts of the test seams; books read on several threads at once may bump them. */
static std::atomic<unsigned long> g_count[LEXQ_OP_COUNT];
static std::atomic<unsigned long> g_system_reads;
static std::atomic<uint64_t> g_system_bytes;
static lexq_stream_op g_fail_op;
static unsigned long g_fail_nth;
static bool g_fail_short;

/* Counts one operation and says whether the test seam makes it fail. */
static bool seam_fails(lexq_stream_op op) {
    const unsigned long count = ++g_count[op];
    return g_fail_nth != 0 && op == g_fail_op && count == g_fail_nth;
}

/* Reads up to size bytes at offset from the file: how many, or -1 on a read error. */
static int64_t system_read(lexq_stream *stream, uint64_t offset, uint8_t *into, size_t size) {
    g_system_reads++;
    const int64_t got = platform::ReadFileAt(stream->file, offset, into, size);
    if (got > 0)
        g_system_bytes += (uint64_t)got;
    return got;
}

lexq_status lexq_stream_open(lexq_stream *stream, const char *path) {
    memset(stream, 0, sizeof *stream);
    stream->file = platform::kNoFile;
    /* A folder is no dictionary file, even where the system lets it be opened. */
    if (seam_fails(LEXQ_OP_OPEN) || path == NULL || platform::DirectoryExists(path))
        return LEXQ_S_OPEN;
    stream->file = platform::OpenReadFile(path);
    stream->open = stream->file != platform::kNoFile;
    return stream->open ? LEXQ_OK : LEXQ_S_OPEN;
}

lexq_status lexq_stream_read_ahead(lexq_stream *stream, uint32_t size) {
    lexq_free(stream->ahead);
    stream->ahead = NULL;
    stream->ahead_size = 0;
    stream->held = 0;
    if (size == 0)
        return LEXQ_OK;
    stream->ahead = (uint8_t *)lexq_alloc(size);
    if (stream->ahead == NULL)
        return LEXQ_S_NOMEM;
    stream->ahead_size = size;
    return LEXQ_OK;
}

void lexq_stream_close(lexq_stream *stream) {
    if (stream->open)
        platform::CloseReadFile(stream->file);
    stream->open = false;
    lexq_stream_read_ahead(stream, 0);
}

/* Delivers wanted bytes from the position on: first what the read-ahead holds, then the
   rest straight from the file; only a read that starts outside the held bytes and fits the
   read-ahead refills it (a payload running past its block's read-ahead is followed by a
   seek elsewhere, so reading on after it would be wasted). */
static bool deliver(lexq_stream *stream, uint8_t *into, size_t wanted) {
    const uint64_t held_end = stream->held_at + stream->held;
    bool served = false;
    if (stream->position >= stream->held_at && stream->position < held_end) {
        served = true;
        const uint64_t have = held_end - stream->position;
        const size_t n = have < wanted ? (size_t)have : wanted;
        memcpy(into, stream->ahead + (stream->position - stream->held_at), n);
        stream->position += n;
        into += n;
        wanted -= n;
    }
    if (wanted == 0)
        return true;
    if (served || wanted >= stream->ahead_size) {
        const int64_t got = system_read(stream, stream->position, into, wanted);
        if (got > 0)
            stream->position += (uint64_t)got;
        return got == (int64_t)wanted;
    }
    const int64_t got = system_read(stream, stream->position, stream->ahead, stream->ahead_size);
    stream->held_at = stream->position;
    stream->held = got > 0 ? (uint32_t)got : 0;
    const size_t n = stream->held < wanted ? stream->held : wanted;
    memcpy(into, stream->ahead, n);
    stream->position += n;
    return n == wanted;
}

lexq_status lexq_stream_read(lexq_stream *stream, void *into, size_t size) {
    size_t wanted = size;
    if (seam_fails(LEXQ_OP_READ)) {
        if (!g_fail_short || size == 0)
            return LEXQ_S_SHORT;
        wanted = size - 1;
    }
    /* A zero-length read succeeds without touching the (possibly absent) buffer. */
    if (wanted > 0 && !deliver(stream, (uint8_t *)into, wanted))
        return LEXQ_S_SHORT;
    return wanted == size ? LEXQ_OK : LEXQ_S_SHORT;
}

lexq_status lexq_stream_read_at(lexq_stream *stream, uint64_t offset, void *into, size_t size) {
    /* A position the file system cannot seek to can yield no bytes: a short read. */
    if (seam_fails(LEXQ_OP_SEEK) || offset > (uint64_t)INT64_MAX)
        return LEXQ_S_SHORT;
    stream->position = offset;
    return lexq_stream_read(stream, into, size);
}

void lexq_seam_stream_fail(lexq_stream_op op, unsigned long nth, bool short_read) {
    for (int i = 0; i < LEXQ_OP_COUNT; i++)
        g_count[i] = 0;
    g_system_reads = 0;
    g_system_bytes = 0;
    g_fail_op = op;
    g_fail_nth = nth;
    g_fail_short = short_read;
}

unsigned long lexq_seam_stream_count(lexq_stream_op op) {
    return g_count[op];
}

unsigned long lexq_seam_stream_system_reads(void) {
    return g_system_reads;
}

uint64_t lexq_seam_stream_system_bytes(void) {
    return g_system_bytes;
}
