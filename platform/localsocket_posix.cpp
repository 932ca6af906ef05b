#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

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
