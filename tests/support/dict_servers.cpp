#include "dict_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tk::test {

namespace {

int Listener(std::uint16_t &port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0 || getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool Accepts(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

}  // namespace

void FakeConnection::Send(const std::string &bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;  // the client went away; the script goes on regardless
        sent += static_cast<std::size_t>(n);
    }
}

std::string FakeConnection::ReadLine() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        const std::size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        pollfd p{fd_, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            return {};
        char chunk[4096];
        const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0)
            return {};
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

void FakeConnection::WaitForClose(const std::atomic<bool> &stopping) {
    char chunk[4096];
    while (!stopping) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 50) > 0 && recv(fd_, chunk, sizeof chunk, 0) <= 0)
            return;
    }
}

void Greet(FakeConnection &connection) {
    connection.Send("220 fake <auth.mime> <1@fake>\r\n");
    if (connection.ReadLine().rfind("CLIENT ", 0) == 0)
        connection.Send("250 ok\r\n");
}

FakeDictServer::FakeDictServer(Script script) : script_(std::move(script)) {
    listener_ = Listener(port_);
    thread_ = std::thread([this] {
        while (!stopping_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                continue;
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++connections_;
            FakeConnection connection(fd);
            script_(connection, stopping_);
            close(fd);
        }
    });
}

FakeDictServer::~FakeDictServer() {
    stopping_ = true;
    thread_.join();
    close(listener_);
}

std::uint16_t FreePort() {
    std::uint16_t port = 0;
    const int fd = Listener(port);
    if (fd >= 0)
        close(fd);
    return port;
}

LocalDictd::LocalDictd(const std::vector<std::string> &databases) {
    if (access(kDictd, X_OK) != 0) {
        why_ = std::string(kDictd) + " is not installed";
        return;
    }
    char pattern[] = "/tmp/tk-dictd-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        why_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    chmod(pattern, 0755);  // dictd reads its configuration after giving up root
    port_ = FreePort();
    std::ofstream config(folder_ + "/dictd.conf");
    config << "global {\n  listen_to 127.0.0.1\n  port " << port_ << "\n  pid_file " << folder_
           << "/dictd.pid\n}\n";
    for (const std::string &db : databases) {
        const std::string base = std::string(kDictdData) + "/" + db;
        if (access((base + ".index").c_str(), R_OK) != 0) {
            why_ = base + ".index is not installed";
            return;
        }
        config << "database " << db << " {\n  data " << base << ".dict.dz\n  index " << base
               << ".index\n}\n";
    }
    config.close();
    const std::string conf = folder_ + "/dictd.conf";
    const pid_t child = fork();
    if (child == 0) {
        // Its log on standard error stays out of the test's output.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(kDictd, kDictd, "-c", conf.c_str(), "--locale", "C.UTF-8", "-d", "nodetach",
              static_cast<char *>(nullptr));
        _exit(127);
    }
    pid_ = child;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Accepts(port_)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_ ||
            std::chrono::steady_clock::now() > deadline) {
            why_ = "dictd did not start";
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return;
        }
        usleep(20000);
    }
}

LocalDictd::~LocalDictd() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    if (!folder_.empty()) {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
}

}  // namespace tk::test
