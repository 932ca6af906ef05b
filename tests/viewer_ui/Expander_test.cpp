// A header button read as an expander: a button, expanded exactly while checked, toggled by
// its action.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QToolButton>

#include "viewer/ui/Expander.h"

TEST(Expander, ReadsAsAButtonExpandedWhileCheckedAndTogglesByItsAction) {
    QToolButton header;
    header.setText(QStringLiteral("&Nederlands-Engels"));
    // A screen reader may have read the button before it was marked.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&header)->role(), QAccessible::PushButton);
    ui::MarkAsExpander(&header);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&header);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::Button);
    EXPECT_EQ(face->text(QAccessible::Name), "Nederlands-Engels");
    EXPECT_TRUE(face->state().expandable);
    EXPECT_TRUE(face->state().collapsed);
    EXPECT_FALSE(face->state().expanded);

    ASSERT_NE(face->actionInterface(), nullptr);
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(header.isChecked());
    EXPECT_TRUE(face->state().expanded);
    EXPECT_FALSE(face->state().collapsed);
    header.setChecked(false);
    EXPECT_TRUE(face->state().collapsed);
}
