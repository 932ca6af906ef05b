// The user's own books: dictd and StarDict dictionaries compiled into the user's folder
// answer the words of their sources, and bad input changes nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <sstream>

#include "books/article_index.h"
#include "books/diagnostics.h"
#include "books/search_library.h"
#include "books/user_books.h"
#include "cli.h"
#include "dict_files.h"
#include "tempdir.h"

namespace books {

// Some cases run the compiler's command line on what they make.
using namespace lexqc;
namespace {

using test::Entries;

const Entries kDutch = {
    {"appel", "appel\napple, a round fruit\n"},
    {"Zürich", "Zürich\na city in Switzerland\n"},
    {"peer", "peer\n1. pear\n2. light bulb\n"},
    {"ijs", "ijs\nice\n"},
};

// Windows-1252 form of the UTF-8 words the tests search for.
std::string Cp(const std::string &utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == 0xC3 && i + 1 < utf8.size())
            out += static_cast<char>(static_cast<unsigned char>(utf8[++i]) + 0x40);
        else
            out += static_cast<char>(c);
    }
    return out;
}

class UserBooks : public testing::Test {
  protected:
    UserBooks() : shelf_(UserShelfAt(dir_.File("eigen"))) {}

    AddResult Add(std::vector<std::string> files, const std::string &name = "",
                  Progress *progress = nullptr) {
        return AddUserBook(shelf_, AddRequest{std::move(files), name, program_}, progress);
    }

    // The Dutch message of a refused add, after checking that nothing changed.
    std::string Refused(const std::vector<std::string> &files, const std::string &name = "") {
        const std::string catalogue = test::ReadBytes(shelf_.catalogue);
        const std::vector<std::string> before = test::FolderListing(shelf_.root);
        std::string message;
        try {
            Add(files, name);
            ADD_FAILURE() << "accepted " << files[0];
        } catch (const InputError &e) {
            message = e.what();
        }
        EXPECT_EQ(test::ReadBytes(shelf_.catalogue), catalogue) << message;
        EXPECT_EQ(test::FolderListing(shelf_.root), before) << message;
        return message;
    }

    tk::test::TempDir dir_;
    UserShelf shelf_;
    std::string program_;  // no program catalogue unless a test writes one
};

#ifdef LEXQC_TEST_LEXQAPI
// Every word is found in the compiled book, with its text.
void ExpectAnswers(const std::string &idx, const Entries &wordsAndTexts) {
    const std::unique_ptr<SearchLibrary> library = SearchLibrary::Load(LEXQC_TEST_LEXQAPI);
    ASSERT_EQ(library->Open(idx), 0) << idx;
    for (const auto &[word, text] : wordsAndTexts) {
        const SearchLibrary::Result result = library->Search(Cp(word));
        ASSERT_EQ(result.status, 0) << word;
        EXPECT_NE(result.table.find(Cp(text)), std::string::npos) << word << ": " << result.table;
    }
    EXPECT_EQ(library->Search("onbekendwoord").status, -4);
}
#endif

TEST_F(UserBooks, DictdAndStardictBooksAnswerTheWordsOfTheirSources) {
    const AddResult dictd = Add({test::WriteDictd(dir_.Path(), "nl-test", kDutch)}, "Mijn boek");
    EXPECT_EQ(dictd.name, "mijn-boek");
    EXPECT_EQ(dictd.format, "dictd");
    EXPECT_EQ(dictd.records, 4u);

    const Entries french = {{"maison", "house, home"}, {"école", "school"}, {"chat", "cat"}};
    test::StardictOptions options;
    options.gzipIndex = true;
    options.synonyms = {{"demeure", 0}};
    options.bookName = "Frans-Engels";
    // Given by its text file alone: the others are found beside it.
    const std::string ifo = test::WriteStardict(dir_.Path(), "fr-en", french, options);
    const AddResult star = Add({dir_.File("fr-en.dict.dz")});
    EXPECT_EQ(star.format, "StarDict");
    EXPECT_EQ(star.displayName, "Frans-Engels");
    EXPECT_EQ(star.name, "fr-en");  // without --name, from the file name

    const std::vector<CatalogueEntry> books = ReadCatalogue(shelf_.catalogue);
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[0].name, "mijn-boek");
    EXPECT_EQ(books[0].displayName, "Mijn boek");
    EXPECT_TRUE(books[0].listed);
    EXPECT_EQ(books[1].name, "fr-en");
    for (const std::string &file : {"mijn-boek.def", "fr-en.def", "dict.css"})
        EXPECT_FALSE(test::ReadBytes(shelf_.dataDir + "/" + file).empty()) << file;
    EXPECT_NE(test::ReadBytes(shelf_.dataDir + "/fr-en.def").find("dictionary=fr-en"),
              std::string::npos);
