#include "viewer/core/lexqapi.h"

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "platform/dynlib.h"
#include "viewer/core/LXA_Exceptions.h"

namespace {

void ExpectUnbound() {
    EXPECT_EQ(lexqapi::lexq_init, nullptr);
    EXPECT_EQ(lexqapi::lexq_search, nullptr);
    EXPECT_EQ(lexqapi::lexq_free_searchresult, nullptr);
    EXPECT_EQ(lexqapi::lexq_deinit, nullptr);
}

TEST(SearchLibraryBinding, AMissingLibraryRaisesTheLoadError) {
    coretest::ProgramFolder folder;
    // By name the system finds a library this process already holds (the real one, which
    // an earlier test of the same run loaded and which stays resident): nothing is missing.
    if (platform::LibHandle resident = platform::LoadLibraryByName("lexqapi.dll")) {
        platform::FreeLibraryHandle(resident);
        GTEST_SKIP() << "a search library is already loaded in this process";
    }
    try {
        lexqapi::LoadSearchLibrary();
        FAIL() << "no exception";
    } catch (const EGeneral &e) {
        const std::string lead = "Error loading 'lexqapi.dll': ";
        const std::string message = e.what();
        EXPECT_EQ(message.substr(0, lead.size()), lead);
        EXPECT_GT(message.size(), lead.size());
    }
    ExpectUnbound();
}

TEST(SearchLibraryBinding, BindsTheFourExportsFromTheProgramFolderAndUnbindsThem) {
    coretest::ProgramFolder folder;
    folder.InstallFakeSearchLibrary();
    platform::LibHandle handle = lexqapi::LoadSearchLibrary();
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(lexqapi::lexq_deinit, nullptr);
    EXPECT_NE(lexqapi::lexq_search, nullptr);
    EXPECT_NE(lexqapi::lexq_free_searchresult, nullptr);
    // Nothing is open yet.
    EXPECT_EQ(lexqapi::lexq_deinit(), lexqapi::LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(lexqapi::lexq_init((folder.Root + "/none.idx").c_str()),
              lexqapi::LEXQ_ERR_FILENOTFOUND);
    lexqapi::UnloadSearchLibrary(handle);
    EXPECT_EQ(handle, nullptr);
    ExpectUnbound();
    EXPECT_EQ(coretest::ProgramFolder::Lines(folder.SearchLog()),
              (std::vector<std::string>{"deinit", "init " + folder.Root + "/none.idx"}));
}

TEST(SearchLibraryBinding, ALibraryWithoutTheExportsIsRefused) {
    coretest::ProgramFolder folder;
    folder.Copy(FAKE_FLDTTS_FILE, "lexqapi.so");
    EXPECT_THROW(lexqapi::LoadSearchLibrary(), EGeneral);
    ExpectUnbound();
}

TEST(SearchLibraryBinding, NamesTheStatusCodes) {
    EXPECT_STREQ(lexqapi::LEXQ_ERR_NAMES[0], "LEXQ_ERR_NODECRYPTDLL");
    EXPECT_STREQ(lexqapi::LEXQ_ERR_NAMES[7], "LEXQ_ERR_NONE");
    EXPECT_STREQ(lexqapi::StatusName(lexqapi::LEXQ_ERR_WORDNOTFOUND), "LEXQ_ERR_WORDNOTFOUND");
    EXPECT_EQ(lexqapi::StatusName(1), nullptr);
    EXPECT_EQ(lexqapi::StatusName(-8), nullptr);
}

}  // namespace
