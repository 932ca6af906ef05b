// Buffer growth and zlib inflation of stored blocks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

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
    void SetUp() override {
        lexq_seam_alloc_fail(0, false);
        lexq_seam_inflate_mode(LEXQ_INFLATE_FAST);
    }
    void TearDown() override {
        lexq_seam_alloc_fail(0, false);
        lexq_seam_inflate_mode(LEXQ_INFLATE_FAST);
    }
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

// A zlib stream of plain at a level and strategy (stored, fixed or dynamic blocks).
std::string Deflate(const std::string &plain, int level, int strategy) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy), Z_OK);
    std::string out(deflateBound(&z, static_cast<uLong>(plain.size())), '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.data()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct Outcome {
    lexq_status status;
    uint32_t produced, capacity;
    std::string bytes;
    bool operator==(const Outcome &) const = default;
};

// One decompression into a buffer that starts with the given capacity (0: none yet).
Outcome InflateIn(lexq_inflate_mode mode, const std::string &payload, uint32_t step,
                  uint32_t expected, uint32_t capacity) {
    lexq_seam_inflate_mode(mode);
    Buffer b;
    if (capacity > 0) {
        EXPECT_EQ(lexq_ensure(&b.buf, capacity, 1), LEXQ_OK);
    }
    uint32_t produced = 0;
    Outcome o{Inflate(payload, step, expected, b, &produced), produced, b.buf.capacity, ""};
    if (o.status == LEXQ_OK)
        o.bytes.assign(reinterpret_cast<char *>(b.buf.data), produced);
    return o;
}

TEST_F(Inflate_, WholeBufferInflaterEndsEveryBlockAsZlibDoes) {
    // Sound and broken streams of stored, fixed and dynamic blocks, with announced lengths
    // right and wrong, into buffers too small, exactly large enough and larger.
    if (!lexq_seam_inflate_has_fast())
        GTEST_SKIP() << "this build inflates with zlib alone";
    std::mt19937 random(17);
    std::string noise(3000, '\0'), text;
    for (char &c : noise)
        c = static_cast<char>(random());
    while (text.size() < 40000)
        text += "woord " + std::to_string(random() % 5000) + " betekenis\n";
    std::vector<std::string> payloads;
    for (const std::string &plain : {std::string(), std::string("kort"), text, noise})
        for (const auto &[level, strategy] :
             {std::pair{0, Z_DEFAULT_STRATEGY}, {1, Z_FIXED}, {9, Z_DEFAULT_STRATEGY}}) {
            const std::string sound = Deflate(plain, level, strategy);
            payloads.push_back(sound);
            payloads.push_back(sound + "trailing bytes are never read");
            for (size_t cut :
                 {size_t(0), size_t(2), sound.size() / 2, sound.size() - 4, sound.size() - 1})
                payloads.push_back(sound.substr(0, cut));
            for (int i = 0; i < 12; i++) {
                std::string flipped = sound;
                flipped[random() % flipped.size()] ^= static_cast<char>(1 << (random() % 8));
                payloads.push_back(flipped);
            }
        }

    unsigned long fast = 0;
    size_t n = 0;
    for (const std::string &payload : payloads) {
        uLongf size = 200000;
        std::string plain(size, '\0');
        const bool sound = uncompress(reinterpret_cast<Bytef *>(plain.data()), &size,
                                      reinterpret_cast<const Bytef *>(payload.data()),
                                      static_cast<uLong>(payload.size())) == Z_OK;
        const uint32_t actual = sound ? static_cast<uint32_t>(size) : 5000;
        for (uint32_t expected : {actual, actual + 1, actual > 0 ? actual - 1 : 7, 3 * actual}) {
            for (uint32_t capacity : {0u, expected, expected + 100}) {
                const uint32_t step = n++ % 2 ? LEXQ_LEAF_STEP : LEXQ_TEXT_STEP;
                SCOPED_TRACE("payload " + std::to_string(payload.size()) + " expected " +
                             std::to_string(expected) + " capacity " + std::to_string(capacity));
                const Outcome reference =
                    InflateIn(LEXQ_INFLATE_ZLIB, payload, step, expected, capacity);
                EXPECT_EQ(InflateIn(LEXQ_INFLATE_FAST, payload, step, expected, capacity),
                          reference);
                fast += lexq_seam_inflate_fast_count();
            }
        }
    }
    // The sound blocks that fit their buffer were the whole-buffer inflater's.
    EXPECT_GE(fast, 30u);
}

// Bits of a deflate stream, least significant first; Huffman codes go in reversed.
class BitWriter {
  public:
    void Put(uint32_t value, int bits) {
        for (int i = 0; i < bits; i++, used_++) {
            if (used_ % 8 == 0)
                bytes_ += '\0';
            bytes_.back() = static_cast<char>(bytes_.back() | ((value >> i) & 1) << (used_ % 8));
        }
    }
    const std::string &Bytes() const { return bytes_; }

  private:
    std::string bytes_;
    int used_ = 0;
};

TEST_F(Inflate_, CrosscheckFlagsAStreamOnlyOneInflaterAccepts) {
    // One dynamic block announcing 32 distance codes: within the deflate format, beyond
    // zlib's limit of 30. Its literal/length code gives 'A' and the end of the block one
    // bit each; every other length is 0, written with the precode's repeat-zero symbol.
    if (!lexq_seam_inflate_has_fast())
        GTEST_SKIP() << "this build inflates with zlib alone";
    BitWriter w;
    w.Put(1, 1);   // final block
    w.Put(2, 2);   // dynamic Huffman codes
    w.Put(0, 5);   // 257 literal/length codes
    w.Put(31, 5);  // 32 distance codes
    w.Put(14, 4);  // 18 precode lengths, in the order 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1
    for (int i = 0; i < 18; i++)
        w.Put(i == 2 || i == 17 ? 1 : 0, 3);  // symbols 18 and 1, one bit each: 18 is 1, 1 is 0
    const auto zeros = [&w](int count) {
        w.Put(1, 1);
        w.Put(static_cast<uint32_t>(count - 11), 7);
    };
    zeros(65);
    w.Put(0, 1);  // 'A': length 1
    zeros(138);
    zeros(52);
    w.Put(0, 1);  // end of block: length 1
    zeros(32);    // no distance code is used
    w.Put(0, 1);  // 'A' is the code 0
    w.Put(0, 1);
    w.Put(1, 1);  // end of block
    std::string payload = "\x78\x01" + w.Bytes();
    const uLong check = adler32(1, reinterpret_cast<const Bytef *>("AA"), 2);
    for (int shift = 24; shift >= 0; shift -= 8)
        payload += static_cast<char>(check >> shift);

    EXPECT_EQ(InflateIn(LEXQ_INFLATE_ZLIB, payload, LEXQ_LEAF_STEP, 2, 0).status, LEXQ_S_INFLATE);
    const Outcome fast = InflateIn(LEXQ_INFLATE_CROSSCHECK, payload, LEXQ_LEAF_STEP, 2, 0);
    EXPECT_EQ(fast.bytes, "AA");
    EXPECT_EQ(lexq_seam_inflate_mismatches(), 1u);
    InflateIn(LEXQ_INFLATE_CROSSCHECK, Compress("AA"), LEXQ_LEAF_STEP, 2, 0);
    EXPECT_EQ(lexq_seam_inflate_mismatches(), 0u) << "a sound stream is no mismatch";
}

}  // namespace
