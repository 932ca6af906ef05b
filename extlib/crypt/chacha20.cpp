/* ChaCha20 as RFC 8439 describes it, for systems without libsodium (no mingw build of it
   is packaged). Its output is checked against libsodium's by the tests. */
#include "chacha20.h"

#include <string.h>

static uint32_t rotl(uint32_t v, int n) {
    return (v << n) | (v >> (32 - n));
}

static uint32_t load_le32(const uint8_t *p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static void quarter_round(uint32_t *x, int a, int b, int c, int d) {
    x[a] += x[b];
    x[d] = rotl(x[d] ^ x[a], 16);
    x[c] += x[d];
    x[b] = rotl(x[b] ^ x[c], 12);
    x[a] += x[b];
    x[d] = rotl(x[d] ^ x[a], 8);
    x[c] += x[d];
    x[b] = rotl(x[b] ^ x[c], 7);
}

/* One 64-byte keystream block. */
static void block(const uint32_t *input, uint8_t *out) {
    uint32_t x[16];
    memcpy(x, input, sizeof x);
    for (int i = 0; i < 10; i++) {
        quarter_round(x, 0, 4, 8, 12);
        quarter_round(x, 1, 5, 9, 13);
        quarter_round(x, 2, 6, 10, 14);
        quarter_round(x, 3, 7, 11, 15);
        quarter_round(x, 0, 5, 10, 15);
        quarter_round(x, 1, 6, 11, 12);
        quarter_round(x, 2, 7, 8, 13);
        quarter_round(x, 3, 4, 9, 14);
    }
    for (int i = 0; i < 16; i++) {
        const uint32_t v = x[i] + input[i];
        out[4 * i] = (uint8_t)v;
        out[4 * i + 1] = (uint8_t)(v >> 8);
        out[4 * i + 2] = (uint8_t)(v >> 16);
        out[4 * i + 3] = (uint8_t)(v >> 24);
    }
}

void chacha20_xor(uint8_t *data, size_t length, const uint8_t *nonce, uint32_t counter,
                  const uint8_t *key) {
    uint32_t state[16] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
    for (int i = 0; i < 8; i++)
        state[4 + i] = load_le32(key + 4 * i);
    state[12] = counter;
    for (int i = 0; i < 3; i++)
        state[13 + i] = load_le32(nonce + 4 * i);
    uint8_t stream[kChaChaBlockBytes];
    while (length > 0) {
        block(state, stream);
        const size_t take = length < (size_t)kChaChaBlockBytes ? length : (size_t)kChaChaBlockBytes;
        for (size_t i = 0; i < take; i++)
            data[i] ^= stream[i];
        data += take;
        length -= take;
        state[12]++; /* 32-bit positions and lengths stay far below 2^32 blocks */
    }
    memset(stream, 0, sizeof stream);
}
