#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/localsocket.h"
#include "platform/posix_io.h"

namespace platform {

namespace {

using TStatus = TLocalAnswer::TStatus;

// Closes the descriptor when the question ends, however it ends.
struct TSocket {
    int Fd = -1;
    ~TSocket() {
        if (Fd >= 0)
            ::close(Fd);
    }
};

}  // namespace

std::uint32_t CurrentUserId() {
    return static_cast<std::uint32_t>(::getuid());
}

namespace {

// Only a folder that nobody else could have put a socket into is trusted.
bool IsPrivateFolder(const std::string &folder) {
    struct stat info = {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

}  // namespace

std::string UserRuntimeFolder() {
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        if (IsPrivateFolder(runtime))
            return runtime;
    }
    // The toolkit's own choice where the variable names no folder fit to use.
    const char *tmp = std::getenv("TMPDIR");
    std::string folder = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    struct passwd entry = {}, *found = nullptr;
    char names[4096];
    const bool named = ::getpwuid_r(::geteuid(), &entry, names, sizeof names, &found) == 0 &&
                       found != nullptr && found->pw_name[0] != '\0';
    folder += "/runtime-" + (named ? std::string(found->pw_name) : std::to_string(::geteuid()));
    return IsPrivateFolder(folder) ? folder : std::string();
}

std::optional<std::uint32_t> PeerUserId(std::intptr_t socket) {
    // The kernel's record of the peer at connect time: a peer cannot forge it.
    struct ucred credentials = {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return std::nullopt;
    return static_cast<std::uint32_t>(credentials.uid);
}

TLocalAnswer AskLocalSocket(const std::string &path, std::string_view message, int timeoutMs) {
    TLocalAnswer answer;
    struct sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return answer;
    std::memcpy(address.sun_path, path.data(), path.size());
    TSocket socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    if (socket.Fd < 0)
        return answer;
    if (::connect(socket.Fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        // A socket file nobody listens on is what a crashed program leaves behind.
        if (errno == ENOENT || errno == ECONNREFUSED)
            answer.Status = TStatus::NoListener;
        return answer;
    }
    if (!posix::WriteAll(socket.Fd, message))
        return answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        struct pollfd wait = {socket.Fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return answer;
        const ssize_t n = ::read(socket.Fd, &answer.Byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 1)
            answer.Status = TStatus::Answered;
        return answer;
    }
}

}  // namespace platform
