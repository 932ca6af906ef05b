// Formats we do not read ourselves go through pyglossary: a dictionary its own writer made
// is added and answers its words; a missing converter, a file it cannot read and a
// cancelled conversion are refused in Dutch and change nothing.
#include "books/converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "books/diagnostics.h"
#include "books/dictd_import.h"
#include "books/dsl.h"
#include "books/encoding.h"
#include "books/exact_words.h"
#include "books/reader.h"
#include "books/search_library.h"
#include "books/user_books.h"
#include "dict_files.h"
#include "platform/process_posix.h"
#include "tempdir.h"

namespace books {
namespace {

class Converter : public testing::Test {
  protected:
    Converter() : shelf_(UserShelfAt(dir_.File("eigen"))) {}

    // The message of a refused add, after checking that no book was listed.
    std::string Refused(const AddRequest &request, Progress *progress = nullptr) {
        const std::size_t before = ReadCatalogue(shelf_.catalogue).size();
        std::string message;
        try {
            AddUserBook(shelf_, request, progress);
            ADD_FAILURE() << "accepted " << request.files[0];
        } catch (const InputError &e) {
            message = e.what();
        }
        EXPECT_EQ(ReadCatalogue(shelf_.catalogue).size(), before) << message;
        return message;
    }

    tk::test::TempDir dir_;
    UserShelf shelf_;
};

TEST_F(Converter, AMissingConverterIsNamedWithItsPackage) {
    const std::string mdx = dir_.File("boek.mdx");
    test::WriteBytes(mdx, "not really");
    AddRequest request{{mdx}, "", ""};
    request.converter = dir_.File("geen-pyglossary");
    EXPECT_EQ(Refused(request), kConverterMissing);
    EXPECT_TRUE(ConverterFormat("a.XDXF"));
    EXPECT_FALSE(ConverterFormat("a.dsl"));
}

TEST_F(Converter, ItsOwnWritersFilesAreAddedAndItsFailuresShown) {
    const std::string converter = FindConverter("");
    if (converter.empty())
        GTEST_SKIP() << "pyglossary missing (Debian package python3-pyglossary)";
    const std::string tab = dir_.File("woorden.txt");
    test::WriteBytes(tab, "huis\thouse, home\nfiets\tbicycle\nZürich\ta city\n");
    const std::string csv = dir_.File("woorden.csv");
    ASSERT_EQ(platform::posix::RunAndWait({converter, tab, csv, "--read-format=Tabfile",
                                           "--write-format=Csv", "--no-progress-bar"}),
              0);
    std::vector<double> shares;
    Progress progress([&shares](double done) {
        shares.push_back(done);
        return true;
    });
    const AddResult added = AddUserBook(shelf_, AddRequest{{csv}, "", ""}, &progress);
    EXPECT_EQ(added.format, "pyglossary");
    EXPECT_EQ(added.name, "woorden");
    EXPECT_EQ(added.records, 3u);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.back(), 1.0);
#ifdef LEXQC_TEST_LEXQAPI
    const std::unique_ptr<SearchLibrary> library = SearchLibrary::Load(LEXQC_TEST_LEXQAPI);
    ASSERT_EQ(library->Open(shelf_.dataDir + "/woorden.idx"), 0);
    for (const auto &[word, text] : {std::pair{"huis", "house, home"}, {"zurich", "a city"}}) {
        const SearchLibrary::Result result = library->Search(word);
        ASSERT_EQ(result.status, 0) << word;
        EXPECT_NE(result.table.find(text), std::string::npos) << result.table;
    }
#endif
    // A file it cannot read: its own complaint in the details.
    const std::string bad = dir_.File("kapot.slob");
    test::WriteBytes(bad, "no slob at all");
    const std::string message = Refused(AddRequest{{bad}, "", ""});
    EXPECT_EQ(message.rfind("pyglossary kon '" + bad + "' niet omzetten.\n\nDetails:\n", 0), 0u)
        << message;
    // Cancelled while it converts: nothing is listed.
    const std::string again = dir_.File("weer.csv");
    std::filesystem::copy_file(csv, again);
    Progress stop([](double) { return false; });
    EXPECT_THROW(AddUserBook(shelf_, AddRequest{{again}, "", ""}, &stop), Cancelled);
    EXPECT_EQ(ReadCatalogue(shelf_.catalogue).size(), 1u);
}

// A book's entries as compiled: headword and the plain text of its first sense (up to the
// first relation, marked with a bullet), tags and links taken out, entities decoded and
// blanks collapsed, so that two makers' markup of the same card compare.
std::vector<std::pair<std::string, std::string>> FirstSenses(const std::string &idx) {
    const DictionaryReader reader(DictionaryReader::ReadFile(idx), Cipher());
    const bool utf8 = reader.Header().kind == TextKind::Utf8;
    auto plain = [&](const std::string &html) {
        std::string text;
        bool inTag = false;
        for (const char c : html) {
            if (c == '<')
                inTag = true;
            else if (c == '>' && inTag)
                inTag = false;
            else if (!inTag)
                text += c;
        }
        if (!utf8)
            text = Cp1252ToUtf8(text);
        // Entities, named and numbered (pyglossary writes "&#x27;"), as UTF-8.
        std::string decoded;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::size_t end = text[i] == '&' ? text.find(';', i) : std::string::npos;
            if (end == std::string::npos || end - i > 10) {
                decoded += text[i];
                continue;
            }
            const std::string name = text.substr(i + 1, end - i - 1);
            static const std::map<std::string, std::string> named = {{"lt", "<"},    {"gt", ">"},
                                                                     {"quot", "\""}, {"apos", "'"},
                                                                     {"amp", "&"},   {"nbsp", " "}};
            if (named.count(name) != 0) {
                decoded += named.at(name);
            } else if (name.size() > 1 && name[0] == '#') {
                const bool hex = name[1] == 'x' || name[1] == 'X';
                const char32_t code = static_cast<char32_t>(
                    std::stoul(name.substr(hex ? 2 : 1), nullptr, hex ? 16 : 10));
                AppendUtf8(decoded, code);
            } else {
                decoded += text.substr(i, end - i + 1);
            }
            i = end;
        }
        text = decoded;
        for (const char *mark : {"<<", ">>"})
            for (std::size_t at = 0; (at = text.find(mark, at)) != std::string::npos;)
                text.erase(at, 2);
        text = text.substr(0, text.find("\xE2\x80\xA2"));  // the first bullet
        std::string collapsed;
        for (const char c : text) {
            const bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\r';
            if (blank && (collapsed.empty() || collapsed.back() == ' '))
                continue;
            collapsed += blank ? ' ' : c;
        }
        while (!collapsed.empty() && collapsed.back() == ' ')
            collapsed.pop_back();
        return collapsed;
    };
    auto headword = [&](const std::string &s1) { return utf8 ? s1 : Cp1252ToUtf8(s1); };
    std::vector<std::pair<std::string, std::string>> senses;
    std::set<std::pair<std::uint32_t, std::uint16_t>> seen;
    for (const LeafRecord &record : reader.AllRecords()) {
        for (const StoredHit &hit : record.hits) {
            if (!seen.emplace(hit.block, hit.offset).second)
                continue;
            const Triple entry = reader.ReadHit(hit);
            senses.emplace_back(headword(entry.s1), plain(entry.s3));
        }
    }
    for (const ExactWord &word : ReadExactWords(idx))
        senses.emplace_back(headword(word.entry.s1), plain(word.entry.s3));
    std::sort(senses.begin(), senses.end());
    return senses;
}

