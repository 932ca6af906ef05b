#include "viewer/core/LXA_Data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "CoreTestSupport.h"
#include "platform/paths.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"

namespace {

using platform::RegRoot;
using Lines = std::vector<std::string>;

const char *const kRegKey = "Software\\Morvelt\\Taalkist";
// Dialog texts are UTF-8, whatever script the names they quote are in.
const std::string kInstalled = "ge\xC3\xAFnstalleerd";

// nl and en are installed, fr only listed (no ".idx"), xx neither listed nor installed.
class DataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.InstallFakeSearchLibrary();
        folder.Write("data/dict.cfg", std::string("[application]\nregkey=") + kRegKey +
                                          "\n[dictionaries]\nnl=1;Nederlands\nen=1;Engels\n"
                                          "fr=1;Frans\nxx=0;Niets\n");
        folder.AddBook("nl", "[dictionary]\n");
        folder.AddBook("en", "[dictionary]\n[compldictionary]\ndictionary=nl\n");
        folder.AddBook("fr", "[dictionary]\n", false);
    }
    void Setting(RegRoot root, const std::string &name, const std::string &value) const {
        WriteSetting(root, std::nullopt, kRegKey, name, value);
    }
    void Arguments(std::vector<std::string> arguments) const {
        platform::SetCommandLine(std::move(arguments));
    }
    std::string Current() const { return data.CurrentBook ? data.CurrentBook->Name : "(none)"; }
    std::string Idx(const std::string &name) const { return folder.Data + "/" + name + ".idx"; }
    Lines SearchCalls() const { return coretest::ProgramFolder::Lines(folder.SearchLog()); }
    Lines EngineCalls() const { return coretest::ProgramFolder::Lines(folder.EngineLog()); }
    void ClearLogs() const {
        std::filesystem::remove(folder.SearchLog());
        std::filesystem::remove(folder.EngineLog());
    }

    coretest::ProgramFolder folder;
    coretest::DialogRecorder dialogs;
    TLXAData data;
};

TEST_F(DataTest, ComputesTheFoldersFromTheProgramPath) {
    const TRPaths paths = ComputePaths("/srv/Tk/tkviewer");
    EXPECT_EQ(paths.AppDir, "/srv/Tk");
    EXPECT_EQ(paths.DataDir, "/srv/Tk/data");
    EXPECT_EQ(paths.ImgsDir, "/srv/Tk/imgs");
    EXPECT_EQ(paths.RegKey, "");
    EXPECT_EQ(ChangeFileExt("/srv/Tk.d/tkviewer", ".hlp"), "/srv/Tk.d/tkviewer.hlp");

    ASSERT_TRUE(data.Initialise());
    EXPECT_EQ(data.Title, "Morvelt taalkist");
    EXPECT_EQ(data.HelpFile, folder.Dir + "/tkviewer.hlp");
    EXPECT_EQ(data.Paths.DataDir, folder.Data);
    EXPECT_EQ(data.Paths.RegKey, kRegKey);
}

TEST_F(DataTest, WithoutTheSearchLibraryStartUpRaisesTheLoadError) {
    std::filesystem::remove(folder.Dir + "/lexqapi.so");
    try {
        data.Initialise();
        FAIL() << "no exception";
    } catch (const EGeneral &e) {
        EXPECT_EQ(std::string(e.what()).rfind("Error loading 'lexqapi.dll': ", 0), 0u);
    }
    EXPECT_EQ(data.Books, nullptr);
}

TEST_F(DataTest, StartsWithTheMruBookAndRecordsEverySwitchForTheUser) {
    Setting(RegRoot::LocalMachine, "MRU", "EN");
    data.Initialise();
    EXPECT_EQ(Current(), "en");
    EXPECT_TRUE(dialogs.Shown.empty());
    EXPECT_EQ(SearchCalls(), (Lines{"deinit", "init " + Idx("en")}));
    EXPECT_EQ(ReadSetting(RegRoot::CurrentUser, std::nullopt, kRegKey, "MRU", ""), "en");
    data.SelectBook(data.Books->FindBook("nl"));
    EXPECT_EQ(ReadSetting(RegRoot::CurrentUser, std::nullopt, kRegKey, "MRU", ""), "nl");
    EXPECT_EQ(ReadSetting(RegRoot::LocalMachine, std::nullopt, kRegKey, "MRU", ""), "EN");
}

TEST_F(DataTest, AnUnusableMruFallsBackToTheFirstInstalledBookSilently) {
    for (const char *mru : {"", "onbekend", "fr", "xx"}) {
        SCOPED_TRACE(mru);
        if (*mru != '\0')
            Setting(RegRoot::CurrentUser, "MRU", mru);
        TLXAData fresh;
        fresh.Initialise();
        ASSERT_NE(fresh.CurrentBook, nullptr);
        EXPECT_EQ(fresh.CurrentBook->Name, "nl");
        EXPECT_TRUE(dialogs.Shown.empty());
    }
}

