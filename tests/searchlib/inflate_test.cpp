// Buffer growth and zlib inflation of stored blocks.
#include <gtest/gtest.h>

#include <string>

#include "alloc.h"
#include "inflate.h"
#include "rawdict.h"

namespace {

using tk::test::Compress;

struct Buffer {
    lexq_growbuf buf{};
    ~Buffer() { lexq_free(buf.data); }
};

lexq_status Inflate(const std::string &payload, uint32_t step, uint32_t expected, Buffer &b,
                    uint32_t *produced) {
    return lexq_decompress(reinterpret_cast<const uint8_t *>(payload.data()),
                           static_cast<uint32_t>(payload.size()), step, expected, &b.buf, produced);
}

class Inflate_ : public ::testing::Test {
  protected:
    void SetUp() override { lexq_seam_alloc_fail(0, false); }
    void TearDown() override { lexq_seam_alloc_fail(0, false); }
};

TEST_F(Inflate_, EnsureRoundsUpToWholeStepsAndNeverShrinks) {
    Buffer b;
    ASSERT_EQ(lexq_ensure(&b.buf, 2500, LEXQ_LEAF_STEP), LEXQ_OK);
    EXPECT_EQ(b.buf.capacity, 4096u);
    ASSERT_EQ(lexq_ensure(&b.buf, 4096, LEXQ_LEAF_STEP), LEXQ_OK);  // a multiple stays
    EXPECT_EQ(b.buf.capacity, 4096u);
    ASSERT_EQ(lexq_ensure(&b.buf, 100, LEXQ_LEAF_STEP), LEXQ_OK);
    EXPECT_EQ(b.buf.capacity, 4096u);
    b.buf.data[4095] = 'x';
    ASSERT_EQ(lexq_ensure(&b.buf, 4097, LEXQ_LEAF_STEP), LEXQ_OK);
    EXPECT_EQ(b.buf.capacity, 8192u);
    EXPECT_EQ(b.buf.data[4095], 'x') << "growth keeps the contents";

    Buffer t;
    ASSERT_EQ(lexq_ensure(&t.buf, 2500, LEXQ_TEXT_STEP), LEXQ_OK);
    EXPECT_EQ(t.buf.capacity, 32768u);
}

TEST_F(Inflate_, FailedGrowthKeepsTheOldBuffer) {
    Buffer b;
    ASSERT_EQ(lexq_ensure(&b.buf, 10, LEXQ_LEAF_STEP), LEXQ_OK);
    uint8_t *before = b.buf.data;
    lexq_seam_alloc_fail(1, false);
    EXPECT_EQ(lexq_ensure(&b.buf, 5000, LEXQ_LEAF_STEP), LEXQ_S_NOMEM);
    EXPECT_EQ(b.buf.data, before);
    EXPECT_EQ(b.buf.capacity, 4096u);
    // Sizes beyond 32 bits or the library's cap are refused the same way.
    EXPECT_EQ(lexq_ensure(&b.buf, 1ull << 33, LEXQ_LEAF_STEP), LEXQ_S_NOMEM);
    EXPECT_EQ(lexq_ensure(&b.buf, LEXQ_MAX_BLOCK + 1, LEXQ_LEAF_STEP), LEXQ_S_NOMEM);
    EXPECT_EQ(b.buf.capacity, 4096u);
}

TEST_F(Inflate_, FirstEstimateIsTwoAndAHalfTimesThePayload) {
    // A 1000-byte payload asks for 2500 bytes first: 4096 for a leaf, 32768 for text. The
    // buffer is sized before the stream is looked at, so any 1000 bytes show it.
    const std::string payload(1000, 'x');
    uint32_t produced = 0;
    Buffer leaf, text;
    EXPECT_EQ(Inflate(payload, LEXQ_LEAF_STEP, UINT32_MAX, leaf, &produced), LEXQ_S_INFLATE);
    EXPECT_EQ(leaf.buf.capacity, 4096u);
    EXPECT_EQ(Inflate(payload, LEXQ_TEXT_STEP, UINT32_MAX, text, &produced), LEXQ_S_INFLATE);
    EXPECT_EQ(text.buf.capacity, 32768u);
}

TEST_F(Inflate_, GrowsOneStepPerFullBufferUntilTheStreamEnds) {
    std::string plain(100000, 'a');
    for (size_t i = 0; i < plain.size(); i += 7)
        plain[i] = static_cast<char>('a' + i % 26);
    const std::string payload = Compress(plain);
    ASSERT_LT(payload.size() * 5 / 2, 4096u);
    Buffer b;
    uint32_t produced = 0;
    ASSERT_EQ(Inflate(payload, LEXQ_LEAF_STEP, 100000, b, &produced), LEXQ_OK);
    EXPECT_EQ(produced, 100000u);
    EXPECT_EQ(b.buf.capacity, 102400u);  // 25 steps of 4096
    EXPECT_EQ(std::string(reinterpret_cast<char *>(b.buf.data), produced), plain);

    // A buffer that already grew takes a later block of that size as it is.
    uint8_t *grown = b.buf.data;
    ASSERT_EQ(Inflate(payload, LEXQ_LEAF_STEP, 100000, b, &produced), LEXQ_OK);
    EXPECT_EQ(b.buf.data, grown);
    EXPECT_EQ(b.buf.capacity, 102400u);
}

TEST_F(Inflate_, BrokenStreamsFailAsDecompressionFailures) {
    const std::string good = Compress(std::string(5000, 'q') + "tail");
    uint32_t produced = 0;
    Buffer a, b, c, d;
    EXPECT_EQ(Inflate("this is no zlib stream", LEXQ_LEAF_STEP, 100, a, &produced), LEXQ_S_INFLATE);
    EXPECT_EQ(Inflate(good.substr(0, good.size() - 6), LEXQ_LEAF_STEP, 5004, b, &produced),
              LEXQ_S_INFLATE);
    EXPECT_EQ(Inflate("", LEXQ_LEAF_STEP, 0, c, &produced), LEXQ_S_INFLATE);
    std::string flipped = good;
    flipped[flipped.size() - 1] ^= 0x01;  // Adler-32 check value
    EXPECT_EQ(Inflate(flipped, LEXQ_LEAF_STEP, 5004, d, &produced), LEXQ_S_INFLATE);
}

TEST_F(Inflate_, OutputBeyondTheAnnouncedLengthStopsWithoutUnboundedGrowth) {
    // About 10 KiB of payload that inflates to 10 MiB, while the header announces 100 bytes.
    const std::string bomb = Compress(std::string(10 << 20, '\0'));
    Buffer b;
    uint32_t produced = 0;
    EXPECT_EQ(Inflate(bomb, LEXQ_LEAF_STEP, 100, b, &produced), LEXQ_S_CORRUPT);
    EXPECT_LE(b.buf.capacity, bomb.size() * 5 / 2 + 2 * LEXQ_LEAF_STEP);

    Buffer exact;  // the announced length itself is fine
    const std::string small = Compress(std::string(9000, 'z'));
    EXPECT_EQ(Inflate(small, LEXQ_LEAF_STEP, 9000, exact, &produced), LEXQ_OK);
    EXPECT_EQ(produced, 9000u);
}

}  // namespace