#ifdef LEXQC_TEST_LEXQAPI
    ExpectAnswers(shelf_.dataDir + "/mijn-boek.idx", {{"appel", "apple, a round fruit"},
                                                      {"zurich", "a city in Switzerland"},
                                                      {"PEER", "2. light bulb"},
                                                      {"ijs", "<p>ijs<br>ice</p>"}});
    ExpectAnswers(shelf_.dataDir + "/fr-en.idx", {{"maison", "<p>house, home</p>"},
                                                  {"ecole", "<td>école</td>"},
                                                  {"demeure", "<td>maison</td>"}});
#endif
}

// A dictd book's licence, for the shelf: the paragraph its description gives after
// "Availability:" (as FreeDict writes it), of long terms the first sentences only.
TEST_F(UserBooks, ADictdBooksLicenceIsTheAvailabilityParagraphOfItsDescription) {
    const auto licence = [&](const std::string &stem, const std::string &info) {
        Entries entries = kDutch;
        if (!info.empty())
            entries.push_back({"00-database-info", info});
        const AddResult added = Add({test::WriteDictd(dir_.Path(), stem, entries)});
        EXPECT_EQ(added.records, 4u) << "the description is no entry";
        const std::string def = test::ReadBytes(shelf_.dataDir + "/" + added.name + ".def");
        const std::size_t at = def.find("licence=");
        return at == std::string::npos ? std::string("(none)")
                                       : def.substr(at + 8, def.find('\n', at) - at - 8);
    };
    EXPECT_EQ(licence("een",
                      "Een boek.\n\nAvailability:\n\n    Licensed under the CC BY-SA 3.0\n"
                      "  license\n\nPublication date: 2022.\n"),
              "Licensed under the CC BY-SA 3.0 license");
    const std::string terms(400, 'x');
    EXPECT_EQ(licence("twee",
                      "Availability:\n    Copyright (C) 2001 by X.\n    Available under "
                      "the GPL 2.0 and later.\n  " +
                          terms + "\n"),
              "Copyright (C) 2001 by X. Available under the GPL 2.0 and later.");
    EXPECT_EQ(licence("drie", "Een boek zonder licentieregel.\n"), "(none)");
    EXPECT_EQ(licence("vier", ""), "(none)");
}

