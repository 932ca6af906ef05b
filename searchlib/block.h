/* A stored leaf or text block: its 10-byte header, then a payload that passes through the
   work buffer to be deciphered and inflated into a cache slot's buffer. */
#ifndef LEXQ_BLOCK_H
#define LEXQ_BLOCK_H

#include "dictionary.h"

/* Reads the block whose header lies at offset in stream, deciphers its payload as lying
   at position of its section, and inflates it into buffer in growth steps of step. A leaf
   block must agree with the index entry that points to it (pointer; null for a text
   block): its size counts header and payload, and it holds the entry's count of entries,
   no more than the leaf header's largest. On LEXQ_OK *length is the decompressed length,
   which the payload has produced exactly. */
lexq_status lexq_read_block(lexq_dictionary *dict, lexq_stream *stream, uint64_t offset,
                            uint32_t position, const lexq_child *pointer, uint32_t step,
                            lexq_growbuf *buffer, uint32_t *length);

#endif
