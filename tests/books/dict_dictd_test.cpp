// The DICT client against Debian's dictd over FreeDict databases: every answer must
// equal, entry for entry, what Debian's own client `dict` gets from the same server.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "books/dict_client.h"
#include "dict_servers.h"

using namespace books::dict;

namespace {

constexpr const char *kDict = "/usr/bin/dict";
const std::vector<std::string> kDatabases = {"freedict-nld-eng", "freedict-eng-nld"};

std::string Output(const std::string &command) {
    std::string output;
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char chunk[4096];
    std::size_t n = 0;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, n);
    pclose(pipe);
    return output;
}

std::string ShellQuoted(const std::string &text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// dict -f: per definition a line "HOST\tPORT\tDB\tDESCRIPTION", then the text's lines, each
// after two spaces.
std::vector<Definition> DictDefinitions(std::uint16_t port, const std::string &db,
                                        const std::string &word) {
    const std::string output =
        Output(std::string(kDict) + " -f -h 127.0.0.1 -p " + std::to_string(port) + " -d " + db +
               " " + ShellQuoted(word) + " 2>/dev/null");
    std::vector<Definition> found;
    const std::string head = "127.0.0.1\t" + std::to_string(port) + "\t";
    for (const std::string &line : Lines(output)) {
        if (line.rfind(head, 0) == 0) {
            const std::string rest = line.substr(head.size());
            const std::size_t tab = rest.find('\t');
            found.push_back(Definition{word, rest.substr(0, tab), rest.substr(tab + 1), ""});
        } else if (!found.empty() && line.rfind("  ", 0) == 0) {
            found.back().text += line.substr(2) + "\n";
        }
    }
    return found;
}

std::vector<std::string> DictMatches(std::uint16_t port, const std::string &db,
                                     const std::string &strategy, const std::string &word) {
    const std::string output =
        Output(std::string(kDict) + " -f -m -s " + strategy + " -h 127.0.0.1 -p " +
               std::to_string(port) + " -d " + db + " " + ShellQuoted(word) + " 2>/dev/null");
    std::vector<std::string> words;
    for (const std::string &line : Lines(output))
        if (!line.empty())
            words.push_back(line.substr(line.rfind('\t') + 1));
    return words;
}

// Headwords spread over the database's index, and a few that are not in it.
std::vector<std::string> SampleWords(const std::string &db) {
    std::ifstream index(std::string(tk::test::kDictdData) + "/" + db + ".index");
    std::vector<std::string> words;
    int n = 0;
    for (std::string line; std::getline(index, line); ++n) {
        const std::string word = line.substr(0, line.find('\t'));
        if (n % 997 == 5 && word.rfind("00", 0) != 0)
            words.push_back(word);
    }
    for (const char *miss : {"qqxyzzy", "huis", "go", "hoi ", "'t"})
        words.emplace_back(miss);
    return words;
}

class DictdTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (access(kDict, X_OK) != 0)
            GTEST_SKIP() << kDict << " is not installed (Debian package dict)";
        dictd_ = std::make_unique<tk::test::LocalDictd>(kDatabases);
        if (!dictd_->Running())
            GTEST_SKIP() << dictd_->Why();
    }
    std::unique_ptr<tk::test::LocalDictd> dictd_;
};

TEST_F(DictdTest, DefinitionsEqualThoseOfTheDictClient) {
    DictClient client("127.0.0.1", dictd_->Port());
    std::size_t compared = 0;
    for (const std::string &db : kDatabases) {
        for (const std::string &word : SampleWords(db)) {
            SCOPED_TRACE(db + " " + word);
            std::vector<Definition> ours;
            const DictStatus status = client.Define(db, word, ours);
            ASSERT_TRUE(status == DictStatus::Ok || status == DictStatus::NoMatch)
                << StatusLine(status, "dictd");
            const std::vector<Definition> theirs = DictDefinitions(dictd_->Port(), db, word);
            ASSERT_EQ(ours.size(), theirs.size());
            for (std::size_t i = 0; i < ours.size(); ++i) {
                EXPECT_EQ(ours[i].database, theirs[i].database);
                EXPECT_EQ(ours[i].description, theirs[i].description);
                EXPECT_EQ(ours[i].text, theirs[i].text);
            }
            compared += ours.size();
        }
    }
    EXPECT_GT(compared, 20u);
}

TEST_F(DictdTest, MatchesEqualThoseOfTheDictClient) {
    DictClient client("127.0.0.1", dictd_->Port());
    EXPECT_TRUE(client.HasStrategy("prefix"));
    EXPECT_TRUE(client.HasStrategy("lev"));
    EXPECT_FALSE(client.HasStrategy("nonesuch"));
    for (const char *strategy : {"prefix", "lev"}) {
        for (const char *word : {"huis", "ka", "appel", "qqxyzzy", "g"}) {
            SCOPED_TRACE(std::string(strategy) + " " + word);
            std::vector<MatchEntry> ours;
            const DictStatus status = client.Match("freedict-nld-eng", strategy, word, ours);
            ASSERT_TRUE(status == DictStatus::Ok || status == DictStatus::NoMatch);
            std::vector<std::string> words;
            for (const MatchEntry &match : ours)
                words.push_back(match.word);
            EXPECT_EQ(words, DictMatches(dictd_->Port(), "freedict-nld-eng", strategy, word));
        }
    }
}

TEST_F(DictdTest, DatabasesAndTheirFaults) {
    DictClient client("127.0.0.1", dictd_->Port());
    std::vector<NamedEntry> databases;
    ASSERT_EQ(client.ShowDatabases(databases), DictStatus::Ok);
    ASSERT_EQ(databases.size(), kDatabases.size());
    const std::vector<std::string> listed = Lines(
        Output(std::string(kDict) + " -f -D -h 127.0.0.1 -p " + std::to_string(dictd_->Port())));
    ASSERT_EQ(listed.size(), databases.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_EQ(listed[i], "127.0.0.1\t" + std::to_string(dictd_->Port()) + "\t" +
                                 databases[i].name + "\t" + databases[i].description);
    std::vector<Definition> definitions;
    EXPECT_EQ(client.Define("nonesuch", "huis", definitions), DictStatus::NoDatabase);
    std::vector<MatchEntry> matches;
    EXPECT_EQ(client.Match("freedict-nld-eng", "nonesuch", "huis", matches),
              DictStatus::NoStrategy);
    // Still the same connection, still answering.
    EXPECT_EQ(client.Define("freedict-nld-eng", "huis", definitions), DictStatus::Ok);
}

}  // namespace
