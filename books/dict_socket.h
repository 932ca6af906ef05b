// A TCP connection for the DICT client whose every wait is bounded: connecting, sending
// and each read give up after their own time, so that a server that never answers costs
// at most that long and no thread hangs on it; and every wait ends at once when the
// interrupt it watches is raised (a window that closes waits for no server).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace books::dict {

enum class SocketStatus {
    Ok,
    NoAddress,  // the host name does not resolve
    Refused,    // no connection could be made (refused, unreachable)
    Timeout,    // the wait ran out
    Closed,     // the other side closed the connection or reset it
    Cancelled,  // the interrupt was raised
};

// Raised once, from any thread, it ends the waits of every socket that watches it, those
// under way and those to come. Outlives the sockets that watch it.
class Interrupt {
  public:
    Interrupt();
    ~Interrupt();
    Interrupt(const Interrupt &) = delete;
    Interrupt &operator=(const Interrupt &) = delete;

    void Raise();
    bool Raised() const;

    struct Handle;  // the platform's waitable object
    const Handle &Waitable() const { return *handle_; }

  private:
    std::unique_ptr<Handle> handle_;
};

class Socket {
  public:
    virtual ~Socket() = default;
    // Sends all of data within the time.
    virtual SocketStatus Send(std::string_view data, int timeoutMs) = 0;
    // Appends what arrives within the time (at least one byte on Ok).
    virtual SocketStatus Receive(std::string &into, int timeoutMs) = 0;
};

// Connects to host:port (a name or an address, IPv4 or IPv6) within the time; the socket
// watches the interrupt when there is one. The name lookup before it is not interrupted.
SocketStatus ConnectTcp(const std::string &host, std::uint16_t port, int timeoutMs,
                        std::unique_ptr<Socket> &socket, const Interrupt *interrupt = nullptr);

}  // namespace books::dict
