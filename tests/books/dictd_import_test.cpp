// Import of a small hand-made dictd dictionary: index numbers, gzip text, HTML bodies.
#include "books/dictd_import.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <filesystem>
#include <sstream>

#include "books/source.h"
#include "cli.h"
#include "test_support.h"

namespace books {

// Some cases run the compiler's command line on what they make.
using namespace lexqc;
namespace {

// dictd's base64 digits of a number, most significant first.
std::string Digits(std::uint64_t v) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    do {
        s.insert(s.begin(), alphabet[v % 64]);
        v /= 64;
    } while (v != 0);
    return s;
}

TEST(LexqcDictdImport, DecodesIndexNumbers) {
    EXPECT_EQ(DecodeDictdNumber("A"), 0u);
    EXPECT_EQ(DecodeDictdNumber("/"), 63u);
    EXPECT_EQ(DecodeDictdNumber("BA"), 64u);
    EXPECT_EQ(DecodeDictdNumber("BnWN"), ((1u * 64 + 39) * 64 + 22) * 64 + 13);
    EXPECT_EQ(DecodeDictdNumber(Digits(123456789)), 123456789u);
    EXPECT_FALSE(DecodeDictdNumber(""));
    EXPECT_FALSE(DecodeDictdNumber("A=B"));
    EXPECT_FALSE(DecodeDictdNumber(std::string(12, '/')));  // beyond 64 bits
}

// gcide indents its definitions and attributions under the headword line: the page keeps
// that layout.
TEST(LexqcDictdImport, RealEntriesKeepTheirIndentation) {
    const std::string stem = "/usr/share/dictd/gcide";
    if (!std::filesystem::exists(stem + ".index"))
        GTEST_SKIP() << stem << ".index missing (Debian package dict-gcide)";
    const std::string index = ReadGzipFile(stem + ".index");
    const std::size_t line = index.find("\nHibiscus\t");
    ASSERT_NE(line, std::string::npos);
    const std::string_view fields(index.data() + line + 10, index.find('\n', line + 1) - line - 10);
    const auto offset = DecodeDictdNumber(fields.substr(0, fields.find('\t')));
    const auto length = DecodeDictdNumber(fields.substr(fields.find('\t') + 1));
    ASSERT_TRUE(offset && length);
    const std::string text = ReadGzipFile(stem + ".dict.dz").substr(*offset, *length);
    EXPECT_NE(EntryTextToHtml(text).find("(Bot.)<br>&nbsp;&nbsp;&nbsp;A genus of plants"),
              std::string::npos)
        << EntryTextToHtml(text);
    EXPECT_NE(EntryTextToHtml(text).find("<br>&nbsp;&nbsp;&nbsp;[1913 Webster]"),
              std::string::npos);
}

TEST(LexqcDictdImport, MakesSimpleEscapedHtml) {
    EXPECT_EQ(EntryTextToHtml("huis /hœys/\n  1. house & <home>\n\n  \"thuis\"\n"),
              "<p>huis /hœys/<br>&nbsp;&nbsp;1. house &amp; &lt;home&gt;</p>"
              "<p>&nbsp;&nbsp;&quot;thuis&quot;</p>");
    EXPECT_EQ(EntryTextToHtml("a\tb\x01"
                              "c"),
              "<p>a b c</p>");  // controls become blanks
    EXPECT_EQ(DecodeLenient("caf\xE9 \x92 ok"), "café ’ ok");
    EXPECT_EQ(DecodeLenient("it\xC2\x92s"), "it’s");  // C1 control: a mislabelled byte
    const std::string run(13, 'a');                   // longer than the eight bytes taken at once
    EXPECT_EQ(DecodeLenient(run + "caf\xE9 \xC3\xA9" + run), run + "café é" + run);
}

class LexqcDictdFiles : public testing::Test {
  protected:
    // Writes the entries' texts back to back into a gzip file and an index naming them.
    void Write(const std::vector<std::pair<std::string, std::string>> &entries,
               const std::string &extraIndexLines = "") {
        std::string text, index;
        for (const auto &[headword, body] : entries) {
            index += headword + "\t" + Digits(text.size()) + "\t" + Digits(body.size()) + "\n";
            text += body;
        }
        index += extraIndexLines;
        indexPath_ = dir_.Write("t.index", index);
        dictPath_ = dir_.File("t.dict.dz");
        gzFile gz = gzopen(dictPath_.c_str(), "wb9");
        ASSERT_NE(gz, nullptr);
        ASSERT_EQ(gzwrite(gz, text.data(), static_cast<unsigned>(text.size())),
                  static_cast<int>(text.size()));
        gzclose(gz);
    }

