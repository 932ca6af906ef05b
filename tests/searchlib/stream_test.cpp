// The section streams: exact bytes whatever the read-ahead, one system read per block once
// a read-ahead is set, short reads at and beyond the end, and harmless closing.
#include <random>

#include "fixture.h"

namespace tk::test {
namespace {

class Stream : public LexqTest {
  protected:
    void SetUp() override {
        LexqTest::SetUp();
        std::mt19937 random(5);
        for (int i = 0; i < 20000; i++)
            content_ += static_cast<char>(random());
        path_ = dir_.Write("stream.bin", content_);
        ASSERT_EQ(lexq_stream_open(&stream_, path_.c_str()), LEXQ_OK);
    }
    void TearDown() override {
        lexq_stream_close(&stream_);
        LexqTest::TearDown();
    }
    // Reads size bytes at offset and checks them against the file.
    void ExpectReadAt(uint64_t offset, size_t size) {
        std::string got(size, '\0');
        ASSERT_EQ(lexq_stream_read_at(&stream_, offset, got.data(), size), LEXQ_OK)
            << offset << "+" << size;
        ASSERT_EQ(got, content_.substr(offset, size)) << offset << "+" << size;
    }
    void ExpectRead(uint64_t offset, size_t size) {
        std::string got(size, '\0');
        ASSERT_EQ(lexq_stream_read(&stream_, got.data(), size), LEXQ_OK) << "then " << size;
        ASSERT_EQ(got, content_.substr(offset, size)) << offset << "+" << size;
    }

    std::string content_, path_;
    lexq_stream stream_{};
};

TEST_F(Stream, DeliversTheFilesBytesWhateverTheReadAhead) {
    // Random seeks, each followed by a header-like small read and a payload-like read that may
    // end inside the read-ahead, beyond it, or be larger than it.
    for (uint32_t ahead : {0u, 1u, 10u, 700u, 4096u, 20000u, 65536u}) {
        SCOPED_TRACE("read-ahead " + std::to_string(ahead));
        ASSERT_EQ(lexq_stream_read_ahead(&stream_, ahead), LEXQ_OK);
        std::mt19937 random(ahead);
        for (int i = 0; i < 300; i++) {
            const uint64_t offset = random() % 19000;
            const size_t head = 1 + random() % 16;
            const size_t body = random() % (content_.size() - offset - head + 1);
            ExpectReadAt(offset, head);
            ExpectRead(offset + head, body);
        }
        // Back inside what the read-ahead holds, and just before it.
        ExpectReadAt(5000, 10);
        ExpectReadAt(5002, 3);
        ExpectReadAt(4999, 4);
    }
}

TEST_F(Stream, ABlockWithinTheReadAheadCostsOneSystemRead) {
    ASSERT_EQ(lexq_stream_read_ahead(&stream_, 4096), LEXQ_OK);
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);
    ExpectReadAt(100, 10);
    ExpectRead(110, 4086);
    EXPECT_EQ(lexq_seam_stream_system_reads(), 1u);
    EXPECT_EQ(lexq_seam_stream_system_bytes(), 4096u);

    // A payload running past the read-ahead: the rest comes in exactly one more read.
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);
    ExpectReadAt(8000, 10);
    ExpectRead(8010, 5000);
    EXPECT_EQ(lexq_seam_stream_system_reads(), 2u);
    EXPECT_EQ(lexq_seam_stream_system_bytes(), 5010u);

    // A request as large as the read-ahead goes straight to the caller.
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);
    ExpectReadAt(15000, 4096);
    EXPECT_EQ(lexq_seam_stream_system_bytes(), 4096u);

    // Without read-ahead every read asks for exactly its bytes.
    ASSERT_EQ(lexq_stream_read_ahead(&stream_, 0), LEXQ_OK);
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);
    ExpectReadAt(0, 37);
    ExpectReadAt(600, 18);
    EXPECT_EQ(lexq_seam_stream_system_reads(), 2u);
    EXPECT_EQ(lexq_seam_stream_system_bytes(), 55u);
}

TEST_F(Stream, ReadsPastTheEndAreShortAndTheStreamStaysUsable) {
    for (uint32_t ahead : {0u, 64u, 65536u}) {
        SCOPED_TRACE("read-ahead " + std::to_string(ahead));
        ASSERT_EQ(lexq_stream_read_ahead(&stream_, ahead), LEXQ_OK);
        char buffer[100];
        EXPECT_EQ(lexq_stream_read_at(&stream_, 19950, buffer, 51), LEXQ_S_SHORT);
        EXPECT_EQ(lexq_stream_read_at(&stream_, 20000, buffer, 1), LEXQ_S_SHORT);
        EXPECT_EQ(lexq_stream_read_at(&stream_, uint64_t(1) << 40, buffer, 1), LEXQ_S_SHORT);
        EXPECT_EQ(lexq_stream_read_at(&stream_, UINT64_MAX, buffer, 1), LEXQ_S_SHORT);
        ExpectReadAt(19950, 50);
        EXPECT_EQ(lexq_stream_read(&stream_, buffer, 1), LEXQ_S_SHORT) << "at the end";
        EXPECT_EQ(lexq_stream_read_at(&stream_, 19999, buffer, 0), LEXQ_OK);
        ExpectReadAt(0, 100);
    }
}

TEST_F(Stream, InjectedShortReadsDeliverOneByteLessOnce) {
    ASSERT_EQ(lexq_stream_read_ahead(&stream_, 4096), LEXQ_OK);
    lexq_seam_stream_fail(LEXQ_OP_READ, 2, true);
    ExpectReadAt(100, 10);
    std::string got(50, '\0');
    EXPECT_EQ(lexq_stream_read(&stream_, got.data(), 50), LEXQ_S_SHORT);
    EXPECT_EQ(got.substr(0, 49), content_.substr(110, 49));
    ExpectReadAt(110, 50);
}

}  // namespace
}  // namespace tk::test