// The real DSL book read by us and, converted to StarDict, by pyglossary's reader: the two
// books agree entry for entry. A deterministic slice of it, every 25th card from A to Z: the
// whole book takes minutes under the sanitizers (the import benchmark adds all of it).
TEST_F(Converter, TheRealDslBookReadsTheSameNativeAndConverted) {
    const std::string real = "/usr/share/goldendict-wordnet/goldendict-wordnet.dsl.dz";
    const std::string converter = FindConverter("");
    if (!std::filesystem::exists(real) || converter.empty())
        GTEST_SKIP() << "needs goldendict-wordnet and python3-pyglossary";
    const std::string text = DecodeDslText(ReadGzipFile(real));
    std::string slice;
    std::size_t cards = 0, kept = 0;
    bool keep = true, inBody = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t eol = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, eol - start);
        start = eol + 1;
        const bool headwordLine =
            !line.empty() && line[0] != '\t' && line[0] != ' ' && line[0] != '#' && line != "\r";
        if (headwordLine && (inBody || cards == 0)) {
            keep = cards++ % 25 == 0;
            kept += keep;
        }
        if (!line.empty() && line[0] != '#')
            inBody = !headwordLine;
        if (keep || (!line.empty() && line[0] == '#'))
            slice += line + "\n";
    }
    ASSERT_GT(kept, 5000u);
    const std::string dsl = dir_.File("wn.dsl");
    test::WriteBytes(dsl, slice);
    const AddResult native = AddUserBook(shelf_, AddRequest{{dsl}, "Eigen lezing", ""});
    ASSERT_EQ(native.format, "DSL");

    // pyglossary's own DSL reader, to StarDict, read by ours as any StarDict book.
    PrivateFolder folder;
    Progress none(nullptr);
    const std::string ifo = ConvertToStardict(dsl, folder.Path(), converter, none);
    const AddResult converted = AddUserBook(shelf_, AddRequest{{ifo}, "Omgezet", ""});
    ASSERT_EQ(converted.format, "StarDict");
    EXPECT_EQ(native.records, converted.records);

    const auto ours = FirstSenses(shelf_.dataDir + "/" + native.name + ".idx");
    const auto theirs = FirstSenses(shelf_.dataDir + "/" + converted.name + ".idx");
    EXPECT_EQ(ours.size(), kept);
    ASSERT_EQ(ours.size(), theirs.size());
    std::size_t differ = 0;
    for (auto a = ours.begin(), b = theirs.begin(); a != ours.end(); ++a, ++b) {
        if (a->first != b->first || a->second != b->second) {
            if (++differ <= 10)
                ADD_FAILURE() << a->first << ": " << a->second << "\n"
                              << b->first << ": " << b->second;
        }
    }
    EXPECT_EQ(differ, 0u);
}

}  // namespace
}  // namespace books