    int Import(std::string &errors, const std::vector<std::string> &extra = {},
               std::string *summary = nullptr) {
        std::ostringstream out, err;
        std::vector<std::string> args = {"import-dictd",     indexPath_, dictPath_,
                                         dir_.File("t.src"), "--dir",    "nl-en"};
        args.insert(args.end(), extra.begin(), extra.end());
        const int rc = RunLexqc(args, out, err);
        errors = err.str();
        if (summary != nullptr)
            *summary = out.str();
        return rc;
    }

    test::TempDir dir_;
    std::string indexPath_, dictPath_;
};

TEST_F(LexqcDictdFiles, ImportsEntriesAndSkipsMetaData) {
    Write({{"00-database-info", "This is a test dictionary.\n"},
           {"huis", "huis /hœys/\n1. house\n2. family\n"},
           {"huiselĳk", "huiselĳk\ndomestic\n"},
           {"kw: odd", "# not a comment\n"}});
    std::string errors;
    ASSERT_EQ(Import(errors), kExitOk) << errors;

    Diagnostics diag;
    const auto entries = ParseSource(test::ReadAll(dir_.File("t.src")), diag);
    ASSERT_FALSE(diag.HasErrors()) << diag.Errors()[0];
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].headword, "huis");
    EXPECT_EQ(entries[0].dir, "nl-en");
    EXPECT_EQ(entries[0].body, "<p>huis /h\x9Cys/<br>1. house<br>2. family</p>");
    EXPECT_EQ(entries[1].headword, "huiselijk");
    EXPECT_EQ(entries[1].body, "<p>huisel&#307;k<br>domestic</p>");
    EXPECT_EQ(entries[2].headword, "kw: odd");
    EXPECT_EQ(entries[2].body, "<p># not a comment</p>");

    // The imported source compiles.
    std::ostringstream out, err;
    EXPECT_EQ(RunLexqc({"build", dir_.File("t.src"), dir_.File("t.idx")}, out, err), kExitOk)
        << err.str();
}

// A control character in a headword (DEL among them) becomes a blank in every layout: the
// source the import writes must compile, whatever the dictionary holds.
TEST_F(LexqcDictdFiles, ControlCharactersInHeadwordsBecomeBlanks) {
    for (const std::string layout : {"", "--freedict", "--wordnet"}) {
        SCOPED_TRACE(layout);
        Write({{"del\x7Fword", "del\x7Fword\n    n 1: gloss\n"},
               {"bell\x07x", "bell\x07x\n    adj 1: ring\n"}});
        std::string errors;
        ASSERT_EQ(Import(errors, layout.empty() ? std::vector<std::string>{}
                                                : std::vector<std::string>{layout}),
                  kExitOk)
            << errors;
        Diagnostics diag;
        const auto entries = ParseSource(test::ReadAll(dir_.File("t.src")), diag);
        ASSERT_FALSE(diag.HasErrors()) << diag.Errors()[0];
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].headword, "del word");
        EXPECT_EQ(entries[1].headword, "bell x");
    }
}

