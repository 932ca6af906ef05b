// The shelf as the user arranges it: order, hidden books and names are kept in the user's
// catalogue alone, survive a fresh read, and a write that cannot finish leaves the old shelf.
#include "books/shelf.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <sstream>

#include "books/diagnostics.h"
#include "cli.h"
#include "dict_files.h"
#include "tempdir.h"

namespace books {
namespace {

std::vector<std::string> Names(const std::vector<ShelfBook> &books) {
    std::vector<std::string> names;
    for (const ShelfBook &book : books)
        names.push_back(book.name + (book.hidden ? " (verborgen)" : "") + "=" + book.displayName);
    return names;
}

class Shelf : public testing::Test {
  protected:
    Shelf() : shelf_(UserShelfAt(dir_.File("eigen"))), program_(dir_.File("programma/data")) {
        std::filesystem::create_directories(program_);
        test::WriteBytes(program_ + "/dict.cfg",
                         "[version]\nversion=1\n\n[dictionaries]\nnl-en=1;Nederlands-Engels\n"
                         "en-nl=1;Engels-Nederlands\nen=0;Engels verklarend\n");
        std::filesystem::create_directories(shelf_.dataDir);
        test::WriteBytes(shelf_.catalogue,
                         "[version]\nversion=1\n\n[dictionaries]\n; met de hand\n"
                         "wn=1;WordNet\nfr=1;Frans\n");
    }

    tk::test::TempDir dir_;
    UserShelf shelf_;
    std::string program_;
};

TEST_F(Shelf, ChangesAreKeptInTheUsersCatalogueAndReadBackAsMade) {
    const std::string programCatalogue = test::ReadBytes(program_ + "/dict.cfg");
    const std::vector<std::string> programFiles = test::FolderListing(dir_.File("programma"));
    std::vector<ShelfBook> books = ReadShelf(shelf_, program_);
    ASSERT_EQ(Names(books),
              (std::vector<std::string>{"nl-en=Nederlands-Engels", "en-nl=Engels-Nederlands",
                                        "en=Engels verklarend", "wn=WordNet", "fr=Frans"}));
    EXPECT_FALSE(books[0].mine);
    EXPECT_TRUE(books[3].mine);

    MoveShelfBook(shelf_, program_, "fr", 0);
    MoveShelfBook(shelf_, program_, "Engels-Nederlands", 99);  // past the end: the last
    HideShelfBook(shelf_, program_, "nl-en", true);
    HideShelfBook(shelf_, program_, "wn", true);
    RenameShelfBook(shelf_, program_, "en", "  Engels–Engels  ");
    RenameShelfBook(shelf_, program_, "FR", "Français");
    const std::vector<std::string> arranged = {"fr=Français", "nl-en (verborgen)=Nederlands-Engels",
                                               "en=Engels–Engels", "wn (verborgen)=WordNet",
                                               "en-nl=Engels-Nederlands"};
    EXPECT_EQ(Names(ReadShelf(shelf_, program_)), arranged);
    // The program's folder is never written.
    EXPECT_EQ(test::ReadBytes(program_ + "/dict.cfg"), programCatalogue);
    EXPECT_EQ(test::FolderListing(dir_.File("programma")), programFiles);
    // The user's own books keep the catalogue's line format; the hand-made comment stays.
    const std::vector<CatalogueEntry> mine = ReadCatalogue(shelf_.catalogue);
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].name, "fr");
    EXPECT_EQ(mine[0].displayName, "Français");
    EXPECT_FALSE(mine[1].listed);
    EXPECT_NE(test::ReadBytes(shelf_.catalogue).find("; met de hand\n"), std::string::npos);

    // Shown again under its own name, a program's book leaves no trace in the user's file.
    HideShelfBook(shelf_, program_, "nl-en", false);
    RenameShelfBook(shelf_, program_, "en", "Engels verklarend");
    EXPECT_TRUE(ReadShelfSettings(shelf_).program.empty()) << test::ReadBytes(shelf_.catalogue);
    EXPECT_EQ(ReadShelf(shelf_, program_)[2].displayName, "Engels verklarend");

    // A book added meanwhile by another program stays; one removed meanwhile stays away.
    std::vector<ShelfBook> stale = ReadShelf(shelf_, program_);
    std::string text = test::ReadBytes(shelf_.catalogue);
    ASSERT_NE(text.find("fr=1;Français\n"), std::string::npos) << text;
    text.replace(text.find("fr=1;Français\n"), 15, "nieuw=1;Nieuw\n");
    test::WriteBytes(shelf_.catalogue, text);
    std::swap(stale[0], stale[1]);
    WriteShelf(shelf_, program_, stale);
    const std::vector<std::string> after = Names(ReadShelf(shelf_, program_));
    EXPECT_EQ(after.front(), "nl-en=Nederlands-Engels");
    EXPECT_NE(std::find(after.begin(), after.end(), "nieuw=Nieuw"), after.end());
    EXPECT_EQ(std::find(after.begin(), after.end(), "fr=Français"), after.end())
        << "fr was no longer in the catalogue";
}

