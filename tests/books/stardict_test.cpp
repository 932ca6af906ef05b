// The StarDict reader: every field checked against the sizes and counts it is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "books/source.h"
#include "books/stardict.h"
#include "dict_files.h"
#include "test_support.h"

namespace books {
namespace {

using test::BigEndian;

std::string Info(const std::string &lines) {
    return "StarDict's dict ifo file\n" + lines;
}

void ExpectCorrupt(const std::function<void()> &read, const std::string &detail) {
    try {
        read();
        ADD_FAILURE() << "accepted; expected: " << detail;
    } catch (const InputError &e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("is beschadigd of onvolledig"), std::string::npos) << text;
        EXPECT_NE(text.find(detail), std::string::npos) << text;
    }
}

TEST(Stardict, DescriptionNeedsItsMagicVersionAndCounts) {
    const StardictInfo info =
        ParseStardictInfo(Info("version=3.0.0\nbookname= Mijn boek \nwordcount=12\nsynwordcount=3\n"
                               "idxfilesize=400\nidxoffsetbits=64\nsametypesequence=tm\n"),
                          "a.ifo");
    EXPECT_EQ(info.bookName, "Mijn boek");
    EXPECT_EQ(info.wordCount, 12u);
    EXPECT_EQ(info.synWordCount, 3u);
    EXPECT_EQ(info.idxFileSize, 400u);
    EXPECT_EQ(info.offsetBits, 64);
    EXPECT_EQ(info.sameTypeSequence, "tm");

    const std::string ok = "version=2.4.2\nwordcount=1\nidxfilesize=9\n";
    EXPECT_NO_THROW(ParseStardictInfo(Info(ok), "a.ifo"));
    ExpectCorrupt([&] { ParseStardictInfo("Some other file\n" + ok, "a.ifo"); }, "eerste regel");
    ExpectCorrupt(
        [&] { ParseStardictInfo(Info("version=9\nwordcount=1\nidxfilesize=9\n"), "a.ifo"); },
        "versie");
    ExpectCorrupt([&] { ParseStardictInfo(Info("version=2.4.2\nidxfilesize=9\n"), "a.ifo"); },
                  "wordcount");
    ExpectCorrupt(
        [&] { ParseStardictInfo(Info("version=2.4.2\nwordcount=-1\nidxfilesize=9\n"), "a.ifo"); },
        "wordcount");
    ExpectCorrupt([&] { ParseStardictInfo(Info("version=2.4.2\nwordcount=1\n"), "a.ifo"); },
                  "idxfilesize");
    ExpectCorrupt([&] { ParseStardictInfo(Info(ok + "idxoffsetbits=64\n"), "a.ifo"); }, "3.0.0");
    ExpectCorrupt([&] { ParseStardictInfo(Info(ok + "wordcount=99999999999\n"), "a.ifo"); },
                  "wordcount");
}

TEST(Stardict, IndexEntriesMustLieInsideTheTextAndMatchTheCount) {
    StardictInfo info;
    info.version = "3.0.0";
    info.wordCount = 2;
    info.offsetBits = 64;
    const std::string idx = std::string("huis\0", 5) + BigEndian(0) + BigEndian(3) + BigEndian(5) +
                            std::string("boom\0", 5) + BigEndian(0) + BigEndian(8) + BigEndian(4);
    info.idxFileSize = idx.size();
    const std::vector<StardictWord> words = ParseStardictIndex(idx, info, 12, "a.idx");
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].word, "huis");
    EXPECT_EQ(words[0].offset, 3u);
    EXPECT_EQ(words[1].offset, 8u);
    EXPECT_EQ(words[1].size, 4u);

    ExpectCorrupt([&] { ParseStardictIndex(idx, info, 11, "a.idx"); }, "'boom' wijst voorbij");
    StardictInfo more = info;
    more.wordCount = 3;
    ExpectCorrupt([&] { ParseStardictIndex(idx, more, 12, "a.idx"); }, "minder woorden");
    StardictInfo fewer = info;
    fewer.wordCount = 1;
    ExpectCorrupt([&] { ParseStardictIndex(idx, fewer, 12, "a.idx"); }, "meer woorden");
    const std::string cut = idx.substr(0, idx.size() - 3);
    StardictInfo cutInfo = info;
    cutInfo.idxFileSize = cut.size();
    ExpectCorrupt([&] { ParseStardictIndex(cut, cutInfo, 12, "a.idx"); }, "laatste woord");
    ExpectCorrupt([&] { ParseStardictIndex(cut, info, 12, "a.idx"); }, "bytes groot");
    const std::string badWord =
        std::string("h\xFFis\0", 5) + BigEndian(0) + BigEndian(0) + BigEndian(1);
    StardictInfo one = info;
    one.wordCount = 1;
    one.idxFileSize = badWord.size();
    ExpectCorrupt([&] { ParseStardictIndex(badWord, one, 12, "a.idx"); }, "UTF-8");
}