TEST_F(DataTest, TheCommandLineChoosesTheStartBook) {
    struct Case {
        std::vector<std::string> arguments;
        const char *selected;
        std::string message;
        std::int32_t number;
    };
    const Case cases[] = {
        {{"en", "nl"}, "en", "", 0},
        {{"fr", "en"}, "en", "", 0},
        {{"Xyz"},
         "nl",
         "Het door u opgegeven woordenboek 'Xyz' bestaat niet of is niet " + kInstalled + ".",
         3},
        {{"fr"}, "nl", "Het door u opgegeven woordenboek 'Frans' is niet " + kInstalled + ".", 4},
        {{"onbekend", "fr"},
         "nl",
         "Het door u opgegeven woordenboek 'Frans' is niet " + kInstalled + ".",
         4},
        // Argument 2 replaces a book that is not installed even when it names no book.
        {{"fr", "onbekend"},
         "nl",
         "Het door u opgegeven woordenboek 'fr' bestaat niet of is niet " + kInstalled + ".",
         3},
    };
    // The MRU is not consulted when there are arguments.
    Setting(RegRoot::CurrentUser, "MRU", "en");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        dialogs.Shown.clear();
        Arguments(c.arguments);
        TLXAData fresh;
        fresh.Initialise();
        ASSERT_NE(fresh.CurrentBook, nullptr);
        EXPECT_EQ(fresh.CurrentBook->Name, c.selected);
        EXPECT_EQ(ReadSetting(RegRoot::CurrentUser, std::nullopt, kRegKey, "MRU", ""), c.selected);
        if (c.message.empty()) {
            EXPECT_TRUE(dialogs.Shown.empty());
        } else {
            ASSERT_EQ(dialogs.Shown.size(), 1u);
            EXPECT_EQ(dialogs.Shown[0].Text, c.message);
            EXPECT_EQ(dialogs.Shown[0].Group, 1);
            EXPECT_EQ(dialogs.Shown[0].Number, c.number);
        }
        Setting(RegRoot::CurrentUser, "MRU", "en");
    }
}

TEST_F(DataTest, HelpdeskModeIsTheUsersSettingElseTheMachines) {
    Setting(RegRoot::LocalMachine, "HelpdeskMode", "1");
    data.Initialise();
    EXPECT_TRUE(data.HelpdeskMode);

    Setting(RegRoot::CurrentUser, "HelpdeskMode", "0");
    TLXAData overridden;
    overridden.Initialise();
    EXPECT_FALSE(overridden.HelpdeskMode);
}

TEST_F(DataTest, WithoutAnInstalledBookStartUpGoesOnWithoutOne) {
    std::filesystem::remove(Idx("nl"));
    std::filesystem::remove(Idx("en"));
    bool formsCreated = false;
    SetFormFactory([&](TLXAData &created) { formsCreated = &created == &data; });
    data.Initialise();
    SetFormFactory({});
    EXPECT_TRUE(formsCreated);
    EXPECT_EQ(data.CurrentBook, nullptr);
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Text, "Er is geen enkel woordenboek " + kInstalled + ".");
    EXPECT_EQ(dialogs.Shown[0].Number, 5);
    EXPECT_TRUE(SearchCalls().empty());
}

TEST_F(DataTest, SwitchingClosesBeforeOpeningAndTheCurrentBookIsLeftAlone) {
    data.Initialise();
    ClearLogs();
    data.SelectBook(data.Books->FindBook("en"));
    data.SelectBook(data.Books->FindBook("en"));
    EXPECT_EQ(SearchCalls(), (Lines{"deinit", "init " + Idx("en")}));
    data.Finalise();
    EXPECT_EQ(SearchCalls().back(), "deinit");
    EXPECT_EQ(lexqapi::lexq_search, nullptr);
}

TEST_F(DataTest, AMissingIndexIsReportedAndTheBookStaysCurrent) {
    data.Initialise();
    std::filesystem::remove(Idx("en"));
    data.SelectBook(data.Books->FindBook("en"));
    EXPECT_EQ(Current(), "en");
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Text, "Het woordenboekbestand '" + Idx("en") +
                                         "' kan niet worden gevonden. selecteer a.u.b. een "
                                         "ander woordenboek.");
    EXPECT_EQ(dialogs.Shown[0].Group, 5);
    EXPECT_EQ(dialogs.Shown[0].Number, 2);

    EXPECT_EQ(data.Search("huis"), 0);
    ASSERT_EQ(dialogs.Shown.size(), 2u);
    EXPECT_EQ(dialogs.Shown[1].Text,
              "Er is een functie aangeroepen zonder dat lexq_init eerst met succes is "
              "aangeroepen.");
}