TEST_F(UserBooks, DamagedDictionariesAreRefusedAndChangeNothing) {
    Add({test::WriteDictd(dir_.Path(), "good", kDutch)});

    // dictd: a text that ends too soon, a compressed text cut short, a broken index line.
    const std::string shortIndex = test::WriteDictd(dir_.Path(), "short", kDutch);
    const std::string text = test::ReadBytes(dir_.File("short.dict.dz"));
    test::WriteBytes(dir_.File("short.dict"), "appel\napple");
    std::remove(dir_.File("short.dict.dz").c_str());
    EXPECT_NE(Refused({shortIndex}).find("wijst voorbij het einde van de tekst"),
              std::string::npos);
    const std::string cut = test::WriteDictd(dir_.Path(), "cut", kDutch);
    test::WriteBytes(dir_.File("cut.dict.dz"), text.substr(0, text.size() / 2));
    EXPECT_NE(Refused({cut}).find("'" + dir_.File("cut.dict.dz") + "' is beschadigd"),
              std::string::npos);
    const std::string broken = test::WriteDictd(dir_.Path(), "broken", kDutch);
    test::WriteBytes(broken, test::ReadBytes(broken) + "kapot zonder tabs\n");
    EXPECT_NE(Refused({broken}).find("regel 5 van de index is onleesbaar"), std::string::npos);

    // StarDict: a word list cut short, an entry beyond the text, a wrong synonym.
    const Entries words = {{"maison", "house"}, {"chat", "cat"}};
    const std::string ifo = test::WriteStardict(dir_.Path(), "s", words);
    const std::string idx = test::ReadBytes(dir_.File("s.idx"));
    test::WriteBytes(dir_.File("s.idx"), idx.substr(0, idx.size() - 2));
    EXPECT_NE(Refused({ifo}).find("beschadigd of onvolledig"), std::string::npos);
    test::WriteBytes(dir_.File("s.idx"), idx.substr(0, idx.size() - 4) + test::BigEndian(99));
    EXPECT_NE(Refused({ifo}).find("'chat' wijst voorbij"), std::string::npos);
    test::StardictOptions synonyms;
    synonyms.synonyms = {{"demeure", 7}};
    EXPECT_NE(Refused({test::WriteStardict(dir_.Path(), "t", words, synonyms)})
                  .find("'demeure' wijst naar een woord"),
              std::string::npos);
    // A compressed file cut short is named, whichever of the three it is (an empty text
    // beside a damaged word list included).
    const std::string cutGzip = "\x1F\x8B\x08\x00" + std::string(6, '\0') + "\x01\x02";
    const std::string synIfo = test::WriteStardict(dir_.Path(), "v", words, synonyms);
    test::WriteBytes(dir_.File("v.syn"), cutGzip);
    EXPECT_NE(Refused({synIfo}).find("'" + dir_.File("v.syn") + "' is beschadigd"),
              std::string::npos);
    const std::string emptyIfo = test::WriteStardict(dir_.Path(), "w", {{"leeg", ""}});
    test::WriteBytes(dir_.File("w.idx"), cutGzip);
    EXPECT_NE(Refused({emptyIfo}).find("'" + dir_.File("w.idx") + "' is beschadigd"),
              std::string::npos);
    // Every ending that is read is named when a file has none of them.
    test::WriteBytes(dir_.File("boek.txt"), "tekst\n");
    EXPECT_NE(Refused({dir_.File("boek.txt")})
                  .find("(.index, .dict, .dict.dz) of een StarDict-woordenboek (.ifo, .idx, "
                        ".idx.gz, .dict, .dict.dz, .syn)"),
              std::string::npos);
    test::WriteBytes(dir_.File("u.ifo"), "not a dictionary\n");
    EXPECT_NE(Refused({dir_.File("u.ifo")}).find("StarDict-woordenboek is niet compleet"),
              std::string::npos);
    EXPECT_NE(Refused({dir_.File("nergens.index")}).find("bestaat niet"), std::string::npos);
    EXPECT_NE(Refused({ifo, dir_.File("good.index")}).find("één woordenboek"), std::string::npos);
    EXPECT_EQ(ReadCatalogue(shelf_.catalogue).size(), 1u);
}

// The Littré with a description that promises one word more than its list holds.
TEST_F(UserBooks, ADescriptionPromisingMoreWordsIsRefusedSoSaid) {
    const std::string littre = "/usr/share/stardict/dic/XMLittre";
    if (!std::filesystem::exists(littre + ".ifo"))
        GTEST_SKIP() << littre << ".ifo missing (Debian package stardict-xmlittre)";
    std::string ifo = test::ReadBytes(littre + ".ifo");
    const std::size_t count = ifo.find("wordcount=122910");
    ASSERT_NE(count, std::string::npos);
    ifo.replace(count, 16, "wordcount=122911");
    test::WriteBytes(dir_.File("littre.ifo"), ifo);
    std::filesystem::create_symlink(littre + ".idx", dir_.File("littre.idx"));
    std::filesystem::create_symlink(littre + ".dict.dz", dir_.File("littre.dict.dz"));
    EXPECT_NE(Refused({dir_.File("littre.ifo")}).find("minder woorden dan de beschrijving"),
              std::string::npos);
}