// A headword the source cannot hold (one with a marker of the result table, or nothing but
// control characters) is skipped with a warning; the rest of the book is imported.
TEST_F(LexqcDictdFiles, HeadwordsTheSourceCannotHoldAreSkipped) {
    for (const std::string layout : {"", "--freedict", "--wordnet"}) {
        SCOPED_TRACE(layout);
        Write({{"a</td>b", "a</td>b\n    n 1: x\n"},
               {"\x01", "\x01\n    n 1: y\n"},
               {"goed", "goed\n    n 1: good\n"}});
        std::string errors;
        ASSERT_EQ(Import(errors, layout.empty() ? std::vector<std::string>{}
                                                : std::vector<std::string>{layout}),
                  kExitOk)
            << errors;
        EXPECT_NE(errors.find("t.index:1: warning: headword \"a</td>b\""), std::string::npos)
            << errors;
        Diagnostics diag;
        const auto entries = ParseSource(test::ReadAll(dir_.File("t.src")), diag);
        ASSERT_FALSE(diag.HasErrors()) << diag.Errors()[0];
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].headword, "goed");
    }
}

// Index lines that name one text (an accented and a bare spelling, another case, a line
// repeated) make one record under all their words, in every layout; texts that only look
// alike stay apart.
TEST(LexqcDictdImport, LinesNamingOneTextBecomeOneRecord) {
    const std::string one =
        "rapi\xC3\xA9"
        "cer\n    v 1: mend\n";
    const std::string text = one + "rapiecer\n    v 1: mend\n";
    const std::string first = "A\t" + Digits(one.size());
    const std::string second = Digits(one.size()) + "\t" + Digits(text.size() - one.size());
    const std::string index = "rapiecer\t" + first +
                              "\nrapi\xC3\xA9"
                              "cer\t" +
                              first + "\nRAPIECER\t" + first + "\nrapiecer\t" + first +
                              "\nrapiecer\t" + second + "\n";
    for (const bool wordnet : {false, true}) {
        SCOPED_TRACE(wordnet);
        DictdImportOptions options;
        options.wordnet = wordnet;
        Diagnostics diag;
        DictdImportCounts counts;
        const std::string source = ImportDictd(index, text, options, diag, &counts);
        EXPECT_EQ(counts.entries, 5u);
        EXPECT_EQ(counts.records, 5u);
        EXPECT_EQ(counts.skipped, 0u);
        Diagnostics reread;
        const std::vector<SourceEntry> entries = ParseSource(source, reread);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].headword,
                  "rapi\xE9"
                  "cer");
        std::vector<std::string> keys;
        for (const SourceKey &key : entries[0].keys)
            keys.push_back(key.text);
        EXPECT_EQ(keys, (std::vector<std::string>{"rapiecer", "RAPIECER"}));
        const KeyTable table = CollectKeys(entries, reread, 1000, 1000);
        EXPECT_EQ(table.triples.size(), 2u);
        EXPECT_EQ(table.keys.at("RAPIECER"), (std::vector<std::uint32_t>{0, 1}));
    }
}

