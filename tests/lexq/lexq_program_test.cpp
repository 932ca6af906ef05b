// The built lexq program in a temporary program folder, run without any display: exit
// statuses, book choice, the viewer's messages, text and page output.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "dict_files.h"
#include "program_folder.h"
#include "viewer/core/LXA_Utils.h"

namespace {

using lexqtest::TProgramFolder;
using lexqtest::TRun;

const char *const kConfig =
    "[version]\nversion=1\n\n[application]\nregkey=Software\\LexqTest\n\n"
    "[dictionaries]\nnl-en=1;Nederlands-Engels\nnl-nl=Nederlands\nen-nl=1;Engels-Nederlands\n"
    "de=Duits\n";

// Library order for "bank": banken (by its extra key), Bank, bánk, bank.
const char *const kDutchEnglish =
    "kw: banken\ndir: nl-en\nkey: bank\n<p><b>banken</b> (meervoud)</p>\n\n"
    "kw: Bank\ndir: nl-en\n<p><b>Bank</b> (naam)</p>\n\n"
    "kw: b\xC3\xA1nk\ndir: nl-en\n<p><b>b\xC3\xA1nk</b></p>\n\n"
    "kw: bank\ndir: nl-en\n<p><b>bank</b> <i>de</i></p>\n"
    "<ol><li>sofa, couch</li><li>bench</li></ol>\n\n"
    "kw: huis\ndir: nl-en\n<p><b>huis</b> [h\xC5\x93\xC9\x94ys] &amp; &eacute;&#x20;&#596;</p>\n"
    "<ul><li>house</li>\n<li>home</li></ul>\n\n"
    "kw: caf\xC3\xA9\ndir: nl-en\n<p>caf\xC3\xA9</p>\n";

const char *const kPronounced = "[dictionary]\nfluency=1\nfluencyfld=4\n";

class LexqProgram : public testing::Test {
  protected:
    void SetUp() override {
        Folder.Write("data/dict.cfg", kConfig);
        Folder.AddBook("nl-en", kPronounced, kDutchEnglish);
        Folder.AddBook("nl-nl", "", "kw: huis\ndir: nl-nl\n<p>woning</p>\n");
        Folder.AddBook("en-nl", "", "");  // settings only: not installed
    }

    // Sets the viewer's last book in this folder's registry, as the viewer records it.
    void SetMru(const std::string &name) const {
        ::setenv("TAALKIST_REGISTRY_DIR", Folder.RegistryDir().c_str(), 1);
        WriteSetting(platform::RegRoot::CurrentUser, std::nullopt, "Software\\LexqTest", "MRU",
                     name);
        ::unsetenv("TAALKIST_REGISTRY_DIR");
    }

