// DICT servers for tests on 127.0.0.1: a fake one that plays a script per connection
// (for the faults a real server does not make on demand), and Debian's dictd on a free
// port with a temporary configuration over the FreeDict databases of /usr/share/dictd.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tk::test {

// One accepted connection of the fake server.
class FakeConnection {
  public:
    explicit FakeConnection(int fd) : fd_(fd) {}
    void Send(const std::string &bytes);
    // The next line the client sent, without its line end; empty when it closed or
    // nothing came within two seconds.
    std::string ReadLine();
    // Reads until the client closes or the server stops.
    void WaitForClose(const std::atomic<bool> &stopping);

  private:
    int fd_;
    std::string buffer_;
};

class FakeDictServer {
  public:
    using Script = std::function<void(FakeConnection &, const std::atomic<bool> &stopping)>;
    // Plays the script on every connection, one at a time, until destroyed.
    explicit FakeDictServer(Script script);
    ~FakeDictServer();
    FakeDictServer(const FakeDictServer &) = delete;
    FakeDictServer &operator=(const FakeDictServer &) = delete;

    std::uint16_t Port() const { return port_; }
    int Connections() const { return connections_; }

  private:
    Script script_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

// The greeting and the CLIENT reply of a well-behaved server: what every script starts with.
void Greet(FakeConnection &connection);

class LocalDictd {
  public:
    // Starts dictd with the databases (names of /usr/share/dictd/NAME.index); Running()
    // is false when dictd or a database is missing or it did not start listening.
    explicit LocalDictd(const std::vector<std::string> &databases);
    ~LocalDictd();
    LocalDictd(const LocalDictd &) = delete;
    LocalDictd &operator=(const LocalDictd &) = delete;

    bool Running() const { return pid_ > 0; }
    std::uint16_t Port() const { return port_; }
    std::string Why() const { return why_; }

  private:
    int pid_ = -1;
    std::uint16_t port_ = 0;
    std::string folder_;
    std::string why_;
};

inline constexpr const char *kDictd = "/usr/sbin/dictd";
inline constexpr const char *kDictdData = "/usr/share/dictd";

// A port nobody listens on just now.
std::uint16_t FreePort();

}  // namespace tk::test
