// Real dictionaries from Debian's packages (dict-gcide, stardict-xmlittre, dict-foldoc,
// dict-wn): the cases where their makers' files showed faults. A case is skipped, saying
// which package is missing, when its files are not installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "books/builder.h"
#include "books/dictd_import.h"
#include "books/freedict_entry.h"
#include "books/reader.h"
#include "books/source.h"
#include "books/stardict.h"
#include "dict_files.h"
#include "test_support.h"

namespace books {
namespace {

constexpr const char *kDictd = "/usr/share/dictd/";
constexpr const char *kStardict = "/usr/share/stardict/dic/";

bool Installed(const std::string &path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

#define REQUIRE_FILE(path, package) \
    if (!Installed(path))           \
    GTEST_SKIP() << (package) << " is not installed (" << (path) << " is missing)"

// The lines of a dictd index whose headword is one of words.
std::string IndexLinesOf(const std::string &index, const std::set<std::string> &words) {
    std::istringstream lines(index);
    std::string kept, line;
    while (std::getline(lines, line))
        if (words.count(line.substr(0, line.find('\t'))) != 0)
            kept += line + "\n";
    return kept;
}

BuildResult Compile(const std::string &source) {
    return BuildDictionary(test::Collect(source), BuildOptions{}, nullptr);
}

// gcide lists 'zine and zine, case and Case, and Hibiscus trionum twice, at one text each.
TEST(RealBooks, GcideShowsEachTextOfAKeyOnce) {
    const std::string index = std::string(kDictd) + "gcide.index";
    REQUIRE_FILE(index, "dict-gcide");
    const std::string lines =
        IndexLinesOf(ReadGzipFile(index), {"'zine", "zine", "case", "Case", "Hibiscus trionum"});
    Diagnostics diag;
    const std::string source =
        ImportDictd(lines, ReadGzipFile(std::string(kDictd) + "gcide.dict.dz"), "", diag);
    const BuildResult built = Compile(source);
    const DictionaryReader reader(built.file, nullptr);
    for (const char *key : {"ZINE", "CASE", "HIBISCUSTRIONUM"}) {
        SCOPED_TRACE(key);
        const auto hits = reader.Lookup(key);
        ASSERT_TRUE(hits.has_value());
        std::set<std::string> bodies;
        for (const Triple &hit : *hits)
            EXPECT_TRUE(bodies.insert(hit.s3).second) << hit.s1 << " is shown twice";
    }
    EXPECT_EQ(reader.Lookup("ZINE")->size(), 1u);
    EXPECT_EQ(reader.Lookup("CASE")->size(), 4u);
}

// The Littré lists RAPIÉCER and RAPIECER at one text: one record, shown under the accented
// spelling and found under both.
TEST(RealBooks, LittreStoresAnAccentedAndABareSpellingOnce) {
    const std::string stem = std::string(kStardict) + "XMLittre";
    REQUIRE_FILE(stem + ".ifo", "stardict-xmlittre");
    const StardictInfo info = ParseStardictInfo(test::ReadAll(stem + ".ifo"), stem + ".ifo");
    const std::string dict = ReadGzipFile(stem + ".dict.dz");
    const std::vector<StardictWord> words =
        ParseStardictIndex(test::ReadAll(stem + ".idx"), info, dict.size(), stem + ".idx");
    test::Entries slice;
    for (const StardictWord &word : words)
        if (word.word == "RAPIÉCER" || word.word == "RAPIECER" || word.word == "RAPIECETAGE")
            slice.emplace_back(word.word, dict.substr(word.offset, word.size));
    ASSERT_EQ(slice.size(), 3u);
    const test::TempDir dir;
    test::StardictOptions options;
    options.sameTypeSequence = info.sameTypeSequence;
    options.shareSameTexts = true;
    const std::string ifo = test::WriteStardict(dir.Path(), "l", slice, options);
    Diagnostics diag;
    DictdImportCounts counts;
    StardictInfo sliceInfo;
    const std::string source = ImportStardict({ifo, dir.File("l.idx"), dir.File("l.dict.dz"), ""},
                                              "", diag, counts, sliceInfo);
    const BuildResult built = Compile(source);
    const DictionaryReader reader(built.file, nullptr);
    const auto hits = reader.Lookup("RAPIECER");
    ASSERT_TRUE(hits.has_value());
    ASSERT_EQ(hits->size(), 1u);
    EXPECT_EQ((*hits)[0].s1,
              "RAPI\xC9"
              "CER");
}

}  // namespace
}  // namespace books