// A count a little too large runs out between two entries: the book has fewer words (or
// synonyms) than its description, not a word without end.
TEST(Stardict, ACountBeyondTheListSaysTheBookHasFewerWords) {
    StardictInfo info;
    info.version = "2.4.2";
    const std::string word = "een-heel-lang-trefwoord";
    const std::string idx = word + std::string(1, '\0') + BigEndian(0) + BigEndian(1);
    info.idxFileSize = idx.size();
    info.wordCount = 2;
    ExpectCorrupt([&] { ParseStardictIndex(idx, info, 1, "a.idx"); },
                  "het bevat minder woorden dan de beschrijving zegt");
    info.wordCount = 1;
    info.synWordCount = 2;
    ExpectCorrupt(
        [&] { ParseStardictSynonyms(word + std::string(1, '\0') + BigEndian(0), info, "a.syn"); },
        "het bevat minder synoniemen dan de beschrijving zegt");
}

TEST(Stardict, SynonymsMustNameAnExistingWord) {
    StardictInfo info;
    info.wordCount = 2;
    info.synWordCount = 1;
    EXPECT_EQ(ParseStardictSynonyms(std::string("woning\0", 7) + BigEndian(1), info, "a.syn")[0],
              (std::pair<std::string, std::uint32_t>{"woning", 1}));
    ExpectCorrupt(
        [&] { ParseStardictSynonyms(std::string("woning\0", 7) + BigEndian(2), info, "a.syn"); },
        "'woning' wijst naar een woord");
    ExpectCorrupt(
        [&] { ParseStardictSynonyms(std::string("woning\0", 7) + "\0\0", info, "a.syn"); },
        "synoniem");
}

TEST(Stardict, EntryFieldsBecomeHtmlByTheirKind) {
    // With a type sequence the last field runs to the end; others end in NUL.
    EXPECT_EQ(StardictEntryHtml(std::string("hy:s\0first line\nsecond & <more>", 31), "tm", "d"),
              "<p class=\"head\"><span class=\"pron\">/hy:s/</span></p>"
              "<p>first line<br>second &amp; &lt;more&gt;</p>");
    // Without one, each field carries its type; a picture's bytes are skipped by their size.
    const std::string data =
        std::string("m") + "tekst" + std::string(1, '\0') + "P" + BigEndian(3) + "\x89PN" +
        "h<b>vet</b><table><tr><td>cel</TD></tr></table>" + std::string(1, '\0');
    EXPECT_EQ(StardictEntryHtml(data, "", "d"), "<p>tekst</p><div><b>vet</b>   cel   </div>");
    ExpectCorrupt([&] { StardictEntryHtml(std::string("mno end"), "", "d"); }, "tekstveld");
    ExpectCorrupt([&] { StardictEntryHtml("W" + BigEndian(10) + "abc", "", "d"); }, "voorbij");
    ExpectCorrupt([&] { StardictEntryHtml(std::string("Wab"), "", "d"); }, "lengte");
    ExpectCorrupt([&] { StardictEntryHtml(std::string("1abc\0", 5), "", "d"); }, "soortteken");
    // Markup of many '<' and few '>' passes as it is, read once; a table tag far into it
    // is still dropped up to its '>'. In Pango markup a '<' that opens no tag is text.
    const std::string opens(1 << 20, '<');
    EXPECT_EQ(StardictEntryHtml(opens, "h", "d"), "<div>" + opens + "</div>");
    std::string escaped;
    for (std::size_t i = 0; i < opens.size(); ++i)
        escaped += "&lt;";
    const bool same = StardictEntryHtml(opens + "<table x>y", "g", "d") ==
                      "<div>" + escaped + " y</div>";  // too long to print
    EXPECT_TRUE(same);
    std::string rows;  // "<tr<tr": no tag until the last, which the one '>' closes
    for (int i = 0; i < 100000; ++i)
        rows += "<tr";
    EXPECT_EQ(StardictEntryHtml(rows + ">z", "h", "d"), "<div>" + rows.substr(3) + " z</div>");
    // XML kinds show their text.
    EXPECT_EQ(StardictEntryHtml("<k>huis</k> <tr>hoeys</tr> house", "x", "d"),
              "<p>huis hoeys house</p>");
}

