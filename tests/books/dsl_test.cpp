// Lingvo DSL books: encodings, headword lines, the body's tags as the book's HTML, and the
// whole import into the user's shelf, on crafted files and a slice of Debian's real book.
#include "books/dsl.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "books/encoding.h"
#include "books/exact_words.h"
#include "books/keys.h"
#include "books/search_library.h"
#include "books/user_books.h"
#include "dict_files.h"
#include "tempdir.h"

namespace books {
namespace {

// UTF-8 to UTF-16LE, the encoding Lingvo writes (BMP only, enough for the tests).
std::string Utf16Le(const std::string &utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
        code = n == 1 ? c : n == 2 ? (c & 0x1F) : (c & 0x0F);
        for (std::size_t k = 1; k < n; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        out += static_cast<char>(code & 0xFF);
        out += static_cast<char>(code >> 8);
    }
    return out;
}

TEST(Dsl, TextIsDecodedByItsMarkOrItsHeader) {
    const std::string text = "#NAME \"Русский\"\nслово\n\tword\n";
    EXPECT_EQ(DecodeDslText("\xFF\xFE" + Utf16Le(text)), text);
    EXPECT_EQ(DecodeDslText(Utf16Le(text)), text);  // no mark: told by its zero bytes
    EXPECT_EQ(DecodeDslText("\xEF\xBB\xBF" + text), text);
    EXPECT_EQ(DecodeDslText(text), text);
    // Neither: the header's code page, here by its language.
    EXPECT_EQ(DecodeDslText("#INDEX_LANGUAGE \"Russian\"\n\xF1\xEB\xEE\xE2\xEE\n"),
              "#INDEX_LANGUAGE \"Russian\"\nслово\n");
    EXPECT_EQ(DecodeDslText("#NAME \"Caf\xE9\"\n"), "#NAME \"Café\"\n");
    // The other Windows code pages by the languages of the header lines; a byte the page
    // has no letter for stays visible.
    EXPECT_EQ(DecodeDslText("#INDEX_LANGUAGE \"Polish\"\n\xB3\xF3\x9F\n\t\xBF\xB9\x98\n"),
              "#INDEX_LANGUAGE \"Polish\"\nłóź\n\tżą\xEF\xBF\xBD\n");
    EXPECT_EQ(DecodeDslText("#SOURCE_CODE_PAGE \"EasternEuropean\"\n\xE8\n"),
              "#SOURCE_CODE_PAGE \"EasternEuropean\"\nč\n");
    EXPECT_EQ(DecodeDslText("#INDEX_LANGUAGE \"Turkish\"\n\xF0\xFE\xFD\n"),
              "#INDEX_LANGUAGE \"Turkish\"\nğşı\n");
    EXPECT_EQ(DecodeDslText("#CONTENTS_LANGUAGE \"Greek\"\n\xEB\xDC\n"),
              "#CONTENTS_LANGUAGE \"Greek\"\nλά\n");
    EXPECT_EQ(DecodeDslText("#INDEX_LANGUAGE \"Lithuanian\"\n\xE0\n"),
              "#INDEX_LANGUAGE \"Lithuanian\"\ną\n");
    // A language named in a card's text is no header: Windows-1252.
    EXPECT_EQ(DecodeDslText("#NAME \"X\"\nwoord\n\tPolish \xE9\n"),
              "#NAME \"X\"\nwoord\n\tPolish é\n");
    // C1 controls, which no book stores, are read as Windows-1252 has them.
    EXPECT_EQ(DecodeDslText("a\xC2\x99"
                            "b"),
              "a\xE2\x84\xA2"
              "b");
    EXPECT_EQ(DecodeDslText(std::string("\xFF\xFE\x99\x00", 4)), "\xE2\x84\xA2");
    // Half a surrogate pair is a replacement character, never invalid UTF-8.
    EXPECT_EQ(DecodeDslText(std::string("\xFF\xFE\x00\xD8x\x00", 6)), "\xEF\xBF\xBDx");
}

TEST(Dsl, HeadwordLinesGiveTheirShownTextAndTheirKeys) {
    struct Row {
        const char *line, *shown;
        std::vector<std::string> keys;
    } rows[] = {
        {"'hood", "'hood", {"'hood"}},
        {"{to }go", "to go", {"go"}},
        {"colo(u)r", "colo(u)r", {"colour", "color"}},
        {"a\\{b\\} \\(c\\)", "a{b} (c)", {"a{b} (c)"}},
        {"  run  {[i]out[/i]} ", "run out", {"run"}},
        {"[b]bold[/b] word", "bold word", {"bold word"}},
    };
    for (const Row &row : rows) {
        const DslHeadword headword = ParseDslHeadword(row.line);
        EXPECT_EQ(headword.shown, row.shown) << row.line;
        EXPECT_EQ(headword.keys, row.keys) << row.line;
    }
}

TEST(Dsl, BodyTagsBecomeTheBooksHtml) {
    const DslAbbreviations abbreviations = {{"n", "noun"}};
    struct Row {
        const char *line, *html;
    } rows[] = {
        {"[m2] [trn]a [b]big[/b] house[/trn][/m]",
         "<div class=\"m2\"> <span class=\"trn\">a <b>big</b> house</span></div>"},
        {"plain & <text>", "<div class=\"m1\">plain &amp; &lt;text&gt;</div>"},
        {"[p]n[/p] [p]adj[/p]",
         "<div class=\"m1\"><span class=\"abbr\" title=\"noun\">n</span> <span "
         "class=\"abbr\">adj</span></div>"},
        {"see <<big house>> or [ref]home[/ref]",
         "<div class=\"m1\">see <a href=\"zoek:big%20house\">big house</a> or <a "
         "href=\"zoek:home\">home</a></div>"},
        {"[c darkorchid]x[/c][c]y[/c][c #2040ff]z[/c]",
         "<div class=\"m1\"><span class=\"c-purple\">x</span><span class=\"c-green\">y</span><span "
         "class=\"c-blue\">z</span></div>"},
        {"[*][ex]~ is[/ex][/*] [com]c[/com]",
         "<div class=\"m1\"><span class=\"opt\"><span class=\"ex\">huis is</span></span> <span "
         "class=\"com\">c</span></div>"},
        {"[s]huis.wav[/s][s]huis.jpg[/s]",
         "<div class=\"m1\"><span class=\"media\">(geluid of video 'huis.wav' wordt niet "
         "getoond)</span><span class=\"media\">(afbeelding 'huis.jpg' wordt niet "
         "getoond)</span></div>"},
        // Unknown tags stay as text; escapes are text; closing what is not open is dropped
        // and what stays open is closed.
        {"[xyz]a\\[b\\]\\~[/i][i]c", "<div class=\"m1\">[xyz]a[b]~<i>c</i></div>"},
        {"[m9][u]a[b]b[/u]c", "<div class=\"m9\"><u>a<b>b</b></u>c</div>"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(DslLineHtml(row.line, "huis", abbreviations), row.html) << row.line;
    // Nesting is cut at a fixed depth.
    std::string deep;
    for (int i = 0; i < 1000; ++i)
        deep += "[b]";
    const std::string html = DslLineHtml(deep + "x", "", {});
    EXPECT_LT(html.size(), 400u);
    EXPECT_NE(html.find("x</b>"), std::string::npos);
}

TEST(Dsl, LanguagesAndAbbreviations) {
    EXPECT_EQ(DslLanguageCode("English"), "en");
    EXPECT_EQ(DslLanguageCode("GermanNewSpelling"), "de");
    EXPECT_EQ(DslLanguageCode("Klingon"), "");
    const DslAbbreviations abbreviations = ParseDslAbbreviations(
        "#NAME \"x\"\n\nn\nnoun\n\t[m1]zelfstandig [i]naamwoord[/i]\n\tmore\nadj\n\tadjective\n");
    EXPECT_EQ(abbreviations.at("n"), "zelfstandig naamwoord");
    EXPECT_EQ(abbreviations.at("noun"), "zelfstandig naamwoord");
    EXPECT_EQ(abbreviations.at("adj"), "adjective");
}

class DslBooks : public testing::Test {
  protected:
    DslBooks() : shelf_(UserShelfAt(dir_.File("eigen"))) {}

    std::string Write(const std::string &name, const std::string &bytes) {
        const std::string path = dir_.File(name);
        test::WriteBytes(path, bytes);
        return path;
    }

    std::string RefusedWith(const std::string &file) {
        try {
            AddUserBook(shelf_, AddRequest{{file}, "", ""});
        } catch (const InputError &e) {
            EXPECT_TRUE(ReadCatalogue(shelf_.catalogue).empty()) << file;
            return e.what();
        }
        ADD_FAILURE() << "accepted " << file;
        return {};
    }

    tk::test::TempDir dir_;
    UserShelf shelf_;
};

TEST_F(DslBooks, AUtf16BookWithAbbreviationsIsAddedWithItsDirection) {
    Write("ru-woorden_abrv.dsl",
          "\xFF\xFE" + Utf16Le("#NAME \"afk\"\n\nсущ.\n\tсуществительное\n"));
    const std::string dsl =
        Write("ru-woorden.dsl", "\xFF\xFE" + Utf16Le("#NAME \"Русско-английский\"\n"
                                                     "#INDEX_LANGUAGE \"Russian\"\n"
                                                     "#CONTENTS_LANGUAGE \"English\"\n\n"
                                                     "дом\nhuis\n\t[m1][p]сущ.[/p] house[/m]\n\n"
                                                     "Zürich\n\t[m1]a city, see <<huis>>[/m]\n"));
    const AddResult added = AddUserBook(shelf_, AddRequest{{dsl}, "", ""});
    EXPECT_EQ(added.format, "DSL");
    EXPECT_EQ(added.name, "ru-en-ru-woorden");  // the viewer reads the direction from it
    EXPECT_EQ(added.displayName, "Русско-английский");
    EXPECT_EQ(added.entries, 3u);
    EXPECT_EQ(added.records, 2u);
    EXPECT_EQ(added.skipped, 1u);  // "дом" has no Windows-1252 form
    const std::string def = test::ReadBytes(shelf_.dataDir + "/ru-en-ru-woorden.def");
    EXPECT_NE(def.find("fluencyvoice=ru\n"), std::string::npos) << def;
    EXPECT_NE(def.find("stylesheet=dsl.css\n"), std::string::npos) << def;
    EXPECT_NE(test::ReadBytes(shelf_.dataDir + "/dsl.css").find("span.c-blue"), std::string::npos);
#ifdef LEXQC_TEST_LEXQAPI
    const std::unique_ptr<SearchLibrary> library = SearchLibrary::Load(LEXQC_TEST_LEXQAPI);
    ASSERT_EQ(library->Open(shelf_.dataDir + "/ru-en-ru-woorden.idx"), 0);
    const SearchLibrary::Result huis = library->Search("huis");
    ASSERT_EQ(huis.status, 0);
    EXPECT_NE(huis.table.find("title=\"&#1089;&#1091;&#1097;"), std::string::npos) << huis.table;
    EXPECT_NE(huis.table.find(" house</div>"), std::string::npos) << huis.table;
    const SearchLibrary::Result zurich = library->Search("zurich");
    ASSERT_EQ(zurich.status, 0);
    EXPECT_NE(zurich.table.find("<a href=\"zoek:huis\">huis</a>"), std::string::npos);
#endif
}

TEST_F(DslBooks, DamagedFilesAreRefusedNamingTheLine) {
    const std::string orphan = Write("a.dsl", "#NAME \"a\"\n\n\tno headword\nword\n\tbody\n");
    EXPECT_NE(RefusedWith(orphan).find("'" + orphan + "' is beschadigd of onvolledig: regel 3"),
              std::string::npos);
    const std::string cut = Write("b.dsl", "word\n\tbody\nnext\n");
    EXPECT_NE(RefusedWith(cut).find("regel 3 is een trefwoord zonder artikel"), std::string::npos);
    const std::string include = Write("c.dsl", "#INCLUDE \"c.dsl\"\nword\n\tbody\n");
    EXPECT_NE(RefusedWith(include).find("regel 1 neemt bestanden op"), std::string::npos);
    const std::string missing = Write("d.dsl", "#INCLUDE \"weg.dsl\"\nword\n\tbody\n");
    EXPECT_NE(RefusedWith(missing).find("'weg.dsl' op, maar dat bestand ontbreekt"),
              std::string::npos);
    const std::string broken = Write("e.dsl.dz", std::string("\x1F\x8B\x08\x00garbage", 11));
    EXPECT_NE(RefusedWith(broken).find("kan niet worden gelezen"), std::string::npos);
}

// Tags away, escapes undone: the text a reader sees of a DSL body line.
std::string SourceText(const std::string &line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size())
            out += line[++i];
        else if (line[i] == '[' && line.find(']', i) != std::string::npos)
            i = line.find(']', i);
        else if (line.compare(i, 2, "<<") == 0 || line.compare(i, 2, ">>") == 0)
            ++i;
        else
            out += line[i];
    }
    return out;
}

// The text a reader sees of a result table, in UTF-8.
std::string PageText(const std::string &cp1252Html) {
    std::string out, text;
    for (std::size_t i = 0; i < cp1252Html.size(); ++i) {
        if (cp1252Html[i] == '<')
            i = std::min(cp1252Html.find('>', i), cp1252Html.size());
        else
            out += cp1252Html[i];
    }
    for (const auto &[from, to] : {std::pair{"&lt;", "<"},
                                   {"&gt;", ">"},
                                   {"&quot;", "\""},
                                   {"&#39;", "'"},
                                   {"&amp;", "&"}}) {
        for (std::size_t at = 0; (at = out.find(from, at)) != std::string::npos; ++at)
            out.replace(at, std::string_view(from).size(), to);
    }
    return Cp1252ToUtf8(out);
}

TEST_F(DslBooks, TheRealBookAnswersEveryHeadwordWithItsFirstSense) {
    const std::string real = "/usr/share/goldendict-wordnet/goldendict-wordnet.dsl.dz";
    if (!std::filesystem::exists(real))
        GTEST_SKIP() << real << " missing (Debian package goldendict-wordnet)";
    // A slice of its cards: the whole book takes minutes with the sanitizers (the import
    // benchmark adds all of it).
    const std::string text = DecodeDslText(ReadGzipFile(real));
    // The lines up to the 1501st headword line.
    std::vector<std::string> lines;
    for (std::size_t start = 0, cards = 0; start < text.size();) {
        const std::size_t eol = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, eol - start);
        start = eol + 1;
        if (!line.empty() && line[0] != '\t' && line[0] != '#' && ++cards > 1500)
            break;
        lines.push_back(line);
    }
    std::string sliceText;
    for (const std::string &line : lines)
        sliceText += line + "\n";
    const std::string slice = Write("wn-slice.dsl", sliceText);
    std::filesystem::copy_file("/usr/share/goldendict-wordnet/goldendict-wordnet_abrv.dsl",
                               dir_.File("wn-slice_abrv.dsl"));
    const AddResult added = AddUserBook(shelf_, AddRequest{{slice}, "", ""});
    EXPECT_EQ(added.name, "en-wn-slice");
    EXPECT_EQ(added.records, added.entries);
#ifdef LEXQC_TEST_LEXQAPI
    const std::unique_ptr<SearchLibrary> library = SearchLibrary::Load(LEXQC_TEST_LEXQAPI);
    ASSERT_EQ(library->Open(shelf_.dataDir + "/en-wn-slice.idx"), 0);
    // Headwords without letters ("96") are found in the list beside the book.
    const std::vector<ExactWord> exact = ReadExactWords(shelf_.dataDir + "/en-wn-slice.idx");
    std::size_t checked = 0;
    std::string headword;
    std::vector<std::string> body;
    const auto check = [&] {
        if (headword.empty() || body.empty())
            return;
        const std::string word = *Utf8ToCp1252Strict(headword);
        std::string page;
        if (FoldKey(word).empty()) {
            for (const ExactWord &e : exact)
                if (e.word == word)
                    page += PageText(e.entry.s3);
        } else {
            const SearchLibrary::Result result = library->Search(word);
            ASSERT_EQ(result.status, 0) << headword;
            page = PageText(result.table);
        }
        for (std::size_t i = 0; i < std::min<std::size_t>(body.size(), 2); ++i)
            EXPECT_NE(page.find(SourceText(body[i])), std::string::npos)
                << headword << ": " << SourceText(body[i]) << "\n"
                << page;
        ++checked;
    };
    for (const std::string &line : lines) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '\t') {
            body.push_back(line.substr(1));
        } else {
            check();
            headword = line;
            body.clear();
        }
    }
    check();
    EXPECT_EQ(checked, added.entries);
#endif
}

}  // namespace
}  // namespace books
