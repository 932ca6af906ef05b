#include "viewer/core/LXA_MsgDlg.h"

#include <gtest/gtest.h>

#include "CoreTestSupport.h"

namespace {

using Texts = std::vector<std::string>;

TEST(MessageDialogs, AnErrorIsFoutWithOneOkButtonAndItsTextVerbatim) {
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
}

TEST(MessageDialogs, AQuestionIsBevestigingWithJaAndNee) {
    coretest::DialogRecorder dialogs;
    dialogs.Answers = {mrYes, mrNo};
    EXPECT_EQ(AskYesNoFmt("Openen %s?", {std::string("x")}, 0, 0), mrYes);
    EXPECT_EQ(AskYesNoFmt("Openen %s?", {std::string("y")}, 0, 0), mrNo);
    ASSERT_EQ(dialogs.Shown.size(), 2u);
    EXPECT_EQ(dialogs.Shown[0].Caption, "Bevestiging");
    EXPECT_EQ(dialogs.Shown[0].ButtonTexts, (Texts{"&Ja", "&Nee"}));
    ShowMessageDialog("w", TMsgDlgType::Warning, mbAbort | mbNoToAll);
    EXPECT_EQ(dialogs.Shown[2].Caption, "Waarschuwing");
    EXPECT_EQ(dialogs.Shown[2].ButtonTexts, (Texts{"&Afbreken", "N&ee op Alles"}));
}

}  // namespace
