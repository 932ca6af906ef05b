#include "viewer/wordlist/CardFile.h"

#include <gtest/gtest.h>

#include "AnkiTextReader.h"
#include "viewer/wordlist/CardImport.h"

namespace wordlist {
namespace {

// Entries with everything a field can hold that the formats must quote or escape.
std::vector<TWordEntry> HardEntries() {
    std::vector<TWordEntry> entries(4);
    entries[0] = {0,
                  "Les 3",
                  "huis",
                  "nl-en",
                  "<b>huis</b>\n<i>n</i> house",
                  "huis\nn house",
                  "huizen",
                  "huis",
                  "2026-12-09T10:00:00Z"};
    entries[1] = {0,
                  kDefaultList,
                  "a \"b\"\tc<",
                  "en",
                  "<p>x&amp;y \"q\"</p>",
                  "x&y \"q\"",
                  "A \"B\"\tC<",
                  "",
                  "2026-12-09T10:00:01Z"};
    entries[2] = {
        0,  "Reis naar Lyon",      "#hash", "fr-nl", "#niet een kop", "#niet een kop", "#hash",
        "", "2026-12-09T10:00:02Z"};
    entries[3] = {
        0,  kDefaultList,          "cœur", "fr-nl", "c\xC5\x93ur,\r\n&lt;x&gt;", "cœur", "CŒUR",
        "", "2026-12-09T10:00:03Z"};
    return entries;
}

TEST(CardFileTest, AnkiReadsTheNotesFieldForField) {
    const std::vector<TWordEntry> entries = HardEntries();
    const ankitest::TextFile file = ankitest::ReadTextFile(AnkiNotes(entries));
    EXPECT_EQ(file.Problem, "");
    EXPECT_EQ(file.Separator, '\t');
    EXPECT_TRUE(file.Html);
    EXPECT_EQ(file.Columns, (std::vector<std::string>{"Front", "Back", "Tags"}));
    EXPECT_EQ(file.TagsColumn, 3);
    ASSERT_EQ(file.Notes.size(), entries.size());
    const char *fronts[] = {"huis<br>(huizen)", "a &quot;b&quot;\tc&lt;", "#hash", "cœur"};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].Headword);
        ASSERT_EQ(file.Notes[i].Fields.size(), 2u);
        EXPECT_EQ(file.Notes[i].Fields[0], fronts[i]);
        EXPECT_EQ(file.Notes[i].Fields[1], entries[i].Html);
        EXPECT_EQ(file.Notes[i].Tags,
                  (std::vector<std::string>{entries[i].Book, AnkiTag(entries[i].List)}));
    }
    EXPECT_EQ(file.Notes[0].Tags[1], "Les_3");
}

TEST(CardFileTest, BothFilesReadBackIntoEntries) {
    const std::vector<TWordEntry> entries = HardEntries();
    const TCardImport anki = ReadCardFile(AnkiNotes(entries));
    const TCardImport csv = ReadCardFile(CsvTable(entries));
    EXPECT_EQ(anki.Error, "");
    EXPECT_EQ(csv.Error, "");
    ASSERT_EQ(anki.Entries.size(), entries.size());
    ASSERT_EQ(csv.Entries.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].Headword);
        const TWordEntry &a = anki.Entries[i], &c = csv.Entries[i], &e = entries[i];
        EXPECT_EQ(a.Headword, e.Headword);
        EXPECT_EQ(a.Typed, TypedDiffers(e) ? e.Typed : e.Headword);
        EXPECT_EQ(a.Book, e.Book);
        EXPECT_EQ(a.Html, e.Html);
        EXPECT_EQ(a.List, "");
        EXPECT_EQ(std::tie(c.Headword, c.Typed, c.BaseForm, c.Book, c.Added, c.Plain, c.Html),
                  std::tie(e.Headword, e.Typed, e.BaseForm, e.Book, e.Added, e.Plain, e.Html));
        EXPECT_EQ(c.List, "");
    }
    // CSV: a header row, CRLF after every row, the comma field quoted.
    const std::string table = CsvTable({entries[3]});
    EXPECT_TRUE(
        table.starts_with("Trefwoord,Getypt,Grondvorm,Woordenboek,Lijst,Datum,Tekst,HTML\r\n"))
        << table;
    EXPECT_NE(table.find(",\"c\xC5\x93ur,\r\n&lt;x&gt;\"\r\n"), std::string::npos) << table;
}

TEST(CardFileTest, RefusesWhatIsNoCardFile) {
    const struct {
        std::string bytes;
        const char *error;
        std::size_t entries;
    } cases[] = {
        {"", "geen woorden", 0},
        {"\xFF\xFEh\0u\0i\0s\0", "geen UTF-8", 0},
        {"Datum,Tekst,Trefwoord\r\n", "geen woorden", 0},
        {"Getypt,Trefwoord\r\nhuizen,huis\r\nx,\r\n", "", 1},
        {"huis\thouse\nfiets\tbicycle\n", "", 2},  // notes without header lines
        {"#separator:Semicolon\n#html:false\nhuis;<house>\n", "", 1},
        {"\xEF\xBB\xBFTrefwoord,HTML\r\n\"huis\",\"<b>x</b>\"\r\n", "", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes);
        const TCardImport read = ReadCardFile(c.bytes);
        EXPECT_NE(read.Error.find(c.error), std::string::npos) << read.Error;
        EXPECT_EQ(read.Entries.size(), c.entries);
    }
    EXPECT_EQ(ReadCardFile("#separator:Semicolon\n#html:false\nhuis;<house>\n").Entries[0].Html,
              "&lt;house&gt;");
    EXPECT_EQ(ReadCardFile("Getypt,Trefwoord\r\nhuizen,huis\r\n").Entries[0].Typed, "huizen");
}

TEST(CardFileTest, TurnsHtmlIntoText) {
    const std::pair<const char *, const char *> cases[] = {
        {"<b>huis</b> <i>n</i>", "huis n"},
        {"een<br>twee<p>drie</p>vier", "een\ntwee\ndrie\nvier"},
        {"&lt;&amp;&gt;&quot;&#233;&#x153;&unknown;", "<&>\"é\xC5\x93&unknown;"},
        {"open <tag", "open"},
        {"&#0;&#xD800;", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto &[html, text] : cases)
        EXPECT_EQ(HtmlToPlain(html), text) << html;
}

}  // namespace
}  // namespace wordlist
