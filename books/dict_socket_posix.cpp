#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "books/dict_socket.h"

namespace books::dict {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for the event until the deadline; false when the time ran out.
bool WaitFor(int fd, short event, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, event, 0};
        const int ready = poll(&p, 1, MsLeft(deadline));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return true;  // the call that follows reports the fault
    }
}

class PosixSocket final : public Socket {
  public:
    explicit PosixSocket(int fd) : fd_(fd) {}
    ~PosixSocket() override { close(fd_); }
    PosixSocket(const PosixSocket &) = delete;
    PosixSocket &operator=(const PosixSocket &) = delete;

    SocketStatus Send(std::string_view data, int timeoutMs) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!data.empty()) {
            if (!WaitFor(fd_, POLLOUT, deadline))
                return SocketStatus::Timeout;
            const ssize_t sent = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (sent < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (sent <= 0)
                return SocketStatus::Closed;
            data.remove_prefix(static_cast<std::size_t>(sent));
        }
        return SocketStatus::Ok;
    }

    SocketStatus Receive(std::string &into, int timeoutMs) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        char buffer[16384];
        for (;;) {
            if (!WaitFor(fd_, POLLIN, deadline))
                return SocketStatus::Timeout;
            const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
            if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (got <= 0)
                return SocketStatus::Closed;
            into.append(buffer, static_cast<std::size_t>(got));
#ifdef TCP_QUICKACK
            // A server that writes a reply in pieces waits for our ACK before the next
            // piece (Nagle); a delayed ACK would add 40 ms to every reply.
            int one = 1;
            setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
#endif
            return SocketStatus::Ok;
        }
    }

  private:
    int fd_;
};

// A non-blocking connect to one address, finished within the deadline; -1 on failure.
int ConnectOne(const addrinfo &address, Clock::time_point deadline, bool &timedOut) {
    const int fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                          address.ai_protocol);
    if (fd < 0)
        return -1;
    if (connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return fd;
    if (errno == EINPROGRESS) {
        if (!WaitFor(fd, POLLOUT, deadline)) {
            timedOut = true;
        } else {
            int error = 0;
            socklen_t size = sizeof error;
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
                return fd;
        }
    }
    close(fd);
    return -1;
}

}  // namespace

SocketStatus ConnectTcp(const std::string &host, std::uint16_t port, int timeoutMs,
                        std::unique_ptr<Socket> &socket) {
    socket.reset();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    // The name lookup itself is not bounded here; a local resolver answers or fails fast.
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 ||
        found == nullptr)
        return SocketStatus::NoAddress;
    bool timedOut = false;
    int fd = -1;
    for (const addrinfo *a = found; a != nullptr && fd < 0 && MsLeft(deadline) > 0; a = a->ai_next)
        fd = ConnectOne(*a, deadline, timedOut);
    freeaddrinfo(found);
    if (fd < 0)
        return timedOut || MsLeft(deadline) == 0 ? SocketStatus::Timeout : SocketStatus::Refused;
    // A command is one short line: sent at once, not held back for the last reply's ACK.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    socket = std::make_unique<PosixSocket>(fd);
    return SocketStatus::Ok;
}

}  // namespace books::dict
