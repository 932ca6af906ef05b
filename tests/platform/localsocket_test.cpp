// Whose process is at the other end of a local socket, a client's one question, and the
// runtime folder a client looks for its listener in.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/localsocket.h"
#include "tempdir.h"

namespace {

// A listening socket at path, open to every user.
int ListenAt(const std::string &path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::chmod(path.c_str(), 0777);
    EXPECT_EQ(::listen(fd, 4), 0);
    return fd;
}

TEST(LocalSocket, PeerUserIsTheConnectingProcessesUser) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_EQ(platform::PeerUserId(pair[0]), platform::CurrentUserId());
    ::close(pair[0]);
    ::close(pair[1]);
    EXPECT_FALSE(platform::PeerUserId(-1).has_value());

    if (::getuid() != 0)
        GTEST_SKIP() << "a connection of another user needs root to make";
    tk::test::TempDir temp;
    ::chmod(temp.Path().c_str(), 0777);
    const std::string path = temp.File("s");
    const int listener = ListenAt(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The user "nobody" asks; the answer does not matter.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(platform::AskLocalSocket(path, "x", 2000).Status ==
                        platform::TLocalAnswer::TStatus::Answered
                    ? 0
                    : 1);
    }
    const int connection = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    EXPECT_EQ(platform::PeerUserId(connection), 65534u);
    ASSERT_EQ(::write(connection, "R", 1), 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ::close(connection);
    ::close(listener);
}

TEST(LocalSocket, AskTellsNoListenerFromASilentOne) {
    tk::test::TempDir temp;
    using TStatus = platform::TLocalAnswer::TStatus;
    EXPECT_EQ(platform::AskLocalSocket(temp.File("none"), "x", 200).Status, TStatus::NoListener);
    EXPECT_EQ(platform::AskLocalSocket(std::string(200, 'a'), "x", 200).Status, TStatus::Failed);
    // A listener that never answers: the question ends at its time limit.
    const int listener = ListenAt(temp.File("silent"));
    EXPECT_EQ(platform::AskLocalSocket(temp.File("silent"), "x", 200).Status, TStatus::Failed);
    ::close(listener);
    // The file of a listener that is gone.
    EXPECT_EQ(platform::AskLocalSocket(temp.File("silent"), "x", 200).Status, TStatus::NoListener);
}

// Sets an environment variable for the test's length; an empty value unsets it.
struct TEnvironment {
    TEnvironment(const char *name, const std::string &value) : Name(name) {
        if (const char *old = std::getenv(name))
            Old = old;
        Set(value);
    }
    ~TEnvironment() { Set(Old); }
    void Set(const std::string &value) const {
        if (value.empty())
            ::unsetenv(Name);
        else
            ::setenv(Name, value.c_str(), 1);
    }
    const char *Name;
    std::string Old;
};

TEST(LocalSocket, TheRuntimeFolderIsTrustedOnlyWhenItIsThisUsersAlone) {
    tk::test::TempDir temp;
    const TEnvironment runtime("XDG_RUNTIME_DIR", temp.File("run"));
    const TEnvironment tmp("TMPDIR", temp.Path());
    ::mkdir(temp.File("run").c_str(), 0700);
    EXPECT_EQ(platform::UserRuntimeFolder(), temp.File("run"));

    // Open to others, or no folder: the temporary folder's own, once it exists privately.
    ::chmod(temp.File("run").c_str(), 0755);
    EXPECT_EQ(platform::UserRuntimeFolder(), "");
    const std::string fallback = temp.Path() + "/runtime-" + ::getpwuid(::geteuid())->pw_name;
    ::mkdir(fallback.c_str(), 0755);
    EXPECT_EQ(platform::UserRuntimeFolder(), "");
    ::chmod(fallback.c_str(), 0700);
    EXPECT_EQ(platform::UserRuntimeFolder(), fallback);
    runtime.Set("");
    EXPECT_EQ(platform::UserRuntimeFolder(), fallback);
    tmp.Set(temp.File("nowhere"));
    EXPECT_EQ(platform::UserRuntimeFolder(), "");
}

}  // namespace