TEST_F(DataTest, EveryOpenStatusHasItsDialog) {
    data.Initialise();
    const std::string unknown =
        "Tijdens het laden of doorzoeken van het woordenboek is een onbekende fout opgetreden.";
    struct Case {
        const char *status;
        std::string text;
        std::int32_t number;
    };
    const Case cases[] = {
        {"1", unknown, -1},
        {"-7", "Het toepassingsbestand 'crypt.dll' ontbreekt.", 7},
        {"-3",
         "Het woordenboekbestand '" + Idx("en") +
             "' is corrupt. Selecteer a.u.b. een ander woordenboek. Om de fout te herstellen kunt "
             "u het woordenboek 'Engels' opnieuw installeren.",
         3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        ::setenv("FAKE_LEXQ_INIT_STATUS", c.status, 1);
        dialogs.Shown.clear();
        data.SelectBook(data.Books->FindBook("en"));
        EXPECT_EQ(Current(), "en");
        ASSERT_EQ(dialogs.Shown.size(), 1u);
        EXPECT_EQ(dialogs.Shown[0].Text, c.text);
        EXPECT_EQ(dialogs.Shown[0].Group, 5);
        EXPECT_EQ(dialogs.Shown[0].Number, c.number);
        data.SelectBook(data.Books->FindBook("nl"));
    }
}

// Book names are file names and command-line words: UTF-8 in any script, compared without
// regard to case, and recorded as "MRU" in the user's settings file as they are.
TEST_F(DataTest, BookNamesBeyondAsciiFromTheCommandLineAndInTheSettings) {
    const std::string accent = "\xC3\xA9-nl";                 // é-nl
    const std::string cyrillic = "\xD0\xB4\xD0\xBE\xD0\xBC";  // дом
    folder.Write("data/dict.cfg", std::string("[application]\nregkey=") + kRegKey +
                                      "\n[dictionaries]\nnl=1;Nederlands\n" + accent +
                                      "=1;Frans\n" + cyrillic + "=1;\xD0\xA0\xD1\x83\xD1\x81\n");
    folder.AddBook(accent, "[dictionary]\n");
    folder.AddBook(cyrillic, "[dictionary]\n");
    const std::string userHive = folder.Root + "/registry/user.reg";
    struct Case {
        const char *typed;
        std::string selected;
    };
    for (const Case &c :
         {Case{"\xC3\x89-NL", accent}, Case{"\xD0\x94\xD0\x9E\xD0\x9C", cyrillic}}) {
        SCOPED_TRACE(c.typed);
        Arguments({c.typed});
        TLXAData fresh;
        fresh.Initialise();
        ASSERT_NE(fresh.CurrentBook, nullptr);
        EXPECT_EQ(fresh.CurrentBook->Name, c.selected);
        EXPECT_NE(coretest::ReadFile(userHive).find("\"MRU\"=\"" + c.selected + "\""),
                  std::string::npos)
            << coretest::ReadFile(userHive);
    }
    EXPECT_TRUE(dialogs.Shown.empty());
    Arguments({});
    TLXAData again;
    again.Initialise();
    EXPECT_EQ(again.CurrentBook->Name, cyrillic);

    const std::string unknown = "\xD0\xB4\xD0\xBE\xD0\xBC-\xE8\xBE\x9E";  // дом-辞
    Arguments({unknown});
    TLXAData refused;
    refused.Initialise();
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Text, "Het door u opgegeven woordenboek '" + unknown +
                                         "' bestaat niet of is niet " + kInstalled + ".");
}

TEST_F(DataTest, SearchesTheCurrentBookWithItsPronunciationCell) {
    folder.AddBook("nl", "[dictionary]\nfluency=1\nfluencyfld=4\n", true,
                   "<table><tr><td>huis</td><td>HUIS</td><td>huis</td><td>hoys</td><td>het "
                   "huis</td></tr></table>");
    folder.InstallFakeEngine();
    data.Initialise();
    EXPECT_EQ(data.Search("huis"), 1);
    EXPECT_EQ(data.SearchResults->PronounceText(), "hoys");
    EXPECT_EQ(SearchCalls().back(), "free");
}