TEST_F(Shelf, NamesThatWouldBreakTheListsAreRefusedAndChangeNothing) {
    const std::string before = test::ReadBytes(shelf_.catalogue);
    for (const std::string &name :
         {std::string("   "), std::string("twee\nregels"), std::string("tab\x01"),
          std::string("frans"), std::string("Nederlands-Engels"), std::string("\xC3")}) {
        EXPECT_THROW(RenameShelfBook(shelf_, program_, "wn", name), InputError) << name;
        EXPECT_EQ(test::ReadBytes(shelf_.catalogue), before) << name;
    }
    EXPECT_THROW(HideShelfBook(shelf_, program_, "onbekend", true), InputError);
    EXPECT_EQ(test::ReadBytes(shelf_.catalogue), before);
}

// A write that fails half-way (here: files may not grow past a few bytes) leaves the old
// catalogue whole, and no temporary file beside it.
TEST_F(Shelf, AnInterruptedWriteLeavesTheOldShelf) {
    MoveShelfBook(shelf_, program_, "wn", 0);
    const std::string before = test::ReadBytes(shelf_.catalogue);
    const std::vector<std::string> files = test::FolderListing(shelf_.root);
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const sighandler_t oldSignal = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool refused = false;
    try {
        MoveShelfBook(shelf_, program_, "fr", 0);
    } catch (const InputError &e) {
        refused = std::string(e.what()).find("dict.cfg") != std::string::npos;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldSignal);
    EXPECT_TRUE(refused);
    EXPECT_EQ(test::ReadBytes(shelf_.catalogue), before);
    std::vector<std::string> now = test::FolderListing(shelf_.root);
    std::erase_if(now, [](const std::string &f) { return f.ends_with(".lock"); });
    std::vector<std::string> then = files;
    std::erase_if(then, [](const std::string &f) { return f.ends_with(".lock"); });
    EXPECT_EQ(now, then);
    EXPECT_EQ(ReadShelf(shelf_, program_).front().name, "wn");
}

// lexqc rename/move/hide/show: the same changes from the shell, Dutch messages and the
// input-error status for what it refuses.
TEST_F(Shelf, CommandLineArrangesTheShelf) {
    ::setenv("XDG_DATA_HOME", dir_.Path().c_str(), 1);
    const UserShelf shelf = DefaultUserShelf();
    std::filesystem::create_directories(shelf.dataDir);
    test::WriteBytes(shelf.catalogue, "[dictionaries]\na=1;Alfa\nb=1;Beta\nc=1;Gamma\n");
    auto run = [](const std::vector<std::string> &args) {
        std::ostringstream out, err;
        const int rc = lexqc::RunLexqc(args, out, err);
        return std::tuple{rc, out.str(), err.str()};
    };
    EXPECT_EQ(std::get<0>(run({"move", "c", "1"})), lexqc::kExitOk);
    EXPECT_EQ(std::get<0>(run({"move", "Alfa", "--down"})), lexqc::kExitOk);
    EXPECT_EQ(std::get<0>(run({"hide", "b"})), lexqc::kExitOk);
    const auto [rc, out, err] = run({"rename", "b", "Bèta"});
    EXPECT_EQ(rc, lexqc::kExitOk) << err;
    EXPECT_EQ(out, "'b' heet nu 'Bèta'.\n");
    EXPECT_EQ(Names(ReadShelf(shelf, "")),
              (std::vector<std::string>{"c=Gamma", "b (verborgen)=Bèta", "a=Alfa"}));
    const std::string listed = std::get<1>(run({"list"}));
    EXPECT_NE(listed.find("  b  Bèta  (niet geïnstalleerd)  (verborgen)\n"), std::string::npos)
        << listed;
    EXPECT_NE(listed.find("Volgorde in de keuzelijst:\n  1. c  Gamma\n"), std::string::npos)
        << listed;
    EXPECT_EQ(std::get<0>(run({"show", "b"})), lexqc::kExitOk);
    EXPECT_FALSE(ReadShelf(shelf, "")[1].hidden);
    const std::string before = test::ReadBytes(shelf.catalogue);
    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{"move", "a", "0"},
                                               {"move", "a", "4"},
                                               {"move", "a", "twee"},
                                               {"move", "a", "--up", "--down"},
                                               {"move", "a"},
                                               {"rename", "a", "Gamma"},
                                               {"rename", "onbekend", "X"},
                                               {"hide"},
                                               {"hide", "a", "--snel"}}) {
        const auto [code, text, error] = run(args);
        EXPECT_EQ(code, lexqc::kExitInputError) << testing::PrintToString(args);
        EXPECT_EQ(error.rfind("lexqc: ", 0), 0u) << error;
        EXPECT_EQ(test::ReadBytes(shelf.catalogue), before) << testing::PrintToString(args);
    }
    EXPECT_NE(std::get<2>(run({"move", "a", "4"})).find("een getal van 1 tot 3"),
              std::string::npos);
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace books
