// The four exports: states, status codes, and the result table byte for byte.
#include "fixture.h"

namespace tk::test {
namespace {

class Exports : public LexqTest {
  protected:
    std::string Dictionary() {
        return Write(
            BuildDictionary({{"CAFE", {{"caf\xE9", "het", "<p>koffiehuis</p>"}}},
                             {"HUIS", {{"huis", "het", "<i>house</i>"}, {"huisje", "", ""}}},
                             {"BOOM", {{"boom", "de", "tree"}}}}));
    }
};

TEST_F(Exports, ClosedLibraryAnswersNotInitialised) {
    char *table = reinterpret_cast<char *>(1);
    EXPECT_EQ(lexq_search("huis", &table), LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(table, nullptr);
    // Closed comes first: a text without letters is not even folded.
    table = reinterpret_cast<char *>(1);
    EXPECT_EQ(lexq_search("123", &table), LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(lexq_free_searchresult(nullptr), LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(lexq_deinit(), LEXQ_ERR_NOTINITIALIZED);
}

TEST_F(Exports, OpenFailuresMapToTheirCodes) {
    EXPECT_EQ(lexq_init(dir_.File("absent.idx").c_str()), LEXQ_ERR_FILENOTFOUND);
    EXPECT_EQ(lexq_init(nullptr), LEXQ_ERR_FILENOTFOUND);
    EXPECT_EQ(lexq_init(dir_.Write("short.idx", std::string(36, 'x')).c_str()),
              LEXQ_ERR_WRONGFORMAT);
    TempDir empty;
    lexq_seam_crypt_folder(empty.Path().c_str());
    BuildOptions enciphered;
    enciphered.cipher = CryptEncrypt();
    EXPECT_EQ(lexq_init(Write(BuildDictionary({{"A", {{"a", "", ""}}}}, enciphered)).c_str()),
              LEXQ_ERR_NODECRYPTDLL);
    lexq_seam_alloc_fail(1, false);
    EXPECT_EQ(lexq_init(Dictionary().c_str()), LEXQ_ERR_NOMEMORY);
    lexq_seam_alloc_fail(0, false);
    char *table = nullptr;
    EXPECT_EQ(lexq_search("huis", &table), LEXQ_ERR_NOTINITIALIZED)
        << "failed opens leave it closed";
}

TEST_F(Exports, ResultTableIsExactlyTheRowsOfTheHits) {
    ASSERT_EQ(lexq_init(Dictionary().c_str()), LEXQ_ERR_NONE);
    // The typed text goes into the first cell as typed, the key into the second.
    auto [code, table] = Search("Caf\xE9");
    EXPECT_EQ(code, LEXQ_ERR_NONE);
    EXPECT_EQ(table,
              "<table><tr><td>Caf\xE9</td><td>CAFE</td><td>caf\xE9</td><td>het</td>"
              "<td><p>koffiehuis</p></td></tr></table>");
    std::tie(code, table) = Search(" h-U-i-s 4");
    EXPECT_EQ(code, LEXQ_ERR_NONE);
    EXPECT_EQ(table, "<table>" + Row(" h-U-i-s 4", "HUIS", {"huis", "het", "<i>house</i>"}) +
                         Row(" h-U-i-s 4", "HUIS", {"huisje", "", ""}) + "</table>");
}

TEST_F(Exports, ResultTextIsAllocatedOnceAtTheStatedSize) {
    ASSERT_EQ(lexq_init(Dictionary().c_str()), LEXQ_ERR_NONE);
    char *table = nullptr;
    ASSERT_EQ(lexq_search("Huis", &table), LEXQ_ERR_NONE);
    // 64 per row, 7 + 8 for the table tags, text and key per row, 1, and per hit its
    // three strings plus one.
    const size_t expected = 64 * 2 + 15 + 4 * 2 + 4 * 2 + 1 + (4 + 3 + 12 + 1) + (6 + 1);
    EXPECT_EQ(lexq_seam_alloc_last_size(), expected);
    EXPECT_LT(strlen(table), expected);
    EXPECT_EQ(lexq_free_searchresult(table), LEXQ_ERR_NONE);
}

TEST_F(Exports, TextsWithoutLettersAreIllegalInput) {
    ASSERT_EQ(lexq_init(Dictionary().c_str()), LEXQ_ERR_NONE);
    for (const char *text : {"123", "-", "", " ", "\xA0"})
        EXPECT_EQ(Search(text).first, LEXQ_ERR_ILLEGALINPUT) << text;
    char *table = reinterpret_cast<char *>(1);
    EXPECT_EQ(lexq_search(nullptr, &table), LEXQ_ERR_ILLEGALINPUT);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(lexq_search("huis", nullptr), LEXQ_ERR_ILLEGALINPUT);
}

TEST_F(Exports, AbsentWordsAndTooManyHits) {
    RawDictionary raw =
        BuildDictionary({{"HUIS", {{"a", "", ""}, {"b", "", ""}}}, {"BOOM", {{"c", "", ""}}}});
    raw.fields.hitLimit = 1;
    ASSERT_EQ(lexq_init(Write(raw).c_str()), LEXQ_ERR_NONE);
    EXPECT_EQ(Search("boompje").first, LEXQ_ERR_WORDNOTFOUND);
    EXPECT_EQ(Search("huis").first, LEXQ_ERR_NOMEMORY);
    EXPECT_EQ(Search("boom").first, LEXQ_ERR_NONE);
}

TEST_F(Exports, LifecycleOfTheOneOpenDictionary) {
    const std::string first = Dictionary();
    const std::string second =
        Write(BuildDictionary({{"ANDER", {{"ander", "", ""}}}}), "other.idx");
    ASSERT_EQ(lexq_init(first.c_str()), LEXQ_ERR_NONE);
    EXPECT_EQ(lexq_init(second.c_str()), LEXQ_ERR_NONE) << "the open dictionary stays open";
    EXPECT_EQ(Search("huis").first, LEXQ_ERR_NONE);
    EXPECT_EQ(Search("ander").first, LEXQ_ERR_WORDNOTFOUND);
    EXPECT_EQ(lexq_free_searchresult(nullptr), LEXQ_ERR_NONE);

    char *kept = nullptr;
    ASSERT_EQ(lexq_search("boom", &kept), LEXQ_ERR_NONE);
    EXPECT_EQ(lexq_deinit(), LEXQ_ERR_NONE);
    EXPECT_EQ(lexq_deinit(), LEXQ_ERR_NOTINITIALIZED);
    // A closed library releases nothing: the table is still there and still readable.
    const long held = lexq_seam_alloc_live_blocks();
    EXPECT_EQ(lexq_free_searchresult(kept), LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(lexq_seam_alloc_live_blocks(), held);
    EXPECT_EQ(std::string(kept).substr(0, 7), "<table>");

    ASSERT_EQ(lexq_init(second.c_str()), LEXQ_ERR_NONE) << "a closed library opens again";
    EXPECT_EQ(Search("ander").first, LEXQ_ERR_NONE);
    EXPECT_EQ(lexq_free_searchresult(kept), LEXQ_ERR_NONE);
}

}  // namespace
}  // namespace tk::test