// An index cut anywhere in its last line, or whose size cuts a character of the text in
// two, reads as a shorter but plausible book; it is a damaged file.
TEST_F(UserBooks, ACutIndexIsRefusedAsDamaged) {
    const std::string index = test::WriteDictd(dir_.Path(), "kort", kDutch);
    const std::string whole = test::ReadBytes(index);
    for (const std::size_t less : {1, 2, 5}) {
        test::WriteBytes(index, whole.substr(0, whole.size() - less));
        EXPECT_NE(Refused({index}).find("regel 4 van de index is onleesbaar"), std::string::npos)
            << less;
    }
    // The text "a" + "ü" (two bytes): a length of 1 for "b" leaves half the character.
    test::WriteDictd(dir_.Path(), "teken", {{"a", "a"}, {"b", "\xC3\xBC"}});
    const std::string cutChar = dir_.File("teken.index");
    test::WriteBytes(cutChar, "a\tA\tB\nb\tB\tB\n");
    EXPECT_NE(Refused({cutChar}).find("regel 2 van de index is onleesbaar"), std::string::npos);
    test::WriteBytes(cutChar, "a\tA\tB\nb\tB\tC\n");
    EXPECT_EQ(Add({cutChar}).records, 2u);

    // A real book cut inside the size of a line, as a broken download leaves it.
    const std::string real = "/usr/share/dictd/jargon.index";
    if (!std::filesystem::exists(real))
        GTEST_SKIP() << real << " missing (Debian package dict-jargon)";
    const std::string text = test::ReadBytes(real);
    const std::size_t lineEnd = text.find('\n', text.size() / 2);
    std::filesystem::copy_file("/usr/share/dictd/jargon.dict.dz", dir_.File("jargon.dict.dz"));
    test::WriteBytes(dir_.File("jargon.index"), text.substr(0, lineEnd - 1));
    EXPECT_NE(Refused({dir_.File("jargon.index")}).find("van de index is onleesbaar"),
              std::string::npos);
}

// A book in another script, or a Latin one with a few such headwords, becomes a UTF-8
// book with every headword; a book that fits Windows-1252 stays of the first kind.
TEST_F(UserBooks, AnotherScriptMakesAUtf8BookWithEveryHeadword) {
    const Entries greek = {{"σπίτι", "house"}, {"γάτα", "cat"}, {"OK", "okay"}};
    const AddResult el = Add({test::WriteDictd(dir_.Path(), "el", greek)});
    EXPECT_TRUE(el.utf8);
    EXPECT_EQ(el.records, 3u);
    EXPECT_EQ(el.skipped, 0u);
    EXPECT_EQ(test::ReadBytes(shelf_.dataDir + "/el.idx").substr(0, 16), "TAALKIST-LEXQ U8");
    Entries mixed = kDutch;
    mixed.emplace_back("γάτα", "cat");
    const AddResult both = Add({test::WriteDictd(dir_.Path(), "mixed", mixed)});
    EXPECT_TRUE(both.utf8);
    EXPECT_EQ(both.records, 5u);
    EXPECT_EQ(both.skipped, 0u);
    EXPECT_TRUE(both.warnings.empty()) << both.warnings[0];
    const AddResult dutch = Add({test::WriteDictd(dir_.Path(), "nl", kDutch)});
    EXPECT_FALSE(dutch.utf8);
    EXPECT_EQ(test::ReadBytes(shelf_.dataDir + "/nl.idx").substr(0, 15), "TAALKIST-LEXQ 1");
}