// Pango markup keeps its lines and blanks, and its elements and span attributes become
// the page's HTML, with sizes as steps that follow the zoom.
TEST(Stardict, PangoMarkupBecomesThePagesHtml) {
    const auto g = [](const std::string &markup) { return StardictEntryHtml(markup, "g", "d"); };
    EXPECT_EQ(g("a\nb\n\n    c d  e\n"),
              "<div>a<br>b<br><br>&nbsp;&nbsp;&nbsp;&nbsp;c d &nbsp;e</div>");
    EXPECT_EQ(g("<span foreground=\"#0000CD\">x</span> <span fgcolor='#FFFF00000000'>y</span>"),
              "<div><span style=\"color:#0000CD;\">x</span> <span "
              "style=\"color:#FF0000;\">y</span></div>");
    EXPECT_EQ(g("<span background=\"yellow\" weight=\"bold\" style=\"italic\" underline=\"single\" "
                "strikethrough=\"true\" font_family=\"Serif\">z</span>"),
              "<div><span style=\"background-color:yellow;font-weight:bold;font-style:italic;"
              "font-family:Serif;text-decoration:underline line-through;\">z</span></div>");
    // Sizes in steps of about a fifth: named, in 1024ths of a point, in percent.
    EXPECT_EQ(g("<span size=\"x-large\">a</span><span size=\"8192\">b</span>"
                "<span size=\"10240\">c</span><span size=\"300%\">d</span>"),
              "<div><span><big><big>a</big></big></span><span><small>b</small></span>"
              "<span>c</span><span><big><big><big>d</big></big></big></span></div>");
    EXPECT_EQ(g("<markup><b>b</b><i>i</i><u>u</u><s>s</s><sup>2</sup><sub>0</sub><big>B</big>"
                "<small>k</small><tt>t</tt></markup>"),
              "<div><b>b</b><i>i</i><u>u</u><s>s</s><sup>2</sup><sub>0</sub><big>B</big>"
              "<small>k</small><tt>t</tt></div>");
    // References stay (&apos; as HTML 4 knows it); a bare '&' or '<' is text; an element
    // left open is closed with the field.
    EXPECT_EQ(g("l&apos;eau &amp; &#233; & 1 < 2 <i>open"),
              "<div>l&#39;eau &amp; &#233; &amp; 1 &lt; 2 <i>open</i></div>");
    // Attributes are read, never copied: a value that is no colour or family is dropped.
    EXPECT_EQ(g("<span foreground='\"><script>' face='A\"B'>x</span>"),
              "<div><span style=\"font-family:AB;\">x</span></div>");
    // HTML that books write in their Pango kept, with tables dropped and lines kept.
    EXPECT_EQ(g("<font color=red>r</font><br>x<table border=1><tr><td>y</td></tr>\nz"),
              "<div><font color=red>r</font><br>x   y  <br>z</div>");
    // Plain text keeps its layout too.
    EXPECT_EQ(StardictEntryHtml("\n\na\n\n  b  \n\n", "m", "d"), "<p>a<br><br>&nbsp;&nbsp;b</p>");
}

// The Littré's articles: Pango markup with line breaks and coloured quotations.
TEST(Stardict, LittreArticlesKeepTheirLinesAndColours) {
    const std::string stem = "/usr/share/stardict/dic/XMLittre";
    if (!std::filesystem::exists(stem + ".idx"))
        GTEST_SKIP() << stem << ".idx missing (Debian package stardict-xmlittre)";
    const std::string idx = ReadGzipFile(stem + ".idx");
    StardictInfo info = ParseStardictInfo(ReadGzipFile(stem + ".ifo"), "ifo");
    const std::string dict = ReadGzipFile(stem + ".dict.dz");
    const std::vector<StardictWord> words = ParseStardictIndex(idx, info, dict.size(), "idx");
    const auto chat = std::find_if(words.begin(), words.end(),
                                   [](const StardictWord &w) { return w.word == "CHAT"; });
    ASSERT_NE(chat, words.end());
    const std::string_view data = std::string_view(dict).substr(chat->offset, chat->size);
    const std::string html = StardictEntryHtml(data, info.sameTypeSequence, "dict");
    std::size_t lines = 0, breaks = 0;
    for (std::size_t at = data.find('\n'); at != std::string_view::npos;
         at = data.find('\n', at + 1))
        ++lines;
    for (std::size_t at = html.find("<br>"); at != std::string::npos;
         at = html.find("<br>", at + 1))
        ++breaks;
    EXPECT_GT(lines, 50u);
    EXPECT_EQ(breaks, lines);
    EXPECT_EQ(html.find("foreground="), std::string::npos);
    EXPECT_NE(html.find("<span style=\"color:#0000CD;\">Le chat est un domestique infidèle"),
              std::string::npos);
    EXPECT_NE(html.find("<b><big>ÉTYMOLOGIE</big></b>"), std::string::npos);
}

