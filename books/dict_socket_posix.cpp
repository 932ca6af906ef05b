#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "books/dict_socket.h"

namespace books::dict {

// A pipe whose reading end becomes readable, for good, when the interrupt is raised: a
// poll beside the socket's then ends at once.
struct Interrupt::Handle {
    int read = -1;
    int write = -1;
    std::atomic<bool> raised{false};
};

Interrupt::Interrupt() : handle_(std::make_unique<Handle>()) {
    int ends[2];
    if (pipe(ends) != 0)
        throw std::runtime_error("pipe");
    for (const int fd : ends) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    handle_->read = ends[0];
    handle_->write = ends[1];
}

Interrupt::~Interrupt() {
    close(handle_->read);
    close(handle_->write);
}

void Interrupt::Raise() {
    if (handle_->raised.exchange(true))
        return;
    const char byte = 1;
    while (write(handle_->write, &byte, 1) < 0 && errno == EINTR) {
    }
}

bool Interrupt::Raised() const {
    return handle_->raised.load();
}

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for the event until the deadline or the interrupt: Ok, Timeout or Cancelled.
SocketStatus WaitFor(int fd, short event, Clock::time_point deadline, const Interrupt *interrupt) {
    for (;;) {
        if (interrupt != nullptr && interrupt->Raised())
            return SocketStatus::Cancelled;
        pollfd p[2] = {{fd, event, 0}, {-1, POLLIN, 0}};
        if (interrupt != nullptr)
            p[1].fd = interrupt->Waitable().read;
        const int ready = poll(p, interrupt != nullptr ? 2 : 1, MsLeft(deadline));
        if (ready > 0 && p[1].revents != 0)
            return SocketStatus::Cancelled;
        if (ready > 0)
            return SocketStatus::Ok;
        if (ready == 0)
            return SocketStatus::Timeout;
        if (errno != EINTR)
            return SocketStatus::Ok;  // the call that follows reports the fault
    }
}

class PosixSocket final : public Socket {
  public:
    PosixSocket(int fd, const Interrupt *interrupt) : fd_(fd), interrupt_(interrupt) {}
    ~PosixSocket() override { close(fd_); }
    PosixSocket(const PosixSocket &) = delete;
    PosixSocket &operator=(const PosixSocket &) = delete;

    SocketStatus Send(std::string_view data, int timeoutMs) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!data.empty()) {
            if (const SocketStatus ready = WaitFor(fd_, POLLOUT, deadline, interrupt_);
                ready != SocketStatus::Ok)
                return ready;
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
            if (const SocketStatus ready = WaitFor(fd_, POLLIN, deadline, interrupt_);
                ready != SocketStatus::Ok)
                return ready;
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
    const Interrupt *interrupt_;
};

// A non-blocking connect to one address, finished within the deadline; -1 on failure,
// with the wait's status when it was no refusal.
int ConnectOne(const addrinfo &address, Clock::time_point deadline, const Interrupt *interrupt,
               SocketStatus &waited) {
    const int fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                          address.ai_protocol);
    if (fd < 0)
        return -1;
    if (connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return fd;
    if (errno == EINPROGRESS) {
        waited = WaitFor(fd, POLLOUT, deadline, interrupt);
        if (waited == SocketStatus::Ok) {
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
                        std::unique_ptr<Socket> &socket, const Interrupt *interrupt) {
    socket.reset();
    if (interrupt != nullptr && interrupt->Raised())
        return SocketStatus::Cancelled;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    // The name lookup itself is not bounded here; a local resolver answers or fails fast.
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 ||
        found == nullptr)
        return SocketStatus::NoAddress;
    SocketStatus waited = SocketStatus::Ok;
    int fd = -1;
    for (const addrinfo *a = found;
         a != nullptr && fd < 0 && MsLeft(deadline) > 0 && waited != SocketStatus::Cancelled;
         a = a->ai_next)
        fd = ConnectOne(*a, deadline, interrupt, waited);
    freeaddrinfo(found);
    if (fd < 0 && waited == SocketStatus::Cancelled)
        return SocketStatus::Cancelled;
    if (fd < 0)
        return waited == SocketStatus::Timeout || MsLeft(deadline) == 0 ? SocketStatus::Timeout
                                                                        : SocketStatus::Refused;
    // A command is one short line: sent at once, not held back for the last reply's ACK.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    socket = std::make_unique<PosixSocket>(fd, interrupt);
    return SocketStatus::Ok;
}

}  // namespace books::dict