TEST_F(UserBooks, NamesAreUniqueOverBothCatalogues) {
    program_ = dir_.Path() + "/program";
    std::filesystem::create_directories(program_);
    test::WriteBytes(program_ + "/dict.cfg", "[dictionaries]\nnl-en=1;Nederlands-Engels\n");
    const std::string index = test::WriteDictd(dir_.Path(), "nl-en", kDutch);
    EXPECT_NE(Refused({index}).find("Er is al een woordenboek met de naam 'nl-en'"),
              std::string::npos);
    EXPECT_NE(Refused({index}, "nederlands-engels").find("al een woordenboek"), std::string::npos);
    Add({index}, "Mijn Nederlands");
    EXPECT_NE(Refused({index}, "MIJN NEDERLANDS").find("al een woordenboek"), std::string::npos);
    for (const char *name : {"Twee\nregels", "Tab\there", "\xE9\xE9n"})
        EXPECT_NE(Refused({index}, name).find("kan niet worden gebruikt"), std::string::npos);
    EXPECT_EQ(Add({index}, "Café-boek").name, "cafe-boek");

    EXPECT_EQ(RemoveUserBook(shelf_, "Mijn Nederlands", program_), "mijn-nederlands");
    EXPECT_FALSE(std::filesystem::exists(shelf_.dataDir + "/mijn-nederlands.idx"));
    EXPECT_FALSE(std::filesystem::exists(shelf_.dataDir + "/mijn-nederlands.def"));
    ASSERT_EQ(ReadCatalogue(shelf_.catalogue).size(), 1u);
    EXPECT_EQ(ReadCatalogue(shelf_.catalogue)[0].name, "cafe-boek");
    for (const auto &[name, message] : {std::pair{"nl-en", "hoort bij het programma"},
                                        std::pair{"mijn-nederlands", "geen eigen"}}) {
        try {
            RemoveUserBook(shelf_, name, program_);
            ADD_FAILURE() << name;
        } catch (const InputError &e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

TEST_F(UserBooks, AFullDiskOrACancelLeavesTheCatalogueAsItWas) {
    Add({test::WriteDictd(dir_.Path(), "first", kDutch)});
    Entries many;
    std::uint32_t noise = 12345;  // bodies that do not compress away
    for (int i = 0; i < 400; ++i) {
        std::string body;
        for (int j = 0; j < 32; ++j) {
            noise = noise * 1103515245u + 12345u;
            body += "0123456789abcdef"[(noise >> 16) & 15];
        }
        many.emplace_back(
            "woord" + std::string(1, char('a' + i % 26)) + std::string(1, char('a' + i / 26)),
            body + "\n");
    }
    const std::string index = test::WriteDictd(dir_.Path(), "second", many);

    // Files may grow no larger than a few kilobytes: the dictionary's write fails.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const sighandler_t oldSignal = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string message = Refused({index});
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldSignal);
    EXPECT_NE(message.find("kan niet worden opgeslagen"), std::string::npos) << message;

    // Stopped half-way through: nothing written, not even the folders of a first book.
    UserShelf fresh = UserShelfAt(dir_.File("leeg"));
    int reports = 0;
    Progress progress([&](double done) {
        EXPECT_GE(done, 0.0);
        EXPECT_LE(done, 1.0);
        return ++reports < 5;
    });
    EXPECT_THROW(AddUserBook(fresh, AddRequest{{index}, "", ""}, &progress), Cancelled);
    EXPECT_EQ(reports, 5);
    EXPECT_FALSE(std::filesystem::exists(fresh.root));
}

// The catalogue is a user-edited text: read as UTF-8 (else Windows-1252), written in UTF-8,
// with display names in any script compared without regard to case.
TEST_F(UserBooks, DisplayNamesInAnyScriptAndAHandEditedCatalogue) {
    std::filesystem::create_directories(shelf_.dataDir);
    test::WriteBytes(shelf_.catalogue,
                     "\xEF\xBB\xBF[dictionaries]\n; oud=1;Weg\nhand=\"1;Ελληνικό λεξικό\"\n");
    const std::string index = test::WriteDictd(dir_.Path(), "ru", kDutch);
    const AddResult added = Add({index}, " Русский словарь ");
    EXPECT_EQ(added.name, "ru");  // no Latin letter in the name: the file's
    EXPECT_EQ(added.displayName, "Русский словарь");
    EXPECT_NE(Refused({index}, "РУССКИЙ СЛОВАРЬ").find("al een woordenboek"), std::string::npos);

    const std::vector<CatalogueEntry> books = ReadCatalogue(shelf_.catalogue);
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[0].name, "hand");
    EXPECT_EQ(books[0].displayName, "Ελληνικό λεξικό");
    EXPECT_EQ(books[1].displayName, "Русский словарь");
    EXPECT_NE(test::ReadBytes(shelf_.catalogue).find("\nru=1;Русский словарь\n"),
              std::string::npos);
    EXPECT_EQ(RemoveUserBook(shelf_, "русский СЛОВАРЬ", program_), "ru");

    // A catalogue saved in Windows-1252 is written back whole in UTF-8, never mixed.
    test::WriteBytes(shelf_.catalogue, "[dictionaries]\ncafe=1;Caf\xE9 \x80\n");
    Add({index}, "Ελληνικά");
    EXPECT_EQ(test::ReadBytes(shelf_.catalogue), "[dictionaries]\ncafe=1;Café €\nru=1;Ελληνικά\n");
    EXPECT_EQ(RemoveUserBook(shelf_, "CAFÉ €", program_), "cafe");
    EXPECT_EQ(test::ReadBytes(shelf_.catalogue), "[dictionaries]\nru=1;Ελληνικά\n");
}

TEST_F(UserBooks, TheArticleIndexIsMadeWithTheBookAndGoesWithIt) {
    Add({test::WriteDictd(dir_.Path(), "nl-test", kDutch)}, "Mijn boek");
    const std::string fts = shelf_.dataDir + "/mijn-boek.fts";
    books::ArticleIndex::OpenStatus status;
    auto index = books::ArticleIndex::Open(fts, status);
    ASSERT_EQ(status, books::ArticleIndex::OpenStatus::Ok);
    books::ArticleIndex::Found found;
    std::string error;
    ASSERT_TRUE(index->Search({"\"fruit\"", 1, {{"fruit"}}}, 10, found, error)) << error;
    ASSERT_EQ(found.total, 1u);
    EXPECT_EQ(found.matches[0].headword, "appel");
    std::vector<std::string> ending;
    EXPECT_TRUE(index->KeysEndingWith("EL", [&](std::string_view key) {
        ending.emplace_back(key);
        return true;
    }));
    EXPECT_EQ(ending, std::vector<std::string>{"APPEL"});
    index.reset();
    RemoveUserBook(shelf_, "mijn-boek", program_);
    EXPECT_FALSE(std::filesystem::exists(fts));
}

// The command line: add, list both catalogues, remove, under $XDG_DATA_HOME.
TEST_F(UserBooks, CommandLineAddsListsAndRemoves) {
    ::setenv("XDG_DATA_HOME", dir_.File("xdg").c_str(), 1);
    const std::string index = test::WriteDictd(dir_.Path(), "mijn", kDutch);
    std::ostringstream out, err;
    EXPECT_EQ(RunLexqc({"add", index, "--name", "Mijn woorden"}, out, err), kExitOk) << err.str();
    EXPECT_NE(out.str().find("'Mijn woorden' (mijn-woorden, dictd) is toegevoegd: 4 van 4 woorden"),
              std::string::npos)
        << out.str();
    out.str("");
    EXPECT_EQ(RunLexqc({"add", index, "--name", "Mijn woorden"}, out, err), kExitInputError);
    EXPECT_NE(err.str().find("Geef met --name een andere naam op."), std::string::npos);
    EXPECT_EQ(RunLexqc({"add", test::WriteDictd(dir_.Path(), "el", kDutch), "--name", "Ελληνικά"},
                       out, err),
              kExitOk)
        << err.str();
    // A line the user added by hand, in UTF-8.
    const std::string catalogue = dir_.File("xdg") + "/taalkist/eigen/data/dict.cfg";
    test::WriteBytes(catalogue, test::ReadBytes(catalogue) + "wörter=1;Wörterbuch\n");
    out.str("");
    EXPECT_EQ(RunLexqc({"list"}, out, err), kExitOk);
    EXPECT_NE(out.str().find("Eigen woordenboeken (" + dir_.File("xdg") +
                             "/taalkist/eigen/data):\n  mijn-woorden  Mijn woorden\n"
                             "  el            Ελληνικά\n"
                             "  wörter        Wörterbuch  (niet geïnstalleerd)\n"),
              std::string::npos)
        << out.str();
    out.str("");
    EXPECT_EQ(RunLexqc({"remove", "mijn-woorden"}, out, err), kExitOk);
    EXPECT_EQ(RunLexqc({"remove", "WÖRTERBUCH"}, out, err), kExitOk);
    EXPECT_EQ(out.str(), "'mijn-woorden' is verwijderd.\n'wörter' is verwijderd.\n");
    ASSERT_EQ(ReadCatalogue(catalogue).size(), 1u);
    EXPECT_EQ(ReadCatalogue(catalogue)[0].displayName, "Ελληνικά");
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace books
