#include "viewer/wordlist/WordStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tempdir.h"
#include "viewer/wordlist/WordFile.h"

namespace wordlist {
namespace {

namespace fs = std::filesystem;

TWordEntry Entry(const std::string &headword, const std::string &list = "") {
    TWordEntry entry;
    entry.List = list;
    entry.Headword = headword;
    entry.Book = "nl-en";
    entry.Html = "<b>" + headword + "</b> <i>n</i> house";
    entry.Plain = headword + " n house";
    entry.Typed = headword + "je";
    entry.BaseForm = headword;
    return entry;
}

std::string Slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<fs::path> FilesIn(const std::string &folder) {
    std::vector<fs::path> files;
    for (const auto &item : fs::directory_iterator(folder))
        files.push_back(item.path().filename());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(WordStoreTest, KeepsEntriesInListsAcrossReopening) {
    tk::test::TempDir temp;
    const std::string path = temp.File("lijst/woordenlijst.sqlite");
    std::string message;
    {
        auto store = TWordStore::Open(path, message);
        ASSERT_TRUE(store) << message;
        EXPECT_EQ(message, "");
        bool added = false;
        const std::int64_t huis = store->Add(Entry("huis"), added);
        EXPECT_TRUE(added);
        EXPECT_GT(huis, 0);
        // The same entry again adds nothing; in a named list it is a row of its own.
        EXPECT_EQ(store->Add(Entry("huis"), added), 0);
        EXPECT_FALSE(added);
        EXPECT_GT(store->Add(Entry("huis", "Les 3"), added), huis);
        EXPECT_GT(store->Add(Entry("fiets", "Reis naar Lyon"), added), 0);
        EXPECT_TRUE(store->CreateList("Leeg"));
        EXPECT_FALSE(store->CreateList(""));
    }
    // Closed, the list is one file: the log is folded back in.
    EXPECT_EQ(FilesIn(temp.File("lijst")), std::vector<fs::path>{"woordenlijst.sqlite"});
    auto store = TWordStore::Open(path, message);
    ASSERT_TRUE(store) << message;
    EXPECT_EQ(store->Lists(),
              (std::vector<std::string>{"Leeg", "Les 3", "Reis naar Lyon", kDefaultList}));
    const std::vector<TWordEntry> all = store->Entries();
    ASSERT_EQ(all.size(), 3u);
    const TWordEntry expected = Entry("huis");
    EXPECT_EQ(all[0].List, kDefaultList);
    EXPECT_EQ(all[0].Headword, "huis");
    EXPECT_EQ(all[0].Html, expected.Html);
    EXPECT_EQ(all[0].Plain, expected.Plain);
    EXPECT_EQ(all[0].Typed, "huisje");
    EXPECT_EQ(all[0].BaseForm, "huis");
    EXPECT_EQ(all[0].Added.size(), 20u);
    EXPECT_EQ(store->Entries("Les 3").size(), 1u);
    EXPECT_EQ(store->KeptRow(kDefaultList, "nl-en", "huis", expected.Html), all[0].Id);
    EXPECT_NE(store->KeptRow("Les 3", "nl-en", "huis", expected.Html), 0);
    EXPECT_EQ(store->KeptRow(kDefaultList, "en-nl", "huis", expected.Html), 0);

    // Removing a row leaves the entry's row in the other list; removing a list its rows.
    EXPECT_TRUE(store->Remove(all[0].Id));
    EXPECT_FALSE(store->Remove(all[0].Id));
    EXPECT_EQ(store->KeptRow(kDefaultList, "nl-en", "huis", expected.Html), 0);
    EXPECT_NE(store->KeptRow("Les 3", "nl-en", "huis", expected.Html), 0);
    EXPECT_TRUE(store->RemoveList("Les 3"));
    EXPECT_EQ(store->KeptRow("Les 3", "nl-en", "huis", expected.Html), 0);
    EXPECT_EQ(store->Entries().size(), 1u);
}

// Files that are no word list: each is kept aside with its bytes and a Dutch message, and
// a new empty list is begun in its place.
TEST(WordStoreTest, KeepsADamagedFileAsideAndStartsANewList) {
    const auto otherDatabase = [](const std::string &path) {
        sqlite3 *db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    const auto truncatedList = [](const std::string &path) {
        std::string message;
        {
            auto store = TWordStore::Open(path, message);
            bool added = false;
            for (int i = 0; i < 200; ++i)
                store->Add(Entry("woord" + std::to_string(i)), added);
        }
        fs::resize_file(path, fs::file_size(path) / 2);
    };
    const auto badText = [](const std::string &path) {
        std::string message;
        TWordStore::Open(path, message);
        sqlite3 *db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "INSERT INTO lists VALUES('Woordenlijst', 'x');"
                     "INSERT INTO words(list, headword, book, html, plain, typed, base, added)"
                     " VALUES('Woordenlijst', CAST(X'FF' AS TEXT), 'b', '', '', '', '', '');",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    const struct {
        const char *name;
        std::function<void(const std::string &)> make;
        const char *says;
    } cases[] = {
        {"text", [](const std::string &p) { std::ofstream(p) << "huis\tfiets\n"; },
         "geen SQLite-bestand"},
        {"other program", otherDatabase, "ander programma"},
        {"truncated", truncatedList, "beschadigd"},
        {"bad row", badText, "niet te lezen"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        tk::test::TempDir temp;
        const std::string path = temp.File("woordenlijst.sqlite");
        c.make(path);
        const std::string before = Slurp(path);
        std::string message;
        auto store = TWordStore::Open(path, message);
        ASSERT_TRUE(store) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_NE(message.find("nieuwe, lege woordenlijst"), std::string::npos) << message;
        EXPECT_TRUE(store->Entries().empty());
        bool added = false;
        EXPECT_GT(store->Add(Entry("huis"), added), 0);
        std::vector<fs::path> aside;
        for (const fs::path &file : FilesIn(temp.Path()))
            if (file.string().starts_with("woordenlijst.beschadigd-"))
                aside.push_back(file);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_NE(message.find(aside[0].string()), std::string::npos);
        EXPECT_EQ(Slurp(temp.File(aside[0].string())), before);
    }
}

TEST(WordStoreTest, LeavesAFileOfALaterVersionAlone) {
    tk::test::TempDir temp;
    const std::string path = temp.File("woordenlijst.sqlite");
    std::string message;
    TWordStore::Open(path, message);
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA user_version = 9", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const std::string before = Slurp(path);
    EXPECT_FALSE(TWordStore::Open(path, message));
    EXPECT_NE(message.find("nieuwere versie"), std::string::npos) << message;
    EXPECT_EQ(FilesIn(temp.Path()), std::vector<fs::path>{"woordenlijst.sqlite"});
    EXPECT_EQ(Slurp(path), before);
}

TEST(WordFileTest, ReadsTheBytesOfAFileWithoutTouchingIt) {
    tk::test::TempDir temp;
    const std::string path = temp.File("woordenlijst.sqlite");
    std::string message;
    {
        auto store = TWordStore::Open(path, message);
        bool added = false;
        store->Add(Entry("huis"), added);
        store->Add(Entry("huis", "Les 3"), added);
    }
    TWordFileContents contents;
    EXPECT_EQ(ReadWordFileBytes(Slurp(path), contents), TReadStatus::Ok);
    EXPECT_EQ(contents.Lists, (std::vector<std::string>{"Les 3", kDefaultList}));
    ASSERT_EQ(contents.Words.size(), 2u);
    EXPECT_EQ(contents.Words[1].Typed, "huisje");
    EXPECT_EQ(ReadWordFileBytes("", contents), TReadStatus::Ok);
    EXPECT_TRUE(contents.Words.empty());
    EXPECT_EQ(ReadWordFileBytes(std::string(4096, 'x'), contents), TReadStatus::NotADatabase);
}

}  // namespace
}  // namespace wordlist
