/* The ChaCha20 stream cipher of RFC 8439 (32-byte key, 12-byte nonce, 32-bit block
   counter): XORs the keystream from block `counter` on into length bytes at data. */
#ifndef TK_CHACHA20_H
#define TK_CHACHA20_H

#include <stddef.h>
#include <stdint.h>

enum { kChaChaKeyBytes = 32, kChaChaNonceBytes = 12, kChaChaBlockBytes = 64 };

void chacha20_xor(uint8_t *data, size_t length, const uint8_t *nonce, uint32_t counter,
                  const uint8_t *key);

#endif
