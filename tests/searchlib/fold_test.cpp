// Folding typed text into search keys of the letters A to Z.
#include <gtest/gtest.h>

#include <string>

#include "alloc.h"
#include "fold.h"
#include "foldtable.h"

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

TEST(Fold, EveryByteFoldsToItsListedLetters) {
    // The replacements written out as byte ranges, independently of the table's layout.
    const struct {
        int from, to;
        const char *letters;
    } ranges[] = {
        {0xAA, 0xAA, "A"},  {0xC0, 0xC5, "A"},  {0xE0, 0xE5, "A"},  {0xC6, 0xC6, "AE"},
        {0xE6, 0xE6, "AE"}, {0xA2, 0xA2, "C"},  {0xA9, 0xA9, "C"},  {0xC7, 0xC7, "C"},
        {0xE7, 0xE7, "C"},  {0x8C, 0x8C, "CE"}, {0xD0, 0xD0, "D"},  {0xC8, 0xCB, "E"},
        {0xE8, 0xEB, "E"},  {0x83, 0x83, "F"},  {0xCC, 0xCF, "I"},  {0xEC, 0xEF, "I"},
        {0xD1, 0xD1, "N"},  {0xF1, 0xF1, "N"},  {0xD2, 0xD6, "O"},  {0xD8, 0xD8, "O"},
        {0xF2, 0xF6, "O"},  {0xF8, 0xF8, "O"},  {0x9C, 0x9C, "OE"}, {0x8A, 0x8A, "S"},
        {0x9A, 0x9A, "S"},  {0xDF, 0xDF, "SS"}, {0x99, 0x99, "TM"}, {0xD9, 0xDC, "U"},
        {0xF9, 0xFC, "U"},  {0x9F, 0x9F, "Y"},  {0xA5, 0xA5, "Y"},  {0xDD, 0xDD, "Y"},
        {0xFD, 0xFD, "Y"},  {0xFF, 0xFF, "Y"},  {0x8E, 0x8E, "Z"},  {0x9E, 0x9E, "Z"},
    };
    std::string expected[256];  // every byte not listed is dropped
    for (int b = 'A'; b <= 'Z'; b++)
        expected[b] = expected[b + 0x20] = std::string(1, static_cast<char>(b));
    for (const auto &r : ranges)
        for (int b = r.from; b <= r.to; b++)
            expected[b] = r.letters;
    for (int b = 1; b < 256; b++)
        EXPECT_EQ(Fold(std::string(1, static_cast<char>(b))), expected[b]) << "byte " << b;
    EXPECT_STREQ(lexq_fold_table[0], "");
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
