// UTF-8 books: the key rule, the UTF-8 exports on both kinds of book, the refusal of a UTF-8
// book by the Windows-1252 exports, and the refusal of stored text that is no UTF-8.
#include <string>
#include <vector>

#include "fixture.h"
#include "foldtable_utf8.h"
#include "platform/cp1252.h"

namespace tk::test {
namespace {

std::string Fold(const std::string &text) {
    const size_t length = lexq_fold_utf8(text.data(), text.size(), nullptr);
    if (length == LEXQ_FOLD_MALFORMED)
        return "<malformed>";
    std::string key(length, '\0');
    lexq_fold_utf8(text.data(), text.size(), key.data());
    return key;
}

TEST(Utf8Keys, FoldCaseThenBaseLettersKeepingEveryScript) {
    const std::pair<std::string, std::string> rows[] = {
        {"Łódź", "lodz"},
        {"ŁÓDŹ", "lodz"},
        {"się żona", "siezona"},
        {"Straße", "strasse"},
        {"ışık İstanbul", "isikistanbul"},
        {"ŞĞÇ", "sgc"},
        {"Ærø", "aero"},
        {"Œuvre œuf", "oeuvreoeuf"},
        {"Đakovo ð", "dakovod"},
        {"Ελληνικά", "ελληνικα"},
        {"ΆΈΉΊΌΎΏ ΐ", "αεηιουωι"},
        {"Ёлка ёж", "елкаеж"},
        {"Йод", "йод"},
        {"Čeština", "cestina"},
        {"ﬁne", "fine"},
        {"e\xCC\x81t\xC3\xA9", "ete"},
        {"1-2 3:-) ", ""},
        {"日本語", "日本語"},
        {"한국어", "한국어"},
        {"עברית", "עברית"},
    };
    for (const auto &[text, key] : rows)
        EXPECT_EQ(Fold(text), key) << text;
    for (const std::string bad : {"\xC5", "a\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_EQ(Fold(bad), "<malformed>");
}

TEST(Utf8Keys, AKeyFoldsToItselfSoAPrefixFoldsToAKeysPrefix) {
    // Over every code point: its key is its own key, and a text's key is the keys of its
    // code points joined (so the compiler's and the reader's folding always meet).
    std::string all;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        std::string one;
        platform::AppendUtf8(one, c);
        const std::string key = Fold(one);
        ASSERT_EQ(Fold(key), key) << std::hex << static_cast<uint32_t>(c);
        if (c % 97 == 0)
            all += one;
    }
    std::string joined;
    for (size_t i = 0; i < all.size();) {
        char32_t code = 0;
        const size_t used = platform::DecodeUtf8(all, i, code);
        joined += Fold(all.substr(i, used));
        i += used;
    }
    EXPECT_EQ(Fold(all), joined);
}

class Utf8Book : public LexqTest {
  protected:
    std::string PolishBook(bool utf8 = true) {
        std::vector<Entry> entries;
        for (const char *word : {"łódź", "Łódź", "żona", "się", "łoś", "lody", "ćma", "ząb"}) {
            const std::string body = std::string("<p>") + word + "</p>";
            entries.push_back({Fold(word), {{word, "pl-nl", body}}});
        }
        // Words that share a key share its entry.
        std::vector<Entry> merged;
        for (Entry &e : entries) {
            if (!merged.empty() && merged.back().key == e.key)
                merged.back().hits.push_back(e.hits.front());
            else if (auto it = std::find_if(merged.begin(), merged.end(),
                                            [&](const Entry &m) { return m.key == e.key; });
                     it != merged.end())
                it->hits.push_back(e.hits.front());
            else
                merged.push_back(std::move(e));
        }
        BuildOptions options;
        options.utf8 = utf8;
        return Write(BuildDictionary(merged, options), utf8 ? "pl.idx" : "pl1252.idx");
    }

    // Takes the text by reference: read only once the call that fills it has returned.
    static std::pair<int32_t, std::string> Answer(int32_t code, char *&text) {
        std::string copy = text != nullptr ? std::string(text) : std::string();
        if (code != LEXQ_ERR_NONE) {
            EXPECT_EQ(text, nullptr);
        }
        lexq_free_text(text);
        text = nullptr;
        return {code, copy};
    }
    static std::pair<int32_t, std::string> SearchUtf8(const std::string &text) {
        char *table = reinterpret_cast<char *>(1);
        const int32_t code = lexq_search_utf8(text.c_str(), &table);
        return Answer(code, table);
    }
};

TEST_F(Utf8Book, FoundByItsOwnTextItsCapitalsAndItsPlainLetters) {
    ASSERT_EQ(lexq_init(PolishBook().c_str()), LEXQ_ERR_NONE);
    EXPECT_EQ(lexq_code_page(), 65001);
    const Hit lodz{"łódź", "pl-nl", "<p>łódź</p>"}, city{"Łódź", "pl-nl", "<p>Łódź</p>"};
    for (const std::string typed : {"łódź", "ŁÓDŹ", "lodz", "Ło-dź"}) {
        EXPECT_EQ(SearchUtf8(typed),
                  std::make_pair(LEXQ_ERR_NONE, "<table>" + Row(typed, "lodz", lodz) +
                                                    Row(typed, "lodz", city) + "</table>"))
            << typed;
    }
    EXPECT_EQ(SearchUtf8("zab").second.find("<p>ząb</p>") != std::string::npos, true);
    EXPECT_EQ(SearchUtf8("wieloryb").first, LEXQ_ERR_WORDNOTFOUND);
    EXPECT_EQ(SearchUtf8("123").first, LEXQ_ERR_ILLEGALINPUT);
    EXPECT_EQ(SearchUtf8("l\xC5").first, LEXQ_ERR_ILLEGALINPUT);  // no UTF-8

    // The Windows-1252 exports cannot carry its texts: the format is not theirs.
    EXPECT_EQ(Search("lodz").first, LEXQ_ERR_WRONGFORMAT);
    char *text = nullptr;
    EXPECT_EQ(lexq_prefix("lo", 5, &text), LEXQ_ERR_WRONGFORMAT);
    EXPECT_EQ(lexq_keys("", 5, &text), LEXQ_ERR_WRONGFORMAT);
    EXPECT_EQ(text, nullptr);

    // Type-ahead and key walk answer in UTF-8, in key order.
    EXPECT_EQ(Answer(lexq_prefix_utf8("ło", 5, &text), text),
              std::make_pair(LEXQ_ERR_NONE,
                             std::string("<table><tr><td>ło</td><td>lody</td><td>lody</td><td>"
                                         "</td><td></td></tr><tr><td>ło</td><td>lodz</td><td>"
                                         "łódź</td><td></td><td></td></tr><tr><td>ło</td><td>"
                                         "los</td><td>łoś</td><td></td><td></td></tr></table>")));
    EXPECT_EQ(Answer(lexq_keys_utf8("lodz", 2, &text), text),
              std::make_pair(LEXQ_ERR_NONE, std::string("los\nsie\n")));
}

TEST_F(Utf8Book, BooksSideBySideAnswerAsTheProcessWideOne) {
    const std::string path = PolishBook();
    lexq_book *book = nullptr;
    ASSERT_EQ(lexq_book_open(path.c_str(), &book), LEXQ_ERR_NONE);
    ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
    EXPECT_EQ(lexq_book_text_code_page(book), 65001);
    char *text = nullptr;
    for (const std::string typed : {"żona", "ZONA", "sie", "x"}) {
        const auto own = Answer(lexq_book_search_utf8(book, typed.c_str(), &text), text);
        EXPECT_EQ(own, SearchUtf8(typed)) << typed;
    }
    EXPECT_EQ(lexq_book_search(book, "zona", &text), LEXQ_ERR_WRONGFORMAT);
    EXPECT_EQ(lexq_book_prefix(book, "zo", 3, &text), LEXQ_ERR_WRONGFORMAT);
    EXPECT_EQ(lexq_book_keys(book, "", 3, &text), LEXQ_ERR_WRONGFORMAT);
    EXPECT_EQ(Answer(lexq_book_keys_utf8(book, "", 2, &text), text).second, "cma\nlody\n");
    EXPECT_EQ(lexq_book_close(book), LEXQ_ERR_NONE);
}

TEST_F(Utf8Book, AWindows1252BookAnswersTheUtf8ExportsThroughTheExactConversion) {
    // A book of the first kind: Windows-1252 texts, keys of the letters A to Z.
    const std::string e = platform::Utf8ToCp1252("é"), ss = platform::Utf8ToCp1252("ß");
    const std::string path =
        Write(BuildDictionary({{"CAFE", {{"caf" + e, "fr-nl", "<p>caf" + e + "</p>"}}},
                               {"STRASSE", {{"stra" + ss + "e", "de-nl", "<p>\x80</p>"}}}}));
    ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
    EXPECT_EQ(lexq_code_page(), 1252);
    for (const std::string typed : {"café", "CAFÉ", "straße", "cafe", "thee"}) {
        const auto old = Search(platform::Utf8ToCp1252(typed));
        EXPECT_EQ(SearchUtf8(typed), std::make_pair(old.first, platform::Cp1252ToUtf8(old.second)))
            << typed;
    }
    // A letter the code page lacks cannot be asked: the answer would be to another word.
    EXPECT_EQ(SearchUtf8("łódź").first, LEXQ_ERR_ILLEGALINPUT);
    char *text = nullptr;
    EXPECT_EQ(Answer(lexq_prefix_utf8("ca", 3, &text), text).second,
              "<table><tr><td>ca</td><td>CAFE</td><td>café</td><td></td><td></td></tr></table>");
    EXPECT_EQ(Answer(lexq_keys_utf8("CAFE", 3, &text), text).second, "STRASSE\n");
}

TEST_F(Utf8Book, NoUtf8InAStoredKeyOrTextOrAnUnknownVersionIsTheWrongFormat) {
    const std::string bad = "\xC3\x28";  // a lead byte without its continuation
    {
        BuildOptions options;
        options.utf8 = true;
        const std::string path =
            Write(BuildDictionary(
                      {{"ab", {{"a" + bad, "", "<p>x</p>"}}}, {"cd", {{"cd", "", "y"}}}}, options),
                  "text.idx");
        ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
        EXPECT_EQ(SearchUtf8("ab").first, LEXQ_ERR_WRONGFORMAT);
        ASSERT_EQ(lexq_deinit(), LEXQ_ERR_NONE);
    }
    {
        BuildOptions options;
        options.utf8 = true;
        options.depth = 0;
        const std::string path =
            Write(BuildDictionary({{"a" + bad, {{"a", "", "x"}}}}, options), "key.idx");
        ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
        EXPECT_EQ(SearchUtf8("a").first, LEXQ_ERR_WRONGFORMAT);
        ASSERT_EQ(lexq_deinit(), LEXQ_ERR_NONE);
    }
    {
        // The same bytes in a Windows-1252 book are two letters, and no fault.
        BuildOptions options;
        options.depth = 0;
        const std::string path =
            Write(BuildDictionary({{"AB", {{"a" + bad, "", "x"}}}}, options), "cp.idx");
        ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
        EXPECT_EQ(Search("ab").first, LEXQ_ERR_NONE);
        ASSERT_EQ(lexq_deinit(), LEXQ_ERR_NONE);
    }
    RawDictionary future = BuildDictionary({{"ab", {{"ab", "", "x"}}}}, {.utf8 = true});
    future.utf8Version = 3;
    EXPECT_EQ(lexq_init(Write(future, "v3.idx").c_str()), LEXQ_ERR_WRONGFORMAT);
    RawDictionary usable = BuildDictionary({{"ab", {{"ab", "", "x"}}}}, {.utf8 = true});
    std::string bytes = usable.Bytes();
    bytes[24] = 37;  // a first-kind offset that a reader of the first kind could follow
    EXPECT_EQ(lexq_init(dir_.Write("offset.idx", bytes).c_str()), LEXQ_ERR_WRONGFORMAT);
}

}  // namespace
}  // namespace tk::test
