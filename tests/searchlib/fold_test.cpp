// Folding typed text into search keys of the letters A to Z.
#include <gtest/gtest.h>

#include <string>

#include "alloc.h"
#include "fold.h"

namespace {

std::string Fold(const std::string &text) {
    char *key = lexq_fold(text.c_str());
    EXPECT_NE(key, nullptr);
    std::string result = key != nullptr ? key : "";
    lexq_free(key);
    return result;
}

TEST(Fold, LevelsCaseAccentsAndLigaturesAndDropsTheRest) {
    const struct {
        const char *text, *key;
    } cases[] = {
        {"stra\xDF"
         "e",
         "STRASSE"},            // ß
        {"\xC6r\xF8", "AERO"},  // Ærø
        {"co-op", "COOP"},
        {"zo'n", "ZON"},
        {"\x9Cuvre", "OEUVRE"},  // œuvre
        {"\x8Cuvre", "CEUVRE"},  // Œuvre: the capital ligature gives CE
        {"auto mobiel", "AUTOMOBIEL"},
        {"4x4", "X"},
        {"123", ""},
        {"-", ""},
        {"", ""},
        {"\x99", "TM"},  // ™
        {"\xA9", "C"},   // ©
        {"Caf\xE9", "CAFE"},
        {"\xA0\xF0\xFE\xDE\xB5\xD7\xF7\xB2", ""},  // nbsp ð þ Þ µ × ÷ ²
    };
    for (const auto &c : cases)
        EXPECT_EQ(Fold(c.text), c.key) << "text: " << c.text;
}

TEST(Fold, EveryByteGivesOnlyCapitalLettersAndJust124BytesGiveAny) {
    int withLetters = 0;
    for (int b = 1; b < 256; b++) {
        const std::string key = Fold(std::string(1, static_cast<char>(b)));
        EXPECT_LE(key.size(), 2u) << "byte " << b;
        for (char c : key)
            EXPECT_TRUE(c >= 'A' && c <= 'Z') << "byte " << b;
        withLetters += key.empty() ? 0 : 1;
    }
    EXPECT_EQ(withLetters, 124);
}

TEST(Fold, AllocatesTwiceTheTextPlusOneAndReportsExhaustion) {
    lexq_seam_alloc_fail(0, false);
    EXPECT_EQ(Fold("\xDF"), "SS");  // two letters from one byte fit in 2 * 1 + 1
    EXPECT_EQ(lexq_seam_alloc_last_size(), 3u);
    EXPECT_EQ(Fold(std::string(1000, '\xDF')), std::string(2000, 'S'));
    EXPECT_EQ(lexq_seam_alloc_last_size(), 2001u);

    lexq_seam_alloc_fail(1, false);
    EXPECT_EQ(lexq_fold("abc"), nullptr);
    lexq_seam_alloc_fail(0, false);
}

}  // namespace
