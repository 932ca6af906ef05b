// lexq and the word list: --star keeps what a lookup printed, --list-words and
// --export-anki read it back; the export of real entries from the bundled books is read
// by a reader written from Anki's documentation.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AnkiTextReader.h"
#include "program_folder.h"
#include "viewer/wordlist/WordFile.h"

namespace {

using lexqtest::TProgramFolder;
using lexqtest::TRun;

wordlist::TWordFileContents ReadList(const TProgramFolder &folder) {
    wordlist::TWordFileContents contents;
    const std::string file = folder.UserDataDir() + "/taalkist/woordenlijst.sqlite";
    EXPECT_EQ(wordlist::ReadWordFileBytes(lexqtest::ReadFile(file), contents),
              wordlist::TReadStatus::Ok);
    return contents;
}

// The front Anki's documentation asks for when fields are HTML: the headword with <, >, &
// written as entities, the typed word below it when it is another.
std::string ExpectedFront(const wordlist::TWordEntry &entry) {
    const auto escaped = [](const std::string &text) {
        std::string out;
        for (const char c : text)
            out += c == '<'   ? "&lt;"
                   : c == '>' ? "&gt;"
                   : c == '&' ? "&amp;"
                   : c == '"' ? "&quot;"
                              : std::string(1, c);
        return out;
    };
    const auto lower = [](std::string text) {
        for (char &c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    return escaped(entry.Headword) + (lower(entry.Typed) == lower(entry.Headword)
                                          ? ""
                                          : "<br>(" + escaped(entry.Typed) + ")");
}

class LexqWordList : public testing::Test {
  protected:
    void SetUp() override {
        Folder.Write("data/dict.cfg", "[dictionaries]\nnl-en=1;Nederlands-Engels\n");
        Folder.AddBook("nl-en", "",
                       "kw: zwemmen\n<p>to <b>swim</b></p>\n\n"
                       "kw: bank\n<p>bench</p>\n\nkw: bank\n<p>bank &amp; sofa</p>\n\n"
                       "kw: huis\n<p>house</p>\n");
        std::filesystem::create_directories(Folder.Dir() + "/data/wordforms");
        Folder.Write("data/wordforms/nl.tsv", lexqtest::ReadFile(WORDFORMS_TABLES "/nl.tsv"));
    }
    TProgramFolder Folder;
};

TEST_F(LexqWordList, StarKeepsWhatTheLookupPrintsInTheListNamed) {
    TRun run = Folder.Run({"--star", "bank"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, Folder.Run({"bank"}).Out);
    EXPECT_EQ(run.Err, "lexq: 2 artikelen bewaard in 'Woordenlijst'\n");
    run = Folder.Run({"--star", "zwom", "--to", "Les 3"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    run = Folder.Run({"--star", "BANK"});
    EXPECT_EQ(run.Err, "lexq: 0 artikelen bewaard in 'Woordenlijst' (2 stonden er al in)\n");
    EXPECT_EQ(Folder.Run({"--star", "fiets"}).Status, 1);

    const wordlist::TWordFileContents list = ReadList(Folder);
    ASSERT_EQ(list.Words.size(), 3u);
    EXPECT_EQ(list.Words[0].Headword, "bank");
    EXPECT_EQ(list.Words[0].Html, "<p>bench</p>");
    EXPECT_EQ(list.Words[0].Plain, "bench");
    EXPECT_EQ(list.Words[1].Plain, "bank & sofa");
    EXPECT_EQ(list.Words[0].Book, "nl-en");
    EXPECT_EQ(list.Words[0].BaseForm, "");
    EXPECT_EQ(list.Words[2].List, "Les 3");
    EXPECT_EQ(list.Words[2].Headword, "zwemmen");
    EXPECT_EQ(list.Words[2].Typed, "zwom");
    EXPECT_EQ(list.Words[2].BaseForm, "zwemmen");

    run = Folder.Run({"--list-words"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "bank\nbank\n");
    EXPECT_EQ(Folder.Run({"--list-words", "Les 3"}).Out, "zwemmen\n");
    EXPECT_EQ(Folder.Run({"--list-words", "Les 4"}).Status, 2);

    // The default list without a name, another by its name; "-" is standard output.
    run = Folder.Run({"--export-anki", "Les 3", "-"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const ankitest::TextFile notes = ankitest::ReadTextFile(run.Out);
    ASSERT_EQ(notes.Notes.size(), 1u);
    EXPECT_EQ(notes.Notes[0].Fields,
              (std::vector<std::string>{"zwemmen<br>(zwom)", "<p>to <b>swim</b></p>"}));
    EXPECT_EQ(notes.Notes[0].Tags, (std::vector<std::string>{"nl-en", "Les_3"}));
    const std::string file = Folder.Dir() + "/kaarten.txt";
    EXPECT_EQ(Folder.Run({"--export-anki", file}).Status, 0);
    EXPECT_EQ(ankitest::ReadTextFile(lexqtest::ReadFile(file)).Notes.size(), 2u);
}

TEST_F(LexqWordList, ADamagedListIsKeptAsideWithAMessage) {
    std::filesystem::create_directories(Folder.UserDataDir() + "/taalkist");
    const std::string file = Folder.UserDataDir() + "/taalkist/woordenlijst.sqlite";
    { std::ofstream(file) << "geen database"; }
    const TRun run = Folder.Run({"--star", "huis"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Err.find("is geen SQLite-bestand. Het bestand is bewaard als"), std::string::npos)
        << run.Err;
    EXPECT_EQ(Folder.Run({"--list-words"}).Out, "huis\n");
}

TEST(LexqWordListOptions, RefusesMixedCommands) {
    TProgramFolder folder;
    for (const std::vector<std::string> &args : {std::vector<std::string>{"--star"},
                                                 {"--to", "x", "huis"},
                                                 {"--star", "--list", "x"},
                                                 {"--list-words", "a", "b"},
                                                 {"--export-anki"},
                                                 {"--export-anki", "a", "b", "c"},
                                                 {"--star", "--export-anki", "f"},
                                                 {"--star", "--all", "huis"}}) {
        const TRun run = folder.Run(args);
        EXPECT_EQ(run.Status, 2) << args[0];
        EXPECT_NE(run.Err.find("lexq: "), std::string::npos);
    }
}

// Twenty entries of the bundled books, starred from the shell, exported and read back
// through the documentation's reader: every note holds its entry's fields.
TEST(LexqWordListBundled, TwentyRealEntriesReadBackFieldForField) {
    TProgramFolder folder;
    std::string config = "[dictionaries]\n";
    const char *books[] = {"nl-en", "en-nl", "fr-nl", "en"};
    for (const char *book : books) {
        const std::string idx = std::string(TK_BUNDLED_DATA) + "/" + book + ".idx";
        if (!std::filesystem::exists(idx))
            GTEST_SKIP() << idx << " not built";
        folder.Write(std::string("data/") + book + ".idx", lexqtest::ReadFile(idx));
        folder.Write(std::string("data/") + book + ".def", "");
        config += std::string(book) + "=1;" + book + "\n";
    }
    folder.Write("data/dict.cfg", config);
    std::filesystem::create_directories(folder.Dir() + "/data/wordforms");
    folder.Write("data/wordforms/nl.tsv", lexqtest::ReadFile(WORDFORMS_TABLES "/nl.tsv"));
    const std::vector<std::pair<const char *, std::vector<const char *>>> words = {
        {"nl-en", {"huis", "fiets", "zwom", "liep", "tafel", "boek"}},
        {"en-nl", {"house", "able", "wafer", "wage"}},
        {"fr-nl", {"c\xC5\x93ur", "maison", "livre", "eau"}},
        {"en", {"dog", "run", "ant", "cat", "sun"}}};
    for (const auto &[book, typed] : words)
        for (const char *word : typed) {
            const TRun run = folder.Run({"-d", book, "--star", "--to", "Reis naar Lyon", word});
            EXPECT_EQ(run.Status, 0) << book << " " << word << ": " << run.Err;
        }
    const wordlist::TWordFileContents list = ReadList(folder);
    ASSERT_GE(list.Words.size(), 20u);
    EXPECT_EQ(folder.Run({"--list-words", "Reis naar Lyon"}).Out.size() > 0, true);

    const std::string file = folder.Dir() + "/reis.txt";
    const TRun run = folder.Run({"--export-anki", "Reis naar Lyon", file});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const ankitest::TextFile notes = ankitest::ReadTextFile(lexqtest::ReadFile(file));
    EXPECT_EQ(notes.Problem, "");
    EXPECT_EQ(notes.Separator, '\t');
    EXPECT_TRUE(notes.Html);
    EXPECT_EQ(notes.Columns, (std::vector<std::string>{"Front", "Back", "Tags"}));
    ASSERT_EQ(notes.Notes.size(), list.Words.size());
    bool throughBaseForm = false;
    for (std::size_t i = 0; i < list.Words.size(); ++i) {
        const wordlist::TWordEntry &entry = list.Words[i];
        SCOPED_TRACE(entry.Book + " " + entry.Headword);
        ASSERT_EQ(notes.Notes[i].Fields.size(), 2u);
        EXPECT_EQ(notes.Notes[i].Fields[0], ExpectedFront(entry));
        EXPECT_EQ(notes.Notes[i].Fields[1], entry.Html);
        EXPECT_EQ(notes.Notes[i].Tags, (std::vector<std::string>{entry.Book, "Reis_naar_Lyon"}));
        EXPECT_FALSE(entry.Html.empty());
        EXPECT_FALSE(entry.Plain.empty());
        throughBaseForm = throughBaseForm || entry.BaseForm == "zwemmen";
    }
    EXPECT_TRUE(throughBaseForm);
}

}  // namespace
