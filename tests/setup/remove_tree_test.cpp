#include "remove_tree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

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

// A bind mount shows a folder of the same file system a second time: the device number
// is the same, yet what lies behind it is not the product's.
TEST(RemoveTree, DoesNotEnterABindMountOfTheSameFileSystem) {
    tktest::Sandbox box;
    const auto dir = box.MakeInstallation();
    const auto mountPoint = dir / "data" / "deep" / "shared";
    tktest::fs::create_directory(mountPoint);
    if (::mount(box.Outside().c_str(), mountPoint.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount here";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mountPoint.string()};

    setup::RemoveTree(dir.string());
    EXPECT_TRUE(box.OutsideUnchanged());
    EXPECT_TRUE(exists(mountPoint / "folder" / "keep.txt"));
    EXPECT_FALSE(exists(dir / "data" / "deep" / "book.idx"));
    EXPECT_EQ(Boxes(box).size(), 3u);  // deep, data and the folder itself stay
}

// Deeper than any path the system accepts in one piece.
TEST(RemoveTree, RemovesATreeOfAnyDepth) {
    tktest::Sandbox box;
    const auto dir = box.MakeInstallation();
    const std::string name(NAME_MAX / 2, 'd');
    const int levels = 2 * PATH_MAX / static_cast<int>(name.size());
    int fd = ::open((dir / "data").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < levels; ++i) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0) << i;
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        if (i % 7 == 0) {
            const int file = ::openat(fd, "leaf.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0444);
            ::close(file);
        }
    }
    ::symlinkat(box.Outside().c_str(), fd, "escape");
    ::close(fd);

    setup::RemoveTree(dir.string());
    EXPECT_FALSE(exists(dir));
    EXPECT_TRUE(Boxes(box).empty());
    EXPECT_TRUE(box.OutsideUnchanged());
}

// Folders the user made read-only, or closed altogether, are the user's: opened up and
// removed like read-only files. Run as an ordinary user, for whom the rights count.
TEST(RemoveTree, ReadOnlyFoldersOfTheUserAreOpenedUpAndRemoved) {
    tktest::Sandbox box;
    const auto dir = box.MakeInstallation();
    tktest::fs::create_directories(dir / "locked" / "inner");
    tktest::WriteText(dir / "locked" / "inner" / "file.txt", "x");
    tktest::WriteText(dir / "locked" / "file.txt", "x");
    tktest::fs::create_directories(dir / "closed");
    tktest::WriteText(dir / "closed" / "file.txt", "x");
    ::chmod((dir / "locked" / "inner").c_str(), 0555);
    ::chmod((dir / "locked").c_str(), 0500);
    ::chmod((dir / "closed").c_str(), 0000);

    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
    if (user != ::geteuid()) {
        // Everything of the test becomes the ordinary user's, as it would be at home.
        for (const auto &entry : tktest::fs::recursive_directory_iterator(box.Temp().Path()))
            ::lchown(entry.path().c_str(), user, user);
        ::lchown(box.Temp().Path().c_str(), user, user);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (user != ::geteuid() && (::setgid(user) != 0 || ::setuid(user) != 0))
            ::_exit(2);
        setup::RemoveTree(dir.string());
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(exists(dir));
    EXPECT_TRUE(Boxes(box).empty());
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
