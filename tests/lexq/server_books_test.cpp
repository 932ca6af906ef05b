// lexq and lexqc on books of a DICT server: added with lexqc add dict://..., looked up
// with lexq -d; a real dictd for the answers, a fake server for a fault.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "books/dict_client.h"
#include "books/user_books.h"
#include "dict_servers.h"
#include "program_folder.h"

namespace {

using lexqtest::TProgramFolder;
using lexqtest::TRun;

class ServerBooks : public testing::Test {
  protected:
    void SetUp() override {
        Folder.Write("data/dict.cfg", "[version]\nversion=1\n\n[dictionaries]\n");
    }
    // The name lexqc gave the book, from its line "'…' (NAME) is toegevoegd".
    static std::string AddedName(const std::string &out, std::size_t line = 0) {
        std::size_t at = 0;
        for (std::size_t i = 0; i < line; ++i)
            at = out.find('\n', at) + 1;
        const std::size_t open = out.find(" (", at) + 2;
        return out.substr(open, out.find(") ", open) - open);
    }
    TProgramFolder Folder;
};

TEST_F(ServerBooks, AddedDatabasesAreLookedUpOnTheServer) {
    tk::test::LocalDictd dictd({"freedict-nld-eng", "freedict-eng-nld"});
    if (!dictd.Running())
        GTEST_SKIP() << dictd.Why();
    const std::string server = "dict://127.0.0.1:" + std::to_string(dictd.Port());
    const TRun listed = Folder.Lexqc({"servers", server});
    ASSERT_EQ(listed.Status, 0) << listed.Err;
    EXPECT_NE(listed.Out.find("freedict-nld-eng"), std::string::npos);
    EXPECT_NE(listed.Out.find("(nl-en)"), std::string::npos);

    const TRun added = Folder.Lexqc({"add", server});
    ASSERT_EQ(added.Status, 0) << added.Err;
    const std::string dutch = AddedName(added.Out, 0);
    const std::string english = AddedName(added.Out, 1);
    EXPECT_EQ(dutch.rfind("nl-en", 0), 0u) << dutch;
    EXPECT_EQ(english.rfind("en-nl", 0), 0u) << english;
    // A second time: the names are taken.
    EXPECT_EQ(Folder.Lexqc({"add", server + "/freedict-nld-eng"}).Status, 2);

    // The definitions, as the client reads them, one blank line between them.
    books::dict::DictClient client("127.0.0.1", dictd.Port());
    std::vector<books::dict::Definition> definitions;
    ASSERT_EQ(client.Define("freedict-nld-eng", "huis", definitions), books::dict::DictStatus::Ok);
    ASSERT_GE(definitions.size(), 1u);
    const TRun found = Folder.Run({"-d", dutch, "huis"});
    ASSERT_EQ(found.Status, 0) << found.Err;
    for (const books::dict::Definition &definition : definitions)
        EXPECT_NE(found.Out.find(definition.text.substr(0, definition.text.find('\n'))),
                  std::string::npos)
            << found.Out;

    // Every book: the server's books answer among them.
    const TRun all = Folder.Run({"--all", "huis"});
    ASSERT_EQ(all.Status, 0) << all.Err;
    EXPECT_NE(all.Out.find(definitions[0].text.substr(0, definitions[0].text.find('\n'))),
              std::string::npos)
        << all.Out;

    const TRun missing = Folder.Run({"-d", dutch, "huus"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("Het woord 'huus' kan niet worden gevonden."), std::string::npos);
    // MATCH lev: words one letter away.
    EXPECT_NE(missing.Out.find("Bedoelde u:\nheus\nhuis\n"), std::string::npos) << missing.Out;

    // A pattern: the headwords the server's regular expressions give, one a line.
    std::vector<books::dict::MatchEntry> hui;
    ASSERT_EQ(client.Match("freedict-nld-eng", "re", "^hui.$", hui), books::dict::DictStatus::Ok);
    std::string expected;
    for (const books::dict::MatchEntry &match : hui)
        expected += match.word + "\n";
    const TRun matched = Folder.Run({"-d", dutch, "hui?"});
    EXPECT_EQ(matched.Status, 0) << matched.Err;
    EXPECT_EQ(matched.Out, expected);
    EXPECT_EQ(Folder.Run({"-d", dutch, "*qqx"}).Status, 1);
    EXPECT_EQ(Folder.Run({"-d", dutch, "--exact", "hui?"}).Status, 1);

    const TRun prefix = Folder.Run({"-d", english, "--prefix", "alo"});
    ASSERT_EQ(prefix.Status, 0) << prefix.Err;
    EXPECT_NE(("\n" + prefix.Out).find("\nalone\n"), std::string::npos) << prefix.Out;
    for (std::size_t at = 0; at < prefix.Out.size(); at = prefix.Out.find('\n', at) + 1)
        EXPECT_EQ(prefix.Out.compare(at, 3, "alo"), 0) << prefix.Out;
}

TEST_F(ServerBooks, AServerThatFailsGivesTheDutchLine) {
    std::atomic<bool> broken{false};
    tk::test::FakeDictServer server(
        [&](tk::test::FakeConnection &c, const std::atomic<bool> &stopping) {
            tk::test::Greet(c);
            for (std::string line = c.ReadLine(); !line.empty(); line = c.ReadLine()) {
                if (line == "SHOW DB")
                    c.Send(
                        "110 1 databases present\r\nfd-nld-eng \"Proefserver\"\r\n.\r\n"
                        "250 ok\r\n");
                else if (broken)
                    c.Send("150 1 definitions retrieved\r\n\x01\x02garbage\r\n");
                else
                    c.Send("552 no match\r\n");
            }
            c.WaitForClose(stopping);
        });
    const TRun added =
        Folder.Lexqc({"add", "dict://127.0.0.1:" + std::to_string(server.Port()) + "/fd-nld-eng"});
    ASSERT_EQ(added.Status, 0) << added.Err;
    broken = true;
    const TRun run = Folder.Run({"-d", AddedName(added.Out), "huis"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("De server 127.0.0.1 antwoordt niet."), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out.find("garbage"), std::string::npos);
    const TRun all = Folder.Run({"--all", "huis"});
    EXPECT_EQ(all.Status, 2);
    EXPECT_NE(all.Err.find("De server 127.0.0.1 antwoordt niet."), std::string::npos) << all.Err;
}

TEST_F(ServerBooks, AddressesAndDirectionsAreChecked) {
    EXPECT_EQ(Folder.Lexqc({"add", "dict://user:pw@127.0.0.1/wn"}).Status, 2);
    EXPECT_EQ(Folder.Lexqc({"add", "dict://127.0.0.1:1/wn"}).Status, 2);
    const TRun wrong = Folder.Lexqc({"add", "dict://127.0.0.1/wn", "--direction", "dutch"});
    EXPECT_EQ(wrong.Status, 2);
    EXPECT_NE(wrong.Err.find("--direction"), std::string::npos);
}

// The reply time is the user's setting (the viewer's "Wachttijd van servers"), and
// --timeout sets it for one run: a server that takes 1.2 seconds is too slow for one second
// and answers within eight.
TEST_F(ServerBooks, TheReplyTimeIsTheSettingOrTheOptions) {
    tk::test::FakeDictServer server(
        [&](tk::test::FakeConnection &c, const std::atomic<bool> &stopping) {
            tk::test::Greet(c);
            for (std::string line = c.ReadLine(); !line.empty(); line = c.ReadLine()) {
                if (line == "SHOW DB") {
                    c.Send(
                        "110 1 databases present\r\nfd-nld-eng \"Proefserver\"\r\n.\r\n"
                        "250 ok\r\n");
                    continue;
                }
                if (line == "QUIT")
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(1200));
                c.Send(
                    "150 1 definitions retrieved\r\n151 \"huis\" fd-nld-eng \"P\"\r\n"
                    "house\r\n.\r\n250 ok\r\n");
            }
            c.WaitForClose(stopping);
        });
    const TRun added =
        Folder.Lexqc({"add", "dict://127.0.0.1:" + std::to_string(server.Port()) + "/fd-nld-eng"});
    ASSERT_EQ(added.Status, 0) << added.Err;
    const std::string book = AddedName(added.Out);
    const books::UserShelf shelf = books::UserShelfAt(Folder.UserDataDir() + "/taalkist/eigen");
    books::SetServerReplyTimeout(shelf, 1);
    const TRun impatient = Folder.Run({"-d", book, "huis"});
    EXPECT_EQ(impatient.Status, 2);
    EXPECT_NE(impatient.Err.find("De server 127.0.0.1 antwoordt niet."), std::string::npos)
        << impatient.Err;
    const TRun patient = Folder.Run({"--timeout", "8", "-d", book, "huis"});
    EXPECT_EQ(patient.Status, 0) << patient.Err;
    EXPECT_EQ(patient.Out, "house\n");
    // The setting holds for every book at once too.
    EXPECT_EQ(Folder.Run({"--all", "huis"}).Status, 2);
    EXPECT_EQ(Folder.Run({"--all", "--timeout=8", "huis"}).Status, 0);
}

// A database whose name tells no direction is added without one; lexqc direction gives it
// one afterwards, and the book is then known by the name that starts with it.
TEST_F(ServerBooks, ADirectionIsGivenAfterTheAdd) {
    tk::test::FakeDictServer server(
        [&](tk::test::FakeConnection &c, const std::atomic<bool> &stopping) {
            tk::test::Greet(c);
            if (c.ReadLine() == "SHOW DB")
                c.Send("110 1 databases present\r\njargon \"Jargon File\"\r\n.\r\n250 ok\r\n");
            c.WaitForClose(stopping);
        });
    const TRun added = Folder.Lexqc({"add", "dict://127.0.0.1:" + std::to_string(server.Port())});
    ASSERT_EQ(added.Status, 0) << added.Err;
    EXPECT_EQ(AddedName(added.Out), "jargon");
    EXPECT_NE(added.Err.find("lexqc direction jargon nl-en"), std::string::npos) << added.Err;
    ASSERT_EQ(Folder.Lexqc({"move", "jargon", "1"}).Status, 0);  // the user's order names it
    const TRun given = Folder.Lexqc({"direction", "Jargon File", "en"});
    ASSERT_EQ(given.Status, 0) << given.Err;
    EXPECT_NE(given.Out.find("'en-jargon'"), std::string::npos) << given.Out;
    const TRun listed = Folder.Run({"--list"});
    EXPECT_NE(listed.Out.find("en-jargon"), std::string::npos) << listed.Out;
    // Still first, under its new name.
    const TRun shelf = Folder.Lexqc({"list"});
    EXPECT_NE(shelf.Out.find("1. en-jargon"), std::string::npos) << shelf.Out;
    EXPECT_EQ(Folder.Lexqc({"direction", "en-jargon", "engels"}).Status, 2);
    EXPECT_EQ(Folder.Lexqc({"direction", "jargon", "en"}).Status, 2);  // that name is gone
    EXPECT_EQ(Folder.Lexqc({"direction", "en-jargon"}).Status, 2);
}

}  // namespace
