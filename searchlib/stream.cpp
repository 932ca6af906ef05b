#include "stream.h"

#include <sys/types.h>

#include "platform/paths.h"

static unsigned long g_count[LEXQ_OP_COUNT];
static lexq_stream_op g_fail_op;
static unsigned long g_fail_nth;
static bool g_fail_short;

/* Counts one operation and says whether the test seam makes it fail. */
static bool seam_fails(lexq_stream_op op) {
    g_count[op]++;
    return g_fail_nth != 0 && op == g_fail_op && g_count[op] == g_fail_nth;
}

lexq_status lexq_stream_open(lexq_stream *stream, const char *path) {
    stream->file = NULL;
    /* A folder is no dictionary file, even where the system lets it be opened. */
    if (seam_fails(LEXQ_OP_OPEN) || path == NULL || platform::DirectoryExists(path))
        return LEXQ_S_OPEN;
    stream->file = fopen(path, "rb");
    return stream->file != NULL ? LEXQ_OK : LEXQ_S_OPEN;
}

void lexq_stream_close(lexq_stream *stream) {
    if (stream->file != NULL)
        fclose(stream->file);
    stream->file = NULL;
}

lexq_status lexq_stream_read(lexq_stream *stream, void *into, size_t size) {
    size_t wanted = size;
    if (seam_fails(LEXQ_OP_READ)) {
        if (!g_fail_short || size == 0)
            return LEXQ_S_SHORT;
        wanted = size - 1;
    }
    /* A zero-length read succeeds without touching the (possibly absent) buffer. */
    if (wanted > 0 && fread(into, 1, wanted, stream->file) != wanted)
        return LEXQ_S_SHORT;
    return wanted == size ? LEXQ_OK : LEXQ_S_SHORT;
}

lexq_status lexq_stream_read_at(lexq_stream *stream, uint64_t offset, void *into, size_t size) {
    /* A position the file system cannot seek to can yield no bytes: a short read. */
    if (seam_fails(LEXQ_OP_SEEK) || offset > (uint64_t)INT64_MAX ||
        fseeko(stream->file, (off_t)offset, SEEK_SET) != 0)
        return LEXQ_S_SHORT;
    return lexq_stream_read(stream, into, size);
}

void lexq_seam_stream_fail(lexq_stream_op op, unsigned long nth, bool short_read) {
    for (int i = 0; i < LEXQ_OP_COUNT; i++)
        g_count[i] = 0;
    g_fail_op = op;
    g_fail_nth = nth;
    g_fail_short = short_read;
}

unsigned long lexq_seam_stream_count(lexq_stream_op op) {
    return g_count[op];
}