// Words the source cannot hold (a marker of the result table, control characters alone)
// are skipped or left out as keys; control characters elsewhere become blanks.
TEST(Stardict, WordsTheSourceCannotHoldAreSkipped) {
    const test::TempDir dir;
    test::StardictOptions options;
    options.synonyms = {{"x</tr>", 2}, {"\x7F", 2}, {"ook\x01zo", 2}};
    const std::string ifo = test::WriteStardict(
        dir.Path(), "b", {{"a</td>b", "een"}, {"\x01\x02", "twee"}, {"goed\x1Fwoord", "drie"}},
        options);
    StardictFiles files{ifo, dir.File("b.idx"), dir.File("b.dict.dz"), dir.File("b.syn")};
    Diagnostics diag;
    DictdImportCounts counts;
    StardictInfo info;
    const std::string source = ImportStardict(files, "", diag, counts, info);
    EXPECT_EQ(counts.records, 1u);
    EXPECT_EQ(counts.skipped, 2u);
    Diagnostics reread;
    const std::vector<SourceEntry> entries = ParseSource(source, reread);
    ASSERT_FALSE(reread.HasErrors()) << reread.Errors()[0];
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headword, "goed woord");
    ASSERT_EQ(entries[0].keys.size(), 1u);
    EXPECT_EQ(entries[0].keys[0].text, "ook zo");
    // The entry leads with its headword: StarDict's texts seldom name their word.
    // The synonym is noted for the viewer's ranking.
    EXPECT_EQ(entries[0].body,
              "<!--keys zoek:ook%20zo -->\r\n"
              "<p class=\"head\"><b class=\"hw\">goed woord</b></p>\r\n<p>drie</p>");
}

// A warning names the file and the place the user can find: the entry's number in the word
// list (which has no lines), a synonym's number in the .syn.
TEST(Stardict, WarningsNameTheWordListEntryOrTheSynonym) {
    const test::TempDir dir;
    test::StardictOptions options;
    options.synonyms = {{"woning", 1}, {"123", 1}, {"x</td>", 1}};
    options.sameTypeSequence = "tm";
    const std::string ifo = test::WriteStardict(
        dir.Path(), "b",
        {{"a</tr>", std::string("s\0x", 3)}, {"huis", std::string("hoeys\0house", 11)}}, options);
    StardictFiles files{ifo, dir.File("b.idx"), dir.File("b.dict.dz"), dir.File("b.syn")};
    Diagnostics diag(files.idx, "entry");
    DictdImportCounts counts;
    StardictInfo info;
    const std::string source = ImportStardict(files, "", diag, counts, info);
    const std::vector<std::string> &warnings = diag.Warnings();
    // "123" has no letters, but is kept: typed as it is, it finds the entry.
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].rfind(files.idx + ": entry 1: warning: headword \"a</tr>\"", 0), 0u)
        << warnings[0];
    EXPECT_EQ(warnings[1].rfind(files.syn + ": synonym 3: warning: \"x</td>\"", 0), 0u)
        << warnings[1];
    // A pronunciation opens the entry: the headword stands before it in its line.
    Diagnostics reread;
    const std::vector<SourceEntry> entries = ParseSource(source, reread);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].body,
              "<!--keys zoek:woning zoek:123 -->\r\n"
              "<p class=\"head\"><b class=\"hw\">huis</b> <span class=\"pron\">/hoeys/</span></p>"
              "<p>house</p>");
    ASSERT_EQ(entries[0].keys.size(), 2u);
}

// Words that point at one text (RAPIÉCER and RAPIECER) make one record under all of them,
// with the synonyms of each; the accented spelling is its headword.
TEST(Stardict, WordsNamingOneTextBecomeOneRecord) {
    const test::TempDir dir;
    test::StardictOptions options;
    options.shareSameTexts = true;
    options.synonyms = {{"rapetasser", 0}, {"rafistoler", 1}};
    const std::string ifo = test::WriteStardict(dir.Path(), "b",
                                                {{"RAPIECER", "recoudre"},
                                                 {"RAPI\xC3\x89"
                                                  "CER",
                                                  "recoudre"},
                                                 {"RAPIECER", "autre"},
                                                 {"x</td>", "recoudre"}},
                                                options);
    StardictFiles files{ifo, dir.File("b.idx"), dir.File("b.dict.dz"), dir.File("b.syn")};
    Diagnostics diag;
    DictdImportCounts counts;
    StardictInfo info;
    const std::string source = ImportStardict(files, "", diag, counts, info);
    EXPECT_EQ(counts.entries, 4u);
    EXPECT_EQ(counts.records, 3u);
    EXPECT_EQ(counts.skipped, 1u);
    Diagnostics reread;
    const std::vector<SourceEntry> entries = ParseSource(source, reread);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].headword,
              "RAPI\xC9"
              "CER");
    std::vector<std::string> keys;
    for (const SourceKey &key : entries[0].keys)
        keys.push_back(key.text);
    EXPECT_EQ(keys, (std::vector<std::string>{"RAPIECER", "rapetasser", "rafistoler"}));
    EXPECT_EQ(entries[1].headword, "RAPIECER");
}

}  // namespace
}  // namespace books
