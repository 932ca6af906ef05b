/* ChaCha20 from libsodium, where it is installed. */
#include <sodium.h>

#include "chacha20.h"

static_assert(crypto_stream_chacha20_ietf_KEYBYTES == kChaChaKeyBytes);
static_assert(crypto_stream_chacha20_ietf_NONCEBYTES == kChaChaNonceBytes);

void chacha20_xor(uint8_t *data, size_t length, const uint8_t *nonce, uint32_t counter,
                  const uint8_t *key) {
    if (sodium_init() < 0)
        return;
    crypto_stream_chacha20_ietf_xor_ic(data, data, length, nonce, counter, key);
}
