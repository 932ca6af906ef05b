#include "platform/msgbox.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

TEST(MessageBox, RecordsEveryBoxWithCaptionIconAndText) {
    tktest::TempFolder temp;
    testing::internal::CaptureStderr();
    platform::ShowMessageBox("ERROR", "line one\nline\ttwo \\n literal", platform::MsgIcon::Error);
    platform::ShowMessageBox("WARNING", "Could not remove directory /x", platform::MsgIcon::None);
    const std::string stderrText = testing::internal::GetCapturedStderr();
    EXPECT_EQ(stderrText,
              "ERROR: line one\nline\ttwo \\n literal\nWARNING: Could not remove directory /x\n");

    const auto boxes = platform::ReadMessageBoxLog(temp / "boxes.log");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].icon, platform::MsgIcon::Error);
    EXPECT_EQ(boxes[0].text, "line one\nline\ttwo \\n literal");
    EXPECT_EQ(boxes[1].caption, "WARNING");
    EXPECT_EQ(boxes[1].icon, platform::MsgIcon::None);
}

}  // namespace
