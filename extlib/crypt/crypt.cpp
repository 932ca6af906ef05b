#include "crypt.h"

#include <string.h>

#include "chacha20.h"

/* The product's built-in key and nonce. */
static const unsigned char kKey[kChaChaKeyBytes] = {
    0x54, 0x61, 0x61, 0x6c, 0x6b, 0x69, 0x73, 0x74, 0x9e, 0x21, 0x47, 0xd3, 0x0b, 0x86, 0x5a, 0xc1,
    0x3f, 0xe2, 0x77, 0x19, 0xb4, 0x6d, 0x02, 0xf8, 0x95, 0x3c, 0xa1, 0x4e, 0xd7, 0x60, 0x2b, 0x88};
static const unsigned char kNonce[kChaChaNonceBytes] = {0x6c, 0x65, 0x78, 0x71, 0x13, 0x57,
                                                        0x9b, 0xdf, 0x24, 0x68, 0xac, 0xe0};

enum { kBlock = kChaChaBlockBytes };

/* XORs the keystream from stream byte position on into length bytes at data. */
static void apply_keystream(uint32_t position, uint8_t *data, uint32_t length) {
    if (length == 0)
        return;
    uint32_t counter = position / kBlock;
    const uint32_t skip = position % kBlock;
    if (skip != 0) {
        /* The first, partial block: XOR with the tail of its keystream block. */
        unsigned char block[kBlock] = {0};
        chacha20_xor(block, kBlock, kNonce, counter, kKey);
        const uint32_t take = length < kBlock - skip ? length : kBlock - skip;
        for (uint32_t i = 0; i < take; i++)
            data[i] ^= block[skip + i];
        memset(block, 0, sizeof block);
        data += take;
        length -= take;
        counter++;
    }
    if (length > 0)
        chacha20_xor(data, length, kNonce, counter, kKey);
}

extern "C" void LEXQ_CALL decrypt(uint32_t position, uint8_t *data, uint32_t length) {
    apply_keystream(position, data, length);
}

extern "C" void LEXQ_CALL encrypt(uint32_t position, uint8_t *data, uint32_t length) {
    apply_keystream(position, data, length);
}
