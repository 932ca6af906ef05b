/* A buffered, read-only stream on the dictionary file. The open dictionary keeps three
   of them, one per section, so that each keeps its own position and buffer. */
#ifndef LEXQ_STREAM_H
#define LEXQ_STREAM_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "status.h"

typedef struct lexq_stream {
    FILE *file; /* null while closed */
} lexq_stream;

/* Opens path for reading in binary mode: LEXQ_S_OPEN when that fails (null path too). */
lexq_status lexq_stream_open(lexq_stream *stream, const char *path);
/* Closes the stream if it is open. */
void lexq_stream_close(lexq_stream *stream);
/* Seeks to the absolute offset, then reads exactly size bytes; LEXQ_S_SHORT otherwise. */
lexq_status lexq_stream_read_at(lexq_stream *stream, uint64_t offset, void *into, size_t size);
/* Reads exactly size bytes from the current position; LEXQ_S_SHORT otherwise. */
lexq_status lexq_stream_read(lexq_stream *stream, void *into, size_t size);

/* Test seam (not exported from the shared library). */
typedef enum lexq_stream_op {
    LEXQ_OP_OPEN,
    LEXQ_OP_SEEK,
    LEXQ_OP_READ,
    LEXQ_OP_COUNT
} lexq_stream_op;
/* Makes the nth operation of this kind from now fail (1 = the next; 0 = none); for reads,
   short_read delivers one byte less instead of nothing. Also resets the counters. */
void lexq_seam_stream_fail(lexq_stream_op op, unsigned long nth, bool short_read);
/* Operations of this kind since the last lexq_seam_stream_fail. */
unsigned long lexq_seam_stream_count(lexq_stream_op op);

#endif
