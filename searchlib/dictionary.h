/* The open-dictionary record: copies of the file's headers, the cache slots that hold
   index nodes, the leaf block and text blocks, the hit list, and the file streams. */
#ifndef LEXQ_DICTIONARY_H
#define LEXQ_DICTIONARY_H

#include <stdint.h>

#include "inflate.h"
#include "lexqapi.h"
#include "stream.h"

/* Sizes of the fixed headers in the file. */
#define LEXQ_FILE_HEADER 37u
#define LEXQ_INDEX_HEADER 18u
#define LEXQ_LEAF_HEADER 12u
#define LEXQ_TEXT_HEADER 8u
#define LEXQ_BLOCK_HEADER 10u /* payload length, decompressed length, 16-bit value */

/* A UTF-8 book (the second kind) starts with a file header of the first kind's size whose
   identification block is LEXQ_UTF8_IDENT, its first value LEXQ_UTF8_VERSION and its three
   section offsets 0xFFFFFFFF, so that a reader of the first kind fails at its first section
   header (a short read) and refuses the file as of the wrong format. The real section
   offsets follow in an extension of 12 bytes: text, leaf and index section. Everything
   else is laid out as in the first kind; keys and texts are UTF-8 (foldtable_utf8.h). */
#define LEXQ_UTF8_IDENT "TAALKIST-LEXQ U8"
#define LEXQ_UTF8_VERSION 2u
#define LEXQ_UTF8_EXTENSION 12u
#define LEXQ_NO_OFFSET 0xFFFFFFFFu

/* "decrypt" of "crypt.dll": deciphers length bytes at data in place. */
typedef void(LEXQ_CALL *lexq_decrypt_fn)(uint32_t position, uint8_t *data, uint32_t length);

/* Where a node or block lies: its position in its section, its size and entry count. */
typedef struct lexq_child {
    uint32_t position;
    uint32_t size;
    uint16_t count;
} lexq_child;

typedef struct lexq_node_entry {
    const char *key; /* inside the slot's node buffer */
    uint32_t child_position;
    uint32_t child_size;
    uint16_t child_count;
} lexq_node_entry;

typedef struct lexq_index_slot {
    uint64_t tag;             /* absolute file offset of the node held; 0 = none */
    lexq_node_entry *entries; /* room for the largest number of node entries */
    uint16_t entry_count;
    uint8_t *node; /* the largest node size */
} lexq_index_slot;

typedef struct lexq_leaf_entry {
    const char *key;     /* inside the leaf buffer */
    const uint8_t *refs; /* first 6-byte hit reference */
    uint32_t ref_count;  /* wide enough for any record, so a huge list is never cut short */
} lexq_leaf_entry;

typedef struct lexq_leaf_slot {
    uint64_t tag;             /* absolute file offset of the block held; 0 = none */
    lexq_leaf_entry *entries; /* room for the largest number of leaf entries */
    uint16_t entry_count;
    lexq_growbuf buffer;
    uint32_t length; /* decompressed bytes of the block held */
} lexq_leaf_slot;

typedef struct lexq_text_slot {
    uint64_t tag; /* absolute file offset of the block held; 0 = none */
    lexq_growbuf buffer;
    uint32_t length; /* decompressed bytes of the block held */
    uint8_t in_use;  /* taken by a hit of the current search; 2: kept for a walk (hits.cpp) */
} lexq_text_slot;

typedef struct lexq_dictionary {
    /* File header. */
    uint8_t ident[16];
    uint32_t value16, value20; /* kept, not interpreted */
    uint32_t text_offset, leaf_offset, index_offset;
    uint8_t enciphered;
    uint8_t utf8; /* a book of the second kind: keys and texts are UTF-8 */
    /* Index section header. */
    uint16_t depth;
    uint16_t node_max_entries;
    uint32_t node_max_size;
    uint32_t root_position, root_size;
    uint16_t root_count;
    /* Leaf section header. */
    uint32_t leaf_max_payload, leaf_max_length;
    uint16_t hit_limit;
    uint16_t leaf_max_entries;
    /* Text section header. */
    uint32_t text_max_payload, text_max_length;
    /* Caches. */
    lexq_index_slot *index_slots; /* depth of them */
    lexq_leaf_slot *leaf_slot;
    lexq_text_slot *text_slots; /* hit_limit of them */
    /* Hit list of the last lookup: pointers into text slot buffers. */
    const char **hit_s1, **hit_s2, **hit_s3;
    uint32_t hit_count;
    /* Every stored payload is read here before deciphering and decompression. */
    uint8_t *work;
    uint32_t work_size;
    lexq_stream index_stream, leaf_stream, text_stream;
    /* Decipher binding; both null in a plain dictionary. */
    void *crypt_module;
    lexq_decrypt_fn decrypt;
} lexq_dictionary;

#endif
