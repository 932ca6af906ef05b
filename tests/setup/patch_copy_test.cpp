#include "patch_copy.h"

#include <gtest/gtest.h>

#include "sandbox.h"

namespace {

constexpr char kOld[] = "@: Master Database Registry Key 0 :@";

// `size` bytes of filler with the old key and its zero byte at each offset given.
std::string Image(std::size_t size, std::initializer_list<std::size_t> offsets) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    for (std::size_t at : offsets)
        bytes.replace(at, sizeof kOld, kOld, sizeof kOld);
    return bytes;
}

class PatchCopyTest : public ::testing::Test {
  protected:
    int Copy(const std::string &image, const char *newKey) {
        tktest::WriteText(source_, image);
        return setup::PatchCopy(kOld, newKey, source_.c_str(), dest_.c_str());
    }
    tktest::TempFolder temp_;
    std::string source_ = temp_ / "setup.so";
    std::string dest_ = temp_ / "copy.so";
};

TEST_F(PatchCopyTest, ShorterKeyLeavesTheRestOfTheOldText) {
    const std::string image = Image(5000, {1000, 3000});
    ASSERT_EQ(Copy(image, "Software\\Tk"), 1);
    const std::string copy = tktest::ReadText(dest_);
    ASSERT_EQ(copy.size(), image.size());
    std::string expected = image;
    for (std::size_t at : {1000u, 3000u}) {
        // The new key and its zero byte; the old text's tail stays behind it.
        expected.replace(at, 12, std::string("Software\\Tk\0", 12));
        EXPECT_EQ(std::string(copy.c_str() + at), "Software\\Tk");
    }
    EXPECT_EQ(copy, expected);
}

TEST_F(PatchCopyTest, LongerKeyOverwritesPastTheOldZero) {
    const std::string longKey(259, 'K');
    const std::string image = Image(2000, {300});
    ASSERT_EQ(Copy(image, longKey.c_str()), 1);
    const std::string copy = tktest::ReadText(dest_);
    EXPECT_EQ(copy.substr(300, 260), longKey + '\0');
    EXPECT_EQ(copy.substr(560), image.substr(560));
}

TEST_F(PatchCopyTest, OnlyFullWindowsAreExamined) {
    // An occurrence within the last 259 bytes, and a source shorter than the ring.
    const std::string tail = Image(1000, {1000 - 259});
    ASSERT_EQ(Copy(tail, "X"), 1);
    EXPECT_EQ(tktest::ReadText(dest_), tail);
    const std::string lastFull = Image(1000, {1000 - 260});
    ASSERT_EQ(Copy(lastFull, "X"), 1);
    EXPECT_EQ(tktest::ReadText(dest_)[740], 'X');
    const std::string small = Image(200, {0});
    ASSERT_EQ(Copy(small, "X"), 1);
    EXPECT_EQ(tktest::ReadText(dest_), small);
    ASSERT_EQ(Copy("", "X"), 1);
    EXPECT_EQ(tktest::ReadText(dest_), "");
}

TEST_F(PatchCopyTest, TextWithoutItsZeroIsNotTheKey) {
    std::string image = Image(1000, {100});
    image[100 + sizeof kOld - 1] = '!';
    ASSERT_EQ(Copy(image, "X"), 1);
    EXPECT_EQ(tktest::ReadText(dest_), image);
}

TEST_F(PatchCopyTest, RefusesWithoutWritingAnything) {
    tktest::WriteText(source_, Image(1000, {10}));
    // The same file by the same name, by another name, and through a link.
    EXPECT_EQ(setup::PatchCopy(kOld, "X", source_.c_str(), source_.c_str()), 0);
    const std::string other = (temp_.Path() / "." / "setup.so").string();
    EXPECT_EQ(setup::PatchCopy(kOld, "X", source_.c_str(), other.c_str()), 0);
    const std::string link = temp_ / "link.so";
    tktest::fs::create_symlink(source_, link);
    EXPECT_EQ(setup::PatchCopy(kOld, "X", source_.c_str(), link.c_str()), 0);
    EXPECT_EQ(tktest::ReadText(source_), Image(1000, {10}));

    // A key that cannot fit the 260-byte field with its zero byte.
    const std::string tooLong(260, 'L');
    EXPECT_EQ(setup::PatchCopy(kOld, tooLong.c_str(), source_.c_str(), dest_.c_str()), 0);
    EXPECT_FALSE(tktest::fs::exists(dest_));

    EXPECT_EQ(setup::PatchCopy(kOld, "X", (temp_ / "missing").c_str(), dest_.c_str()), 0);
    EXPECT_FALSE(tktest::fs::exists(dest_));
    EXPECT_EQ(setup::PatchCopy(kOld, "X", source_.c_str(), (temp_ / "no/dir/x").c_str()), 0);
}

TEST_F(PatchCopyTest, AFailedWriteIsNoSuccess) {
    if (!tktest::fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    tktest::WriteText(source_, Image(20000, {}));
    EXPECT_EQ(setup::PatchCopy(kOld, "X", source_.c_str(), "/dev/full"), 0);
}

}  // namespace
