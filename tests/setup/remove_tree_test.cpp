#include "remove_tree.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include "immutable.h"
#include "platform/msgbox.h"
#include "sandbox.h"

namespace {

using tktest::fs::exists;
using tktest::fs::is_symlink;

std::vector<platform::MessageBoxRecord> Boxes(const tktest::Sandbox &box) {
    return platform::ReadMessageBoxLog(box.Temp() / "boxes.log");
}

TEST(RemoveTree, RemovesEverythingButFollowsNoLink) {
    tktest::Sandbox box;
    const auto dir = box.MakeInstallation();
    setup::RemoveTree(dir.string());
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(is_symlink(dir));
    EXPECT_TRUE(box.OutsideUnchanged());
    EXPECT_TRUE(Boxes(box).empty());
}

TEST(RemoveTree, UndeletableFileKeepsItsFolderAndEveryFolderAbove) {
    tktest::Sandbox box;
    const auto dir = box.MakeInstallation();
    const auto stuck = dir / "data" / "deep" / "in-use.dll";
    tktest::WriteText(stuck, "locked");
    tktest::Immutable lock(stuck);
    if (!lock.On())
        GTEST_SKIP() << "this file system cannot make a file undeletable";

    setup::RemoveTree(dir.string());
    EXPECT_TRUE(exists(stuck));
    EXPECT_FALSE(exists(dir / "data" / "deep" / "book.idx"));
    EXPECT_FALSE(exists(dir / ".hidden"));
    EXPECT_FALSE(exists(dir / "readonly.txt"));
    const auto boxes = Boxes(box);
    // No message for the file; one per folder that stays, the deepest first.
    ASSERT_EQ(boxes.size(), 3u);
    const std::string folders[] = {(dir / "data" / "deep").string(), (dir / "data").string(),
                                   dir.string()};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes[i].caption, "WARNING");
        EXPECT_EQ(boxes[i].icon, platform::MsgIcon::None);
        EXPECT_EQ(boxes[i].text, "Could not remove directory " + folders[i]);
    }
    EXPECT_TRUE(box.OutsideUnchanged());
}

TEST(RemoveTree, ReadOnlyFileThatStaysReadOnlyIsReported) {
    tktest::Sandbox box;
    const auto dir = box.MakeInstallation();
    const auto stuck = dir / "stuck.txt";
    tktest::WriteText(stuck, "ro");
    ::chmod(stuck.c_str(), 0444);
    tktest::Immutable lock(stuck);
    if (!lock.On())
        GTEST_SKIP() << "this file system cannot make a file unchangeable";

    setup::RemoveTree(dir.string());
    const auto boxes = Boxes(box);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].icon, platform::MsgIcon::Warning);
    EXPECT_EQ(boxes[0].text, "Can't change readonly/system attributes of file: " + stuck.string() +
                                 " in dir : " + dir.string());
    EXPECT_EQ(boxes[1].text, "Could not remove directory " + dir.string());
    EXPECT_TRUE(exists(stuck));
    EXPECT_TRUE(box.OutsideUnchanged());
}

// A file system mounted inside the folder is another disk's business: not entered.
TEST(RemoveTree, DoesNotEnterAnotherFileSystem) {
    tktest::Sandbox box;
    const auto dir = box.MakeInstallation();
    const auto mountPoint = dir / "data" / "mnt";
    tktest::fs::create_directory(mountPoint);
    if (::mount("tk-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a file system here";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mountPoint.string()};
    tktest::WriteText(mountPoint / "other-disk.txt", "keep");

    setup::RemoveTree(dir.string());
    EXPECT_EQ(tktest::ReadText(mountPoint / "other-disk.txt"), "keep");
    EXPECT_FALSE(exists(dir / "program"));
    const auto boxes = Boxes(box);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Could not remove directory " + (dir / "data").string());
    EXPECT_EQ(boxes[1].text, "Could not remove directory " + dir.string());
    EXPECT_TRUE(box.OutsideUnchanged());
}

TEST(RemoveTree, AFolderThatIsALinkIsNotEntered) {
    tktest::Sandbox box;
    // Asked to remove a link to a folder: nothing behind it is touched.
    const auto link = box.Temp().Path() / "link";
    tktest::fs::create_directory_symlink(box.Outside(), link);
    setup::RemoveTree(link.string());
    EXPECT_TRUE(box.OutsideUnchanged());
    const auto boxes = Boxes(box);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not remove directory " + link.string());
}

}  // namespace
