// crypt.so: a keystream addressed by position, so any stretch deciphers on its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dynlib.h"
#include "rawdict.h"

namespace tk::test {
namespace {

using Fn = void (*)(uint32_t, uint8_t *, uint32_t);

Fn Export(const char *name) {
    static platform::LibHandle library = platform::LoadLibraryFromPath(ProductDir() + "/crypt.dll");
    return reinterpret_cast<Fn>(platform::FindExport(library, name));
}

std::string Apply(Fn fn, uint32_t position, std::string bytes) {
    fn(position, reinterpret_cast<uint8_t *>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

std::string Plain(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; i++)
        s += static_cast<char>(i * 7 + 3);
    return s;
}

TEST(Crypt, DecryptUndoesEncryptInPlaceAtAnyPosition) {
    const Fn encrypt = Export("encrypt"), decrypt = Export("decrypt");
    ASSERT_NE(encrypt, nullptr);
    ASSERT_NE(decrypt, nullptr);
    for (uint32_t position : {0u, 1u, 63u, 64u, 1000u, 0xFFFFFF00u}) {
        const std::string plain = Plain(300);
        const std::string cipher = Apply(encrypt, position, plain);
        EXPECT_NE(cipher, plain);
        EXPECT_EQ(Apply(decrypt, position, cipher), plain) << position;
        EXPECT_NE(Apply(decrypt, position + 1, cipher), plain) << "the position matters";
    }
    EXPECT_EQ(Apply(encrypt, 5, ""), "");
}

TEST(Crypt, PiecesDecipherLikeTheWhole) {
    // Index entries and blocks are deciphered piecewise, each at its own position.
    const Fn encrypt = Export("encrypt"), decrypt = Export("decrypt");
    const std::string plain = Plain(500);
    const std::string whole = Apply(encrypt, 100, plain);
    const std::vector<uint32_t> cuts{0, 1, 27, 64, 65, 200, 333, 500};
    std::string pieces;
    for (size_t i = 0; i + 1 < cuts.size(); i++)
        pieces += Apply(decrypt, 100 + cuts[i], whole.substr(cuts[i], cuts[i + 1] - cuts[i]));
    EXPECT_EQ(pieces, plain);
}

}  // namespace
}  // namespace tk::test
