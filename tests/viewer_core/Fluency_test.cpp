#include "viewer/core/Fluency.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "CoreTestSupport.h"
#include "platform/registry.h"
#include "viewer/core/LXA_Exceptions.h"

namespace {

using Lines = std::vector<std::string>;

class FluencyTest : public ::testing::Test {
  protected:
    // The folder is a path: UTF-8 in the settings file, in any script.
    void RegisterPath(const std::string &folderName) const {
        platform::RegKey key;
        ASSERT_EQ(platform::RegCreateKey(platform::RegRoot::LocalMachine, kFluencyRegistryKey, key,
                                         platform::RegText::Utf8),
                  platform::kRegOk);
        ASSERT_EQ(platform::RegSetString(key, kFluencyPathValue, folderName), platform::kRegOk);
    }
    Lines EngineCalls() const { return coretest::ProgramFolder::Lines(folder.EngineLog()); }

    coretest::ProgramFolder folder;
};

TEST_F(FluencyTest, LoadsBesideTheProgramInitialisesAndUnloadsInOrder) {
    folder.InstallFakeEngine();
    platform::LibHandle handle = LoadFluency();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(FluencyWrite(1, "h\xE9"), 0);
    UnloadFluency(handle);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(EngineCalls(), (Lines{"FLD_Init 0", "FLD_SetTempo 4", "FLD_Write 1 h\xE9", "FLD_Stop",
                                    "FLD_Close"}));
    // Unloaded, every wrapper answers 1 without calling anything.
    EXPECT_EQ(FluencyStop(), 1);
    EXPECT_EQ(FluencyPlay(0), 1);
    EXPECT_EQ(EngineCalls().size(), 5u);
}

TEST_F(FluencyTest, TheRegisteredFolderComesFirstThenTheProgramFolder) {
    const std::string engineFolder =
        folder.Root + "/spraak-\xD0\xB3\xD0\xBE\xD0\xBB\xD0\xBE\xD1\x81";
    std::filesystem::create_directory(engineFolder);
    folder.InstallFakeEngine(true);
    RegisterPath(engineFolder);
    platform::LibHandle handle = LoadFluency();  // empty folder: the one beside the program
    UnloadFluency(handle);
    EXPECT_EQ(EngineCalls().back(), "FLD_Close");

    std::filesystem::copy_file(FAKE_FLDTTS_NOCLOSE_FILE, engineFolder + "/fldtts.so");
    handle = LoadFluency();
    std::filesystem::remove(folder.EngineLog());
    UnloadFluency(handle);
    // Only the registered one lacks FLD_Close.
    EXPECT_EQ(EngineCalls(), (Lines{"FLD_Stop"}));
}

TEST_F(FluencyTest, NoEngineAnywhereRaisesTheLoadError) {
    try {
        LoadFluency();
        FAIL() << "no exception";
    } catch (const EGeneral &e) {
        const std::string lead = "Error loading 'fldtts.dll': ";
        EXPECT_EQ(std::string(e.what()).substr(0, lead.size()), lead);
        EXPECT_GT(std::string(e.what()).size(), lead.size());
    }
}

TEST_F(FluencyTest, APathValueThatIsNoTextCannotInitialise) {
    folder.InstallFakeEngine();
    platform::RegKey key;
    ASSERT_EQ(platform::RegCreateKey(platform::RegRoot::LocalMachine, kFluencyRegistryKey, key),
              platform::kRegOk);
    ASSERT_EQ(platform::RegSetDword(key, kFluencyPathValue, 1), platform::kRegOk);
    try {
        LoadFluency();
        FAIL() << "no exception";
    } catch (const EGeneral &e) {
        EXPECT_STREQ(e.what(), "Kan Fluency API niet initialiseren!");
    }
    EXPECT_TRUE(EngineCalls().empty());
}

}  // namespace
