#include "viewer/core/LXA_MsgDlg.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "CoreTestSupport.h"
#include "viewer/core/LXA_Exceptions.h"

namespace {

using Texts = std::vector<std::string>;

TEST(MessageDialogs, AnErrorHasTheCaptionFoutAndOneOkButton) {
    coretest::DialogRecorder dialogs;
    ShowError("100%s zeker", 5, 7);
    ShowErrorFmt("Het bestand '%s' ontbreekt.", {std::string("/p/dict.cfg")}, 1, 2);
    ASSERT_EQ(dialogs.Shown.size(), 2u);
    EXPECT_EQ(dialogs.Shown[0].Text, "100%s zeker");
    EXPECT_EQ(dialogs.Shown[0].Caption, "Fout");
    EXPECT_EQ(dialogs.Shown[0].ButtonTexts, Texts{"OK"});
    EXPECT_EQ(dialogs.Shown[0].Group, 5);
    EXPECT_EQ(dialogs.Shown[0].Number, 7);
    EXPECT_EQ(dialogs.Shown[1].Text, "Het bestand '/p/dict.cfg' ontbreekt.");
    EXPECT_EQ(dialogs.Shown[1].Number, 2);
}

TEST(MessageDialogs, AQuestionHasTheCaptionBevestigingAndJaNee) {
    coretest::DialogRecorder dialogs;
    dialogs.Answers = {mrYes, mrNo};
    EXPECT_EQ(AskYesNoFmt("Openen %s?", {std::string("x")}, 0, 0), mrYes);
    EXPECT_EQ(AskYesNoFmt("Openen %s?", {std::string("y")}, 0, 0), mrNo);
    ASSERT_EQ(dialogs.Shown.size(), 2u);
    EXPECT_EQ(dialogs.Shown[0].Kind, TMsgDlgType::Confirmation);
    EXPECT_EQ(dialogs.Shown[0].Caption, "Bevestiging");
    Texts buttons = dialogs.Shown[0].ButtonTexts;
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, (Texts{"&Ja", "&Nee"}));
}

TEST(MessageDialogs, EveryButtonAndKindGetsItsDutchText) {
    coretest::DialogRecorder dialogs;
    ShowMessageDialog("alles", TMsgDlgType::Warning,
                      mbYes | mbNo | mbOK | mbCancel | mbAbort | mbRetry | mbIgnore | mbAll |
                          mbNoToAll | mbYesToAll | mbHelp);
    ShowMessageDialog("info", TMsgDlgType::Information, mbOK);
    ASSERT_EQ(dialogs.Shown.size(), 2u);
    EXPECT_EQ(dialogs.Shown[0].Caption, "Waarschuwing");
    Texts buttons = dialogs.Shown[0].ButtonTexts;
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons,
              (Texts{"&Afbreken", "&Alles", "&Help", "&Ja", "&Nee", "&Negeren", "&Opnieuw proberen",
                     "Annuleren", "Ja op &Alles", "N&ee op Alles", "OK"}));
    EXPECT_EQ(dialogs.Shown[1].Caption, "Informatie");
}

TEST(MessageDialogs, AFormatThatDoesNotFitRaisesBeforeAnythingIsShown) {
    coretest::DialogRecorder dialogs;
    EXPECT_THROW(ShowErrorFmt("%s en %s", {std::string("een")}, 1, 1), EConvertError);
    EXPECT_TRUE(dialogs.Shown.empty());
}

}  // namespace