TEST_F(DataTest, TheSpeechEngineLoadsOnceAndSpeaksStopWritePlayInEachBooksVoice) {
    folder.AddBook("nl", "[dictionary]\nfluency=1\n");
    folder.AddBook("en", "[dictionary]\nfluency=1\nfluencyvoice=en\n");
    folder.Write("data/dict.cfg", std::string("[application]\nregkey=") + kRegKey +
                                      "\n[dictionaries]\nnl=1;N\nen=1;E\nplain=1;P\n");
    folder.AddBook("plain", "[dictionary]\n");
    folder.InstallFakeEngine();
    EXPECT_FALSE(data.SpeechAvailable());
    data.Speak("niets");  // nothing loaded: nothing happens
    data.Initialise();
    data.SelectBook(data.Books->FindBook("en"));
    data.SelectBook(data.Books->FindBook("plain"));
    EXPECT_TRUE(data.SpeechAvailable());
    data.Speak("a.b");
    data.Finalise();
    // A book without speech leaves the voice as it was.
    EXPECT_EQ(EngineCalls(),
              (Lines{"FLD_Init 0", "FLD_SetTempo 4", "FLD_SetVoice nl", "FLD_SetVoice en",
                     "FLD_Stop", "FLD_Write 1 a.b", "FLD_Play 0", "FLD_Stop", "FLD_Close"}));
    EXPECT_EQ(data.FluencyLibrary, nullptr);
}

// An older engine: without FLD_Close and FLD_SetVoice.
TEST_F(DataTest, AnEngineWithoutCloseIsStillStoppedAndReleased) {
    folder.AddBook("nl", "[dictionary]\nfluency=1\n");
    folder.InstallFakeEngine(false);
    data.Initialise();
    ASSERT_TRUE(data.SpeechAvailable());
    data.Finalise();
    EXPECT_EQ(EngineCalls(), (Lines{"FLD_Init 0", "FLD_SetTempo 4", "FLD_Stop"}));
    EXPECT_EQ(data.FluencyLibrary, nullptr);
}

TEST_F(DataTest, AMissingEngineIsReportedAtEverySwitchAndTheBookIsStillSelected) {
    folder.AddBook("nl", "[dictionary]\nfluency=1\n");
    folder.AddBook("en", "[dictionary]\nfluency=1\n");
    data.Initialise();
    data.SelectBook(data.Books->FindBook("en"));
    EXPECT_EQ(Current(), "en");
    EXPECT_FALSE(data.SpeechAvailable());
    ASSERT_EQ(dialogs.Shown.size(), 2u);
    const std::string lead =
        "De benodigde bestanden voor het uitspreken van woorden kunnen niet worden geladen. Het "
        "uitspreken van trefwoorden zal dan ook niet functioneren. De originele foutmelding "
        "luidt:\r\n\r\nError loading 'fldtts.dll': ";
    for (const auto &shown : dialogs.Shown) {
        EXPECT_EQ(shown.Text.substr(0, lead.size()), lead);
        EXPECT_EQ(shown.Group, 7);
        EXPECT_EQ(shown.Number, 1);
    }
    EXPECT_EQ(SearchCalls().back(), "init " + Idx("en"));
}

#if defined(REAL_LEXQAPI_FILE) && defined(LEXQC_PROGRAM)
// The whole path: a compiled dictionary, the real search library, ordering and the page.
TEST_F(DataTest, SearchesACompiledDictionaryWithTheRealLibrary) {
    folder.Copy(REAL_LEXQAPI_FILE, "lexqapi.so");
    const std::string source = folder.Write("nl.src",
                                            "kw: huizen\ndir: hoyzen\nde huizen\n\n"
                                            "kw: Huis\ndir: Hoys\nhet Huis\n\n"
                                            "kw: huis\ndir: hoys\nhet huis\n\n");
    const std::string command = std::string(LEXQC_PROGRAM) + " build " + source + " " + Idx("nl") +
                                " > " + folder.Root + "/lexqc.out 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << coretest::ReadFile(folder.Root + "/lexqc.out");
    folder.AddBook("nl", "[dictionary]\nfluency=1\nfluencyfld=4\n", false);
    folder.InstallFakeEngine();
    data.Initialise();
    ASSERT_EQ(Current(), "nl");
    EXPECT_TRUE(dialogs.Shown.empty());
    ASSERT_EQ(data.Search("huis"), 2);
    EXPECT_EQ(data.SearchResults->GetItem(0).Keyword, "huis");
    EXPECT_EQ(data.SearchResults->GetItem(1).Keyword, "Huis");
    EXPECT_EQ(data.SearchResults->PronounceText(), "hoys.Hoys");
    EXPECT_NE(data.SearchResults->BuildPage("").find("\r\nhet huis\r\n"), std::string::npos);
    EXPECT_EQ(data.Search("onbekendwoord"), 0);
    EXPECT_EQ(data.SearchResults->LastCode, -4);
    EXPECT_TRUE(dialogs.Shown.empty());
}
#endif

}  // namespace
