// Our own ChaCha20, which crypt.dll uses where libsodium is not packaged (Windows), must
// give libsodium's keystream byte for byte: dictionaries enciphered on one system are
// deciphered on the other.
#include <gtest/gtest.h>
#include <sodium.h>

#include <random>
#include <string>

#include "chacha20.h"

namespace {

TEST(ChaCha20, OwnKeystreamIsLibsodiumsForAnyKeyCounterAndLength) {
    ASSERT_GE(sodium_init(), 0);
    std::mt19937 random(18);
    for (int round = 0; round < 200; ++round) {
        uint8_t key[kChaChaKeyBytes], nonce[kChaChaNonceBytes];
        for (uint8_t &b : key)
            b = static_cast<uint8_t>(random());
        for (uint8_t &b : nonce)
            b = static_cast<uint8_t>(random());
        const uint32_t counter = round % 3 == 0 ? random() % 4 : random() % (1u << 27);
        std::string data(random() % 700, '\0');
        for (char &c : data)
            c = static_cast<char>(random());
        std::string ours = data, theirs = data;
        chacha20_xor(reinterpret_cast<uint8_t *>(ours.data()), ours.size(), nonce, counter, key);
        crypto_stream_chacha20_ietf_xor_ic(reinterpret_cast<uint8_t *>(theirs.data()),
                                           reinterpret_cast<const uint8_t *>(theirs.data()),
                                           theirs.size(), nonce, counter, key);
        ASSERT_EQ(ours, theirs) << "round " << round << ", counter " << counter;
    }
}

}  // namespace
