// Formats we do not read ourselves go through pyglossary: a dictionary its own writer made
// is added and answers its words; a missing converter, a file it cannot read and a
// cancelled conversion are refused in Dutch and change nothing.
#include "books/converter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "books/diagnostics.h"
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

}  // namespace
}  // namespace books
