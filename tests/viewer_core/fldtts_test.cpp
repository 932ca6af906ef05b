// The real speech engine, loaded as the viewer loads it: it must answer every call, speak
// without blocking, and neither hang nor crash when the machine has no sound device.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace {

using TInt = std::int32_t (*)(std::int32_t);
using TVoid = std::int32_t (*)();
using TWrite = std::int32_t (*)(std::int32_t, const char *);

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        library = ::dlopen(FLDTTS_FILE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << ::dlerror();
        Init = reinterpret_cast<TInt>(::dlsym(library, "FLD_Init"));
        SetTempo = reinterpret_cast<TInt>(::dlsym(library, "FLD_SetTempo"));
        Stop = reinterpret_cast<TVoid>(::dlsym(library, "FLD_Stop"));
        Write = reinterpret_cast<TWrite>(::dlsym(library, "FLD_Write"));
        Play = reinterpret_cast<TInt>(::dlsym(library, "FLD_Play"));
        Close = reinterpret_cast<TVoid>(::dlsym(library, "FLD_Close"));
        ASSERT_TRUE(Init && SetTempo && Stop && Write && Play && Close);
    }
    void TearDown() override {
        if (library != nullptr)
            ::dlclose(library);
    }

    void *library = nullptr;
    TInt Init = nullptr, SetTempo = nullptr, Play = nullptr;
    TVoid Stop = nullptr, Close = nullptr;
    TWrite Write = nullptr;
};

TEST_F(EngineTest, RefusesCallsBeforeInitAndBadArguments) {
    EXPECT_EQ(Stop(), 1);
    EXPECT_EQ(Write(1, "huis"), 1);
    EXPECT_EQ(Play(0), 1);
    EXPECT_EQ(Close(), 1);
    EXPECT_EQ(Init(7), 3);
}

TEST_F(EngineTest, SpeaksCutsOffAndClosesWithoutHanging) {
    ASSERT_EQ(Init(0), 0);
    EXPECT_EQ(Init(0), 0);  // a second start is harmless
    EXPECT_EQ(SetTempo(4), 0);
    EXPECT_EQ(SetTempo(11), 3);
    EXPECT_EQ(Write(1, nullptr), 3);
    EXPECT_EQ(Write(1, "het huis.caf\xE9"), 0);
    EXPECT_EQ(Write(0, " en de tuin"), 0);
    // Returns at once: the utterance goes on in the background, and Stop cuts it off.
    EXPECT_EQ(Play(0), 0);
    EXPECT_EQ(Stop(), 0);
    EXPECT_EQ(Write(1, "nog een keer"), 0);
    EXPECT_EQ(Play(0), 0);
    EXPECT_EQ(Close(), 0);
    EXPECT_EQ(Stop(), 1);
}

// Loaded at start-up and closed without a word spoken: nothing of the synthesiser runs.
TEST_F(EngineTest, LoadsAndClosesWithoutEverSpeaking) {
    ASSERT_EQ(Init(0), 0);
    EXPECT_EQ(SetTempo(4), 0);
    EXPECT_EQ(Stop(), 0);
    EXPECT_EQ(Close(), 0);
    ASSERT_EQ(Init(0), 0);  // and starts again afterwards
    EXPECT_EQ(Write(1, "fiets"), 0);
    EXPECT_EQ(Play(0), 0);
    EXPECT_EQ(Close(), 0);
}

// A book in another language chooses its voice: the synthesiser's own voices are taken,
// a name it lacks is refused once it runs and leaves the voice that speaks.
TEST_F(EngineTest, SpeaksWithTheVoiceABookChooses) {
    using TVoice = std::int32_t (*)(const char *);
    const auto SetVoice = reinterpret_cast<TVoice>(::dlsym(library, "FLD_SetVoice"));
    ASSERT_NE(SetVoice, nullptr);
    EXPECT_EQ(SetVoice("de"), 1);
    ASSERT_EQ(Init(0), 0);
    EXPECT_EQ(SetVoice(nullptr), 3);
    EXPECT_EQ(SetVoice(""), 3);
    EXPECT_EQ(SetVoice("de"), 0);  // before the first utterance: checked when it starts
    EXPECT_EQ(Write(1, "das Haus"), 0);
    EXPECT_EQ(Play(0), 0);
    EXPECT_EQ(SetVoice("fr"), 0);
    EXPECT_EQ(SetVoice("en"), 0);
    EXPECT_EQ(SetVoice("geen-taal"), 2);
    EXPECT_EQ(Write(1, "house"), 0);
    EXPECT_EQ(Play(0), 0);
    EXPECT_EQ(Close(), 0);
    // An unknown voice chosen before the start leaves the Dutch one, and speech works.
    ASSERT_EQ(Init(0), 0);
    EXPECT_EQ(SetVoice("geen-taal"), 0);
    EXPECT_EQ(Write(1, "fiets"), 0);
    EXPECT_EQ(Play(0), 0);
    EXPECT_EQ(SetVoice("geen-taal"), 2);
    EXPECT_EQ(Close(), 0);
}

}  // namespace