    TProgramFolder Folder;
};

TEST_F(LexqProgram, FoundWordPrintsItsEntriesAsPlainUtf8Text) {
    const TRun run = Folder.Run({"huis"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    // The character outside Windows-1252 was stored as a reference; both come back.
    EXPECT_EQ(run.Out,
              "huis [h\xC5\x93\xC9\x94ys] & \xC3\xA9 \xC9\x94\n\xE2\x80\xA2 house\n"
              "\xE2\x80\xA2 home\n");
    EXPECT_EQ(run.Err, "");
}

TEST_F(LexqProgram, HitsComeInTheViewersOrder) {
    const TRun run = Folder.Run({"bank"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "bank de\n1. sofa, couch\n2. bench\n\nBank (naam)\n\nb\xC3\xA1nk\n\n"
              "banken (meervoud)\n");
}

TEST_F(LexqProgram, WordNotFoundOrFoldingToNothingExitsWithOne) {
    for (const char *word : {"fiets", "123"}) {
        const TRun run = Folder.Run({word});
        EXPECT_EQ(run.Status, 1) << word;
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err,
                  std::string("lexq: Het woord '") + word + "' kan niet worden gevonden.\n");
    }
}

TEST_F(LexqProgram, SeveralWordsGetAHeadingEachAndTheWorstStatus) {
    const TRun run = Folder.Run({"huis", "fiets", "caf\xC3\xA9"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out,
              "--- Resultaten voor \"huis\" ---\n"
              "huis [h\xC5\x93\xC9\x94ys] & \xC3\xA9 \xC9\x94\n\xE2\x80\xA2 house\n"
              "\xE2\x80\xA2 home\n"
              "\n--- Resultaten voor \"fiets\" ---\n"
              "\n--- Resultaten voor \"caf\xC3\xA9\" ---\ncaf\xC3\xA9\n");
    EXPECT_NE(run.Err.find("'fiets'"), std::string::npos);
}

TEST_F(LexqProgram, HtmlPrintsTheViewersResultPageInUtf8) {
    const TRun run = Folder.Run({"--html", "caf\xC3\xA9"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    // The transcription comes from the book's "fluencyfld" 4: the direction cell.
    EXPECT_EQ(run.Out,
              "<html>\r\n  <head>\r\n"
              "    <title>Resultaten voor \"caf\xC3\xA9\"</title>\r\n"
              "    <meta name=\"searchtext\" content=\"caf\xC3\xA9\">\r\n"
              "    <link rel=\"stylesheet\" type=\"text/css\" href=\"" +
                  Folder.Dir() +
                  "/data/dict.css\">\r\n"
                  "  </head>\r\n  <body>\r\n"
                  "    <!-- keyword=\"caf\xC3\xA9\", translated=\"CAFE\"transcription="
                  "\"nl-en\", languagedir=\"nl-en\" -->\r\n"
                  "<p>caf\xC3\xA9</p>\r\n  </body>\r\n</html>\r\n");
}

TEST_F(LexqProgram, BookChoiceFollowsDashDThenMruThenFirstInstalledWithoutRecordingIt) {
    EXPECT_EQ(Folder.Run({"huis"}).Out.substr(0, 5), "huis ");
    EXPECT_EQ(Folder.Run({"-d", "NL-NL", "huis"}).Out, "woning\n");
    // Nothing was recorded for the viewer by these lookups.
    EXPECT_EQ(lexqtest::ReadFile(Folder.RegistryDir() + "/user.reg"), "");

    SetMru("nl-nl");
    const std::string hive = lexqtest::ReadFile(Folder.RegistryDir() + "/user.reg");
    EXPECT_EQ(Folder.Run({"huis"}).Out, "woning\n");
    EXPECT_EQ(Folder.Run({"-d", "nl-en", "huis"}).Out.substr(0, 5), "huis ");
    EXPECT_EQ(lexqtest::ReadFile(Folder.RegistryDir() + "/user.reg"), hive);

    // A last book that is not installed falls back to the first installed one.
    SetMru("en-nl");
    EXPECT_EQ(Folder.Run({"huis"}).Out.substr(0, 5), "huis ");
}

TEST_F(LexqProgram, UnknownOrUninstalledBookIsAnErrorWithTheViewersMessage) {
    TRun run = Folder.Run({"-d", "fr", "huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err,
              "lexq: Fout: Het door u opgegeven woordenboek 'fr' bestaat niet of is niet "
              "ge\xC3\xAFnstalleerd.\n");
    run = Folder.Run({"-d", "en-nl", "huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err,
              "lexq: Fout: Het door u opgegeven woordenboek 'Engels-Nederlands' is niet "
              "ge\xC3\xAFnstalleerd.\n");
}

// Book names and display names are UTF-8 in any script, from dict.cfg and the command line.
TEST_F(LexqProgram, BookNamesBeyondAsciiAreTakenAndShownAsTyped) {
    Folder.Write("data/dict.cfg",
                 "\xEF\xBB\xBF[dictionaries]\n\xC3\xA9-nl=\"1;Fran\xC3\xA7"
                 "ais-Nederlands\"\n");
    Folder.AddBook("\xC3\xA9-nl", "", "kw: huis\ndir: fr-nl\n<p>maison</p>\n");
    EXPECT_EQ(Folder.Run({"-d", "\xC3\x89-NL", "huis"}).Out, "maison\n");
    TRun run = Folder.Run({"--list"});
    EXPECT_NE(run.Out.find("\xC3\xA9-nl  Fran\xC3\xA7"
                           "ais-Nederlands  ja "),
              std::string::npos)
        << run.Out;
    run = Folder.Run({"-d", "\xD0\xB4\xD0\xBE\xD0\xBC", "huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(
        run.Err,
        "lexq: Fout: Het door u opgegeven woordenboek '\xD0\xB4\xD0\xBE\xD0\xBC' bestaat niet "
        "of is niet ge\xC3\xAFnstalleerd.\n");
}

TEST_F(LexqProgram, ListShowsEveryBookWithItsState) {
    SetMru("nl-nl");
    TRun run = Folder.Run({"--list"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "Naam   Weergavenaam       Ge\xC3\xAFnstalleerd  Getoond  Huidig\n"
              "nl-en  Nederlands-Engels  ja             ja\n"
              "nl-nl  Nederlands         ja             nee      *\n"
              "en-nl  Engels-Nederlands  nee            ja\n"
              "de     Duits              nee            nee\n");
    run = Folder.Run({"-d", "nl-en", "--list"});
    EXPECT_NE(run.Out.find("nl-en  Nederlands-Engels  ja             ja       *\n"),
              std::string::npos);
    EXPECT_EQ(Folder.Run({"-d", "de", "--list"}).Status, 2);
}

// A book the user added with lexqc comes after the program's, and -d finds it.
TEST_F(LexqProgram, TheUsersOwnBooksFollowTheProgramsInListAndLookUp) {
    std::filesystem::create_directories(Folder.UserDataDir());
    const std::string index = books::test::WriteDictd(
        Folder.UserDataDir(), "eigen",
        {{"fiets", "fiets\nbicycle\n"}, {"caf\xC3\xA9", "caf\xC3\xA9\ncafe, pub\n"}});
    const TRun added = Folder.Lexqc({"add", index, "--name", "Mijn fietsboek"});
    ASSERT_EQ(added.Status, 0) << added.Err;
    TRun run = Folder.Run({"--list"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    // Last, after the program's four, installed and shown.
    const std::size_t last = run.Out.rfind("\nmijn-fietsboek  Mijn fietsboek");
    ASSERT_NE(last, std::string::npos) << run.Out;
    EXPECT_LT(run.Out.find("\nde "), last) << run.Out;
    EXPECT_NE(run.Out.find("ja", last), std::string::npos);
    EXPECT_EQ(run.Out.find('\n', last + 1), run.Out.size() - 1);
    run = Folder.Run({"-d", "mijn-fietsboek", "CAFE"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("cafe, pub"), std::string::npos) << run.Out;
    // The program's own book is untouched by it.
    EXPECT_EQ(Folder.Run({"-d", "nl-nl", "huis"}).Out, "woning\n");
}

// FOLDOC's headwords without letters are found as typed; "rfc 2049" shows its own entry and
// folds the other RFCs away under one line that counts them.
TEST_F(LexqProgram, FoldocWordsOfDigitsAndSignsAreFoundAsTyped) {
    const std::string foldoc = "/usr/share/dictd/foldoc";
    if (!std::filesystem::exists(foldoc + ".index"))
        GTEST_SKIP() << "dict-foldoc is not installed (" << foldoc << ".index is missing)";
    std::filesystem::create_directories(Folder.UserDataDir());
    const std::string stem = Folder.UserDataDir() + "/foldoc";
    std::filesystem::copy_file(foldoc + ".dict.dz", stem + ".dict.dz");
    // Its own lines for the words, and every RFC.
    std::string slice;
    std::size_t rfcs = 0;
    std::istringstream index(lexqtest::ReadFile(foldoc + ".index"));
    for (std::string line; std::getline(index, line);) {
        const std::string word = line.substr(0, line.find('\t'));
        const bool rfc = word.size() > 4 &&
                         (word.rfind("rfc ", 0) == 0 || word.rfind("RFC ", 0) == 0) &&
                         word.find_first_not_of("0123456789", 4) == std::string::npos;
        for (const char *wanted : {"++", "404", "8086", ":-)", "00-database-short"})
            if (word == wanted)
                slice += line + "\n";
        if (rfc) {
            slice += line + "\n";
            ++rfcs;
        }
    }
    ASSERT_GT(rfcs, 10u);
    books::test::WriteBytes(stem + ".index", slice);
    const TRun added = Folder.Lexqc({"add", stem + ".index", "--name", "FOLDOC"});
    ASSERT_EQ(added.Status, 0) << added.Err;
    for (const auto &[word, text] :
         std::vector<std::pair<std::string, std::string>>{{"8086", "microprocessor"},
                                                          {"404", "clueless"},
                                                          {":-)", "smiley"},
                                                          {"++", "adds one"}}) {
        const TRun run = Folder.Run({"-d", "foldoc", "--exact", word});
        EXPECT_EQ(run.Status, 0) << word << run.Err;
        EXPECT_NE(run.Out.find(text), std::string::npos) << word << ": " << run.Out;
    }
    const TRun run = Folder.Run({"-d", "foldoc", "--exact", "rfc 2049"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::string line =
        "Nog " + std::to_string(rfcs - 1) + " artikelen met dezelfde letters\n";
    ASSERT_GE(run.Out.size(), line.size());
    EXPECT_EQ(run.Out.substr(run.Out.size() - line.size()), line) << run.Out;
    EXPECT_NE(run.Out.find("defining {MIME}"), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("822"), std::string::npos) << run.Out;
}

TEST_F(LexqProgram, StartUpFailuresExitWithTwoAndTheViewersMessages) {
    Folder.Remove("data/nl-nl.idx");
    Folder.Write("data/nl-en.idx", "no dictionary at all");
    TRun run = Folder.Run({"huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("lexq: Fout: Het woordenboekbestand '" + Folder.Dir() +
                           "/data/nl-en.idx' is corrupt."),
              std::string::npos)
        << run.Err;

    Folder.Remove("data/nl-en.idx");
    run = Folder.Run({"huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err, "lexq: Fout: Er is geen enkel woordenboek ge\xC3\xAFnstalleerd.\n");
    EXPECT_EQ(Folder.Run({"--list"}).Status, 0);

    Folder.Remove("data/dict.cfg");
    run = Folder.Run({"huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err, "lexq: Fout: Het bestand '" + Folder.Dir() + "/data/dict.cfg' ontbreekt.\n");
}

TEST_F(LexqProgram, MissingSearchLibraryIsAnUnexpectedError) {
    Folder.Remove("lexqapi.so");
    const TRun run = Folder.Run({"huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("Er is een onverwachte fout opgetreden"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("lexqapi.dll"), std::string::npos);
}

TEST_F(LexqProgram, EncipheredBookNeedsCryptBesideTheProgram) {
    Folder.AddBook("nl-en", "", "kw: huis\ndir: nl-en\n<p>geheim</p>\n", true);
    EXPECT_EQ(Folder.Run({"huis"}).Out, "geheim\n");
    Folder.Remove("crypt.so");
    const TRun run = Folder.Run({"huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("crypt.dll"), std::string::npos) << run.Err;
}

TEST_F(LexqProgram, BookIconsAreCheckedWithoutAGuiApplication) {
    Folder.Write("imgs/nl-en.ico", lexqtest::ReadFile(TK_SOURCE_IMGS "/nl-en.ico"));
    EXPECT_EQ(Folder.Run({"huis"}).Status, 0);
    Folder.Write("imgs/nl-en.ico", "not an icon");
    const TRun run = Folder.Run({"huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("nl-en.ico"), std::string::npos) << run.Err;
}

TEST_F(LexqProgram, UsageMistakesAndHelp) {
    TRun run = Folder.Run({"--bogus", "huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("--bogus"), std::string::npos);
    // "ĳ" has no Windows-1252 byte: searching "?s" instead would answer another question.
    run = Folder.Run({"\xC4\xB3s"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err.find("lexq: Fout: Het woord '\xC4\xB3s' kan niet worden opgezocht: het teken "
                           "'\xC4\xB3' komt in geen enkel woordenboek voor"),
              0u)
        << run.Err;
    run = Folder.Run({"--help"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Out.find("Gebruik: lexq"), std::string::npos);
    // Output that cannot be written is no success.
    run = Folder.Run({"huis"}, "/dev/full");
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("uitvoer"), std::string::npos);
}

// The keys fold a capital Œ to "CE" but the small one to "OE": a word with a capital Œ that
// finds nothing is looked up once more with œ, before any other fallback.
TEST(LexqLigature, ACapitalOeThatFindsNothingIsSearchedWithTheSmallOne) {
    TProgramFolder folder;
    folder.Write("data/dict.cfg", "[dictionaries]\nfr-nl=1;Frans-Nederlands\n");
    folder.AddBook("fr-nl", "",
                   "kw: c\xC5\x93ur\n<p>hart</p>\n\n"
                   "kw: \xC5\x93uvre\n<p>werk</p>\n\n"
                   "kw: Cceur\n<p>geen woord</p>\n");
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"\xC5\x92UVRE"}, {"--exact", "\xC5\x92UVRE"}}) {
        const TRun run = folder.Run(args);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Out, "werk\n");
    }
    // A hit for the word as typed ("CCEUR") is its answer.
    EXPECT_EQ(folder.Run({"C\xC5\x92UR"}).Out, "geen woord\n");

    // The bundled French-Dutch book, where "cœur" has an entry.
    const std::string bundled = std::string(TK_BUNDLED_DATA) + "/fr-nl.idx";
    if (!std::filesystem::exists(bundled))
        GTEST_SKIP() << bundled << " not built (Debian package dict-freedict-fra-nld)";
    folder.Write("data/fr-nl.idx", lexqtest::ReadFile(bundled));
    const TRun capital = folder.Run({"--exact", "C\xC5\x92UR"});
    EXPECT_EQ(capital.Status, 0) << capital.Err;
    EXPECT_EQ(capital.Out, folder.Run({"--exact", "c\xC5\x93ur"}).Out);
    EXPECT_NE(capital.Out.find("hart"), std::string::npos) << capital.Out;
}

std::string Gunzipped(const std::string &path) {
    std::string text;
    gzFile file = gzopen(path.c_str(), "rb");
    char buffer[65536];
    int n = 0;
    while (file != nullptr && (n = gzread(file, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    if (file != nullptr)
        gzclose(file);
    return text;
}

// The Littré's GRÈVE (the beach) and GREVÉ, ÉE as a StarDict book whose .syn gives the
// latter the word GREVÉ: a search for GREVÉ shows that entry first.
TEST(LexqSynonyms, AHitThroughTheTypedSynonymComesFirst) {
    const std::string stem = "/usr/share/stardict/dic/XMLittre";
    TProgramFolder folder;
    folder.Write("data/dict.cfg", "[dictionaries]\n");
    std::filesystem::create_directories(folder.UserDataDir());
    books::test::Entries entries = {{"GR\xC3\x88VE", "la plage"},
                                    {"GREV\xC3\x89, \xC3\x89E", "charg\xC3\xA9"}};
    if (std::filesystem::exists(stem + ".idx")) {
        // Their own texts: the entries lie at these places of the Littré's text.
        const std::string dict = Gunzipped(stem + ".dict.dz");
        entries[0].second = dict.substr(43482073, 4093);
        entries[1].second = dict.substr(43481260, 813);
    }
    books::test::StardictOptions options;
    options.sameTypeSequence = "g";
    options.synonyms = {{"GREV\xC3\x89", 1}};
    const std::string ifo =
        books::test::WriteStardict(folder.UserDataDir(), "littre", entries, options);
    const TRun added = folder.Lexqc({"add", ifo, "--name", "Littre"});
    ASSERT_EQ(added.Status, 0) << added.Err;
    const TRun run = folder.Run({"-d", "littre", "--exact", "GREV\xC3\x89"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.rfind("GREV\xC3\x89, \xC3\x89E\n", 0), 0u) << run.Out.substr(0, 300);
    EXPECT_NE(run.Out.find("\nGR\xC3\x88VE\n"), std::string::npos);
    // Through its own headword the beach comes first.
    EXPECT_EQ(
        folder.Run({"-d", "littre", "--exact", "GR\xC3\x88VE"}).Out.rfind("GR\xC3\x88VE\n", 0), 0u);
}

// A Dutch book with the shipped word-form tables, for what lexq does when a word is missing.
class LexqFinder : public testing::Test {
  protected:
    void SetUp() override {
        Folder.Write("data/dict.cfg", "[dictionaries]\nnl-en=1;Nederlands-Engels\n");
        std::string source;
        for (const char *word :
             {"zwemmen", "tafel", "takel", "kabel", "Tafelberg", "caf\xC3\xA9", "tak"})
            source += std::string("kw: ") + word + "\n<p>over " + word + "</p>\n\n";
        Folder.AddBook("nl-en", "", source);
        std::filesystem::create_directories(Folder.Dir() + "/data/wordforms");
        Folder.Write("data/wordforms/nl.tsv", lexqtest::ReadFile(WORDFORMS_TABLES "/nl.tsv"));
    }
    TProgramFolder Folder;
};

TEST_F(LexqFinder, AMissPrintsTheBaseFormsEntriesAndSaysSoOnStandardError) {
    const TRun run = Folder.Run({"Zwom"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "lexq: 'Zwom' is een vorm van 'zwemmen'.\n");
    EXPECT_EQ(run.Out, "over zwemmen\n");
    // The same with the viewer's page: the line above the base form's entries.
    const TRun html = Folder.Run({"--html", "zwom"});
    EXPECT_EQ(html.Status, 0);
    EXPECT_NE(html.Out.find("<i>'zwom' is een vorm van 'zwemmen'.</i>"), std::string::npos);
}

TEST_F(LexqFinder, WithoutABaseFormTheNearestHeadwordsFollowBedoeldeU) {
    const TRun run = Folder.Run({"tafl"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "lexq: Het woord 'tafl' kan niet worden gevonden.\n");
    // One edit away first, then two, each group in key order; as the book writes them.
    EXPECT_EQ(run.Out, "Bedoelde u:\ntafel\ncaf\xC3\xA9\ntak\ntakel\n");
    const TRun accent = Folder.Run({"kafe"});
    EXPECT_EQ(accent.Out, "Bedoelde u:\ncaf\xC3\xA9\nkabel\ntafel\n");
    // Nothing near: no list at all.
    EXPECT_EQ(Folder.Run({"xyzzyq"}).Out, "");
}

TEST_F(LexqFinder, ExactSearchesTheWordAlone) {
    for (const char *word : {"zwom", "tafl"}) {
        const TRun run = Folder.Run({"--exact", word});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err,
                  std::string("lexq: Het woord '") + word + "' kan niet worden gevonden.\n");
    }
}

TEST_F(LexqFinder, PrefixPrintsTheTypeAheadHeadwords) {
    TRun run = Folder.Run({"--prefix", "TA"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "tafel\nTafelberg\ntak\ntakel\n");
    run = Folder.Run({"--prefix=c\xC3\xA1"});
    EXPECT_EQ(run.Out, "caf\xC3\xA9\n");
    run = Folder.Run({"--prefix", "q"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(Folder.Run({"--prefix", "ta", "tafel"}).Status, 2);
}

TEST_F(LexqFinder, APatternPrintsTheMatchingHeadwordsInKeyOrder) {
    const struct {
        const char *pattern, *out;
        int status;
    } cases[] = {
        {"ta*", "tafel\nTafelberg\ntak\ntakel\n", 0},                   // a range of the keys
        {"*el", "kabel\ntafel\ntakel\n", 0},                            // the reversed keys' range
        {"*a?e*", "caf\xC3\xA9\nkabel\ntafel\nTafelberg\ntakel\n", 0},  // every key
        {"[ck]a*", "caf\xC3\xA9\nkabel\n", 0},                          // accents fold away
        {"?", "", 1},
        {"x*", "", 1},
    };
    for (const auto &c : cases) {
        const TRun run = Folder.Run({c.pattern});
        EXPECT_EQ(run.Status, c.status) << c.pattern << run.Err;
        EXPECT_EQ(run.Out, c.out) << c.pattern;
        EXPECT_EQ(run.Err, "") << c.pattern;
    }
    // Without its article index a book answers a fixed end all the same, from every key.
    Folder.Remove("data/nl-en.fts");
    EXPECT_EQ(Folder.Run({"*el"}).Out, "kabel\ntafel\ntakel\n");
}

TEST_F(LexqFinder, AMalformedPatternIsAnErrorAndExactTakesItLiterally) {
    TRun run = Folder.Run({"ta[bf"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err, "lexq: Het patroon 'ta[bf' klopt niet: '[' wordt niet gesloten met ']'.\n");
    EXPECT_EQ(run.Out, "");
    run = Folder.Run({"tak\\"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("zonder teken erna"), std::string::npos);
    // Literally: the star folds away as in any search, and "tak" is found.
    run = Folder.Run({"--exact", "tak*"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "over tak\n");
}

TEST_F(LexqFinder, FulltextPrintsTheEntriesWhoseTextHasTheWordsBestFirst) {
    TRun run = Folder.Run({"--fulltext", "over"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    // Every entry says "over": each once.
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = run.Out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(run.Out.substr(at, end - at));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"Tafelberg", "caf\xC3\xA9", "kabel", "tafel", "tak",
                                               "takel", "zwemmen"}));
    // In the headword first; accents and case fold.
    run = Folder.Run({"--fulltext=TAFEL"});
    EXPECT_EQ(run.Out, "tafel\n");
    EXPECT_EQ(Folder.Run({"--fulltext", "cafe"}).Out, "caf\xC3\xA9\n");
    // A word start: every headword that starts so, each once (equal in rank).
    run = Folder.Run({"--fulltext", "ta*"});
    EXPECT_EQ(run.Out.size(), std::string("tafel\ntakel\nTafelberg\ntak\n").size()) << run.Out;
    for (const char *word : {"tafel\n", "takel\n", "Tafelberg\n", "tak\n"})
        EXPECT_NE(run.Out.find(word), std::string::npos) << word;
    EXPECT_EQ(Folder.Run({"--fulltext", "\"over tak\""}).Out, "tak\n");
    // Two equal matches: the order between them is the index's, both are there.
    run = Folder.Run({"--fulltext", "over -tak -tafel -takel -kabel -zwemmen"});
    EXPECT_TRUE(run.Out == "Tafelberg\ncaf\xC3\xA9\n" || run.Out == "caf\xC3\xA9\nTafelberg\n")
        << run.Out;
    run = Folder.Run({"--fulltext", "fiets"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    run = Folder.Run({"--fulltext", "\"open"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err,
              "lexq: De zoekvraag klopt niet: een aanhalingsteken (\") wordt niet gesloten.\n");
    EXPECT_EQ(Folder.Run({"--fulltext", "over", "tafel"}).Status, 2);
    // A book without its index: how to make one, and the book answers words as before.
    Folder.Remove("data/nl-en.fts");
    run = Folder.Run({"--fulltext", "over"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("heeft geen artikelindex"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("lexqc index nl-en"), std::string::npos) << run.Err;
    EXPECT_EQ(Folder.Run({"tak"}).Status, 0);
    // lexqc index makes it from the book itself.
    const TRun made = Folder.Lexqc({"index", Folder.Dir() + "/data/nl-en.idx"});
    EXPECT_EQ(made.Status, 0) << made.Err;
    EXPECT_EQ(Folder.Run({"--fulltext", "\"over tak\""}).Out, "tak\n");
    EXPECT_EQ(Folder.Run({"*el"}).Out, "kabel\ntafel\ntakel\n");
}

}  // namespace
