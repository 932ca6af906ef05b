// The library's allocator: zero-filled blocks, overflow and cap refusals, the books it keeps.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "alloc.h"

namespace {

class Alloc : public ::testing::Test {
  protected:
    void SetUp() override {
        lexq_seam_alloc_fail(0, false);
        lexq_seam_alloc_total_cap(0);
    }
    void TearDown() override { lexq_seam_alloc_total_cap(0); }
};

bool AllZero(const void *block, std::size_t size) {
    const auto *bytes = static_cast<const std::uint8_t *>(block);
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

TEST_F(Alloc, ZeroedBlocksAreZeroAlsoWhenTheHeapHandsBackDirtyMemory) {
    // Small blocks come from reused heap memory, large ones from fresh pages: both zero.
    for (std::size_t size : {std::size_t(48), std::size_t(4096), std::size_t(3) << 20}) {
        void *dirty = lexq_alloc(size);
        ASSERT_NE(dirty, nullptr);
        std::memset(dirty, 0xA5, size);
        lexq_free(dirty);
        void *clean = lexq_alloc_zero(size / 8, 8);
        ASSERT_NE(clean, nullptr);
        EXPECT_TRUE(AllZero(clean, size)) << size;
        lexq_free(clean);
    }
}

TEST_F(Alloc, OverflowingCountsAndOversizedBlocksAreRefusedWithoutHoldingAnything) {
    EXPECT_EQ(lexq_alloc_zero(SIZE_MAX / 2, 4), nullptr);
    EXPECT_EQ(lexq_alloc_zero(1, LEXQ_MAX_BLOCK + 1), nullptr);
    EXPECT_EQ(lexq_alloc(LEXQ_MAX_BLOCK + 1), nullptr);
    EXPECT_EQ(lexq_seam_alloc_live_blocks(), 0);
    EXPECT_EQ(lexq_seam_alloc_live_bytes(), 0u);
}

TEST_F(Alloc, TheTotalCapCountsZeroedAndGrownBlocksAlike) {
    lexq_seam_alloc_total_cap(1000);
    void *a = lexq_alloc_zero(100, 6);  // 600 held
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(lexq_alloc_zero(1, 401), nullptr);  // 1001 would pass the cap
    void *b = lexq_alloc_zero(1, 400);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(lexq_seam_alloc_live_bytes(), 1000u);
    EXPECT_EQ(lexq_realloc(b, 401), nullptr);  // growing counts only the difference
    void *shrunk = lexq_realloc(b, 100);
    ASSERT_NE(shrunk, nullptr);
    EXPECT_EQ(lexq_seam_alloc_live_bytes(), 700u);
    lexq_free(a);
    lexq_free(shrunk);
    EXPECT_EQ(lexq_seam_alloc_live_blocks(), 0);
}

}  // namespace
