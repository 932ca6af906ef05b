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
    EXPECT_THROW(Format("trailing %", {}), EConvertError);

    const ELXASearchResults e("Er is geen resultaat met indexnummer %d.", {std::int64_t{7}}, 6, 2);
    EXPECT_STREQ(e.what(), "Er is geen resultaat met indexnummer 7.");
    EXPECT_EQ(e.Group, 6);
    EXPECT_EQ(e.Number, 2);
}

TEST(ApplicationHandler, ShowsTheFamilyAsStoredAndWrapsEverythingElse) {
    coretest::DialogRecorder dialogs;
    TLXAData data;
    data.ApplicationEventsException(ELXABooks("boeken %s", 3, 1));
    data.ApplicationEventsException(ELXASearchResult("rij", 6, 1));
    data.ApplicationEventsException(EFCreateError("Cannot create file \"/x\"."));
    data.ApplicationEventsException(EAbort());  // silent: its message was shown already
    RunGuarded([] { throw std::runtime_error("50%s"); });
    RunGuarded([] { throw 42; });

    const std::string lead =
        "Er is een onverwachte fout opgetreden in dit programma. Als dit programma zich niet "
        "meer correct gedraagt, sluit het dan af en probeer het opnieuw op te starten. De "
        "originele foutmelding luidt:\r\n\r\n";
    ASSERT_EQ(dialogs.Shown.size(), 5u);
    // Shown exactly as stored: the "%s" stays.
    EXPECT_EQ(dialogs.Shown[0].Text, "boeken %s");
    EXPECT_EQ(dialogs.Shown[0].Group, 3);
    EXPECT_EQ(dialogs.Shown[1].Text, "rij");
    EXPECT_EQ(dialogs.Shown[1].Group, 6);
    EXPECT_EQ(dialogs.Shown[2].Text, lead + "Cannot create file \"/x\".");
    EXPECT_EQ(dialogs.Shown[3].Text, lead + "50%s");
    EXPECT_EQ(dialogs.Shown[4].Text.rfind(lead, 0), 0u);
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(dialogs.Shown[i].Group, 99);
        EXPECT_EQ(dialogs.Shown[i].Number, 1);
    }
}

}  // namespace
