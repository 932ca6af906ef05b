#include "viewer/core/LXA_Exceptions.h"

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "viewer/core/LXA_Data.h"

namespace {

TEST(Format, SubstitutesTextsAndNumbersAndRefusesMismatches) {
    EXPECT_EQ(Format("%s is %d%%", {std::string("x"), std::int64_t{-7}}), "x is -7%");
    // An argument is inserted as it is, never read as a format itself.
    EXPECT_EQ(Format("'%s'", {std::string("%d%s")}), "'%d%s'");
    EXPECT_THROW(Format("%s %s", {std::string("one")}), EConvertError);
    EXPECT_THROW(Format("%d", {std::string("text")}), EConvertError);
    EXPECT_THROW(Format("none", {std::string("left over")}), EConvertError);
    EXPECT_THROW(Format("%x", {std::int64_t{1}}), EConvertError);
    EXPECT_THROW(Format("trailing %", {}), EConvertError);
}

TEST(ExceptionFamily, CreateFmtStoresTheFormattedTextGroupAndNumber) {
    const ELXASearchResults e(
        "Ongeldige selectie in de resultatenlijst. Er is geen resultaat met indexnummer %d.",
        {std::int64_t{7}}, 6, 2);
    EXPECT_STREQ(
        e.what(),
        "Ongeldige selectie in de resultatenlijst. Er is geen resultaat met indexnummer 7.");
    EXPECT_EQ(e.Group, 6);
    EXPECT_EQ(e.Number, 2);
}

TEST(ApplicationHandler, ShowsTheFamilysOwnTextGroupAndNumber) {
    coretest::DialogRecorder dialogs;
    TLXAData data;
    data.ApplicationEventsException(ELXABooks("boeken %s", 3, 1));
    data.ApplicationEventsException(ELXASearchResults("lijst", 6, 2));
    data.ApplicationEventsException(ELXASearchResult("rij", 6, 1));
    ASSERT_EQ(dialogs.Shown.size(), 3u);
    // Shown exactly as stored: a "%s" in it stays.
    EXPECT_EQ(dialogs.Shown[0].Text, "boeken %s");
    EXPECT_EQ(dialogs.Shown[0].Group, 3);
    EXPECT_EQ(dialogs.Shown[1].Text, "lijst");
    EXPECT_EQ(dialogs.Shown[1].Number, 2);
    EXPECT_EQ(dialogs.Shown[2].Text, "rij");
    for (const auto &shown : dialogs.Shown)
        EXPECT_EQ(shown.Kind, TMsgDlgType::Error);
}

TEST(ApplicationHandler, WrapsOtherExceptionsInTheUnexpectedErrorText) {
    coretest::DialogRecorder dialogs;
    TLXAData data;
    data.ApplicationEventsException(EFCreateError("Cannot create file \"/x\". Permission denied"));
    data.ApplicationEventsException(std::runtime_error("50%s"));
    data.ApplicationEventsUnknownException();
    data.ApplicationEventsException(EAbort());  // silent: its message was shown already
    ASSERT_EQ(dialogs.Shown.size(), 3u);
    const std::string lead =
        "Er is een onverwachte fout opgetreden in dit programma. Als dit programma zich niet "
        "meer correct gedraagt, sluit het dan af en probeer het opnieuw op te starten. De "
        "originele foutmelding luidt:\r\n\r\n";
    EXPECT_EQ(dialogs.Shown[0].Text, lead + "Cannot create file \"/x\". Permission denied");
    EXPECT_EQ(dialogs.Shown[1].Text, lead + "50%s");
    EXPECT_EQ(dialogs.Shown[2].Text.substr(0, lead.size()), lead);
    for (const auto &shown : dialogs.Shown) {
        EXPECT_EQ(shown.Group, 99);
        EXPECT_EQ(shown.Number, 1);
    }
}

TEST(ApplicationHandler, RunGuardedKeepsEveryExceptionInside) {
    coretest::DialogRecorder dialogs;
    RunGuarded([] { throw ELXABooks("b", 3, 1); });
    RunGuarded([] { throw 42; });
    RunGuarded([] {});
    ASSERT_EQ(dialogs.Shown.size(), 2u);
    EXPECT_EQ(dialogs.Shown[0].Group, 3);
    EXPECT_EQ(dialogs.Shown[1].Group, 99);
}

}  // namespace