// FreeDict's layout: the entry's own spelling is the keyword, the index word an extra key;
// every entry that is left out is counted and named.
TEST_F(LexqcDictdFiles, FreedictLayoutCountsWhatItSkips) {
    Write({{"00-database-info", "About.\n"},
           {"huis", "huis /həʏs/\n1. house\n2. family\n"},
           {"american", "American /əmerikən/\nAmerikaans\n"},
           {"after", "after /ɑːftər/\n\n"},
           {"grownup", "grown‐up /ɡɹˈəʊn/\nvolwassen, altĳd\n"}});
    std::string errors, summary;
    ASSERT_EQ(Import(errors, {"--freedict"}, &summary), kExitOk) << errors;
    EXPECT_NE(summary.find("written, 3 of 4 entries, 1 skipped"), std::string::npos) << summary;
    EXPECT_NE(errors.find("t.index:4: warning: \"after\" has no translation; skipped"),
              std::string::npos)
        << errors;

    Diagnostics diag;
    const auto entries = ParseSource(test::ReadAll(dir_.File("t.src")), diag);
    ASSERT_FALSE(diag.HasErrors()) << diag.Errors()[0];
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].headword, "huis");
    EXPECT_TRUE(entries[0].keys.empty());
    EXPECT_EQ(entries[0].dir, "nl-en");
    EXPECT_EQ(entries[0].body,
              "<p class=\"head\"><b class=\"hw\">huis</b> <span class=\"pron\">"
              "/h&#601;&#655;s/</span></p>\r\n"
              "<ol class=\"senses\"><li>house</li><li>family</li></ol>");
    EXPECT_EQ(entries[1].headword, "American");
    ASSERT_EQ(entries[1].keys.size(), 1u);
    EXPECT_EQ(entries[1].keys[0].text, "american");
    EXPECT_EQ(entries[2].headword, "grown-up");
    EXPECT_NE(entries[2].body.find("<li>volwassen, altijd</li>"), std::string::npos);

    // Each entry is found under one key however the index and the entry spell it.
    const KeyTable table = test::Collect(test::ReadAll(dir_.File("t.src")));
    ASSERT_EQ(table.keys.size(), 3u);
    EXPECT_EQ(table.keys.count("AMERICAN"), 1u);
    EXPECT_EQ(table.keys.at("GROWNUP").size(), 1u);
}

// Headwords beyond Windows-1252 are kept: the source makes a UTF-8 book, whose texts stay
// UTF-8; the closing part of speech of newer FreeDict books is set apart.
TEST_F(LexqcDictdFiles, FreedictHeadwordsInAnyScriptAreKept) {
    Write({{"łódź", "łódź /wuʨ̑/ <n>\nboot\n"},
           {"ελιά", "ελιά /eˈʎa/\nolijf\n"},
           {"huis", "huis /həʏs/\nhouse\n"}});
    std::string errors, summary;
    ASSERT_EQ(Import(errors, {"--freedict"}, &summary), kExitOk) << errors;
    EXPECT_NE(summary.find("written, 3 of 3 entries, 0 skipped"), std::string::npos) << summary;
    const std::string source = test::ReadAll(dir_.File("t.src"));
    ASSERT_EQ(SourceTextKind(source), TextKind::Utf8);
    Diagnostics diag;
    const auto entries = ParseSource(source, diag, 0, TextKind::Utf8);
    ASSERT_FALSE(diag.HasErrors()) << diag.Errors()[0];
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].headword, "łódź");
    EXPECT_EQ(entries[0].body,
              "<p class=\"head\"><b class=\"hw\">łódź</b> <span class=\"pron\">/wuʨ̑/</span> "
              "<i class=\"pos\">n</i></p>\r\n<ol class=\"senses\"><li>boot</li></ol>");
    const KeyTable table = CollectKeys(entries, diag, 255, 65535, TextKind::Utf8);
    EXPECT_EQ(table.keys.count("lodz"), 1u);
    EXPECT_EQ(table.keys.count("ελια"), 1u);
    EXPECT_EQ(table.keys.count("huis"), 1u);
}

TEST_F(LexqcDictdFiles, BrokenIndexLinesAreErrorsWithTheirLines) {
    Write({{"huis", "house\n"}},
          "boek\tA\n"
          "fiets\tA?\tB\n"
          "kaas\tZZZZ\tB\n");
    std::string errors;
    EXPECT_EQ(Import(errors), kExitInputError);
    EXPECT_NE(errors.find("t.index:2: error: expected headword"), std::string::npos) << errors;
    EXPECT_NE(errors.find("t.index:3: error: offset or length"), std::string::npos) << errors;
    EXPECT_NE(errors.find("t.index:4: error: the entry lies beyond"), std::string::npos) << errors;
    EXPECT_FALSE(test::ReadAll(dir_.File("t.src")).size());  // nothing half written
}

}  // namespace
}  // namespace books
