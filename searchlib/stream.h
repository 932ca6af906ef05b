/* A buffered, read-only stream on the dictionary file. The open dictionary keeps three
   of them, one per section, so that each keeps its own position and buffer. */
#ifndef LEXQ_STREAM_H
#define LEXQ_STREAM_H

#include <stddef.h>
#include <stdint.h>

#include "platform/readfile.h"
#include "status.h"

typedef struct lexq_stream {
    bool open; /* false in a zeroed stream, so that closing one never opened is harmless */
    platform::ReadFile file;
    uint64_t position; /* where the next read starts */
    /* Read-ahead: a small read fetches this many bytes, so that a block's payload read
       right after its header costs no second system call. */
    uint8_t *ahead;
    uint32_t ahead_size;
    uint64_t held_at; /* file offset of the bytes held in ahead */
    uint32_t held;    /* how many are held */
} lexq_stream;

/* Opens path for reading, without read-ahead: LEXQ_S_OPEN when that fails (null path too). */
lexq_status lexq_stream_open(lexq_stream *stream, const char *path);
/* Gives the stream a read-ahead of size bytes (0: none): LEXQ_S_NOMEM when it cannot be
   allocated. */
lexq_status lexq_stream_read_ahead(lexq_stream *stream, uint32_t size);
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
/* System reads, and the bytes they returned, since the last lexq_seam_stream_fail. */
unsigned long lexq_seam_stream_system_reads(void);
uint64_t lexq_seam_stream_system_bytes(void);

#endif
