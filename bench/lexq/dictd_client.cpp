#include "dictd_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

DictdClient::DictdClient(const std::string &host, int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (fd_ < 0 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 ||
        ::connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot connect to dictd at " + host);
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    QuickAck();
    if (ReadLine().rfind("220", 0) != 0)
        throw std::runtime_error("dictd did not greet");
}

DictdClient::~DictdClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

void DictdClient::QuickAck() {
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
}

std::string DictdClient::ReadLine() {
    for (;;) {
        const std::size_t eol = buffer_.find("\r\n");
        if (eol != std::string::npos) {
            std::string line = buffer_.substr(0, eol);
            buffer_.erase(0, eol + 2);
            return line;
        }
        char chunk[65536];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n <= 0)
            throw std::runtime_error("dictd closed the connection");
        QuickAck();
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

int DictdClient::Define(const std::string &database, const std::string &word) {
    std::string quoted;
    for (char c : word)
        if (c != '"' && c != '\\')
            quoted += c;
    const std::string request = "DEFINE " + database + " \"" + quoted + "\"\r\n";
    if (::write(fd_, request.data(), request.size()) != ssize_t(request.size()))
        throw std::runtime_error("cannot write to dictd");
    QuickAck();
    int definitions = 0;
    for (;;) {
        const std::string line = ReadLine();
        if (line.rfind("150", 0) == 0)
            definitions = std::atoi(line.c_str() + 4);
        if (line.rfind("250", 0) == 0)
            return definitions;
        if (line.rfind("552", 0) == 0)
            return 0;
        if (line.size() >= 3 && (line[0] == '4' || line[0] == '5') && line[3] == ' ')
            throw std::runtime_error("dictd: " + line);
    }
}

int DictdClient::Match(const std::string &database, const std::string &strategy,
                       const std::string &word) {
    std::string quoted;
    for (char c : word)
        if (c != '"' && c != '\\')
            quoted += c;
    const std::string request = "MATCH " + database + " " + strategy + " \"" + quoted + "\"\r\n";
    if (::write(fd_, request.data(), request.size()) != ssize_t(request.size()))
        throw std::runtime_error("cannot write to dictd");
    QuickAck();
    int matches = 0;
    for (;;) {
        const std::string line = ReadLine();
        if (line.rfind("152", 0) == 0)
            matches = std::atoi(line.c_str() + 4);
        if (line.rfind("250", 0) == 0)
            return matches;
        if (line.rfind("552", 0) == 0)
            return 0;
        if (line.size() >= 3 && (line[0] == '4' || line[0] == '5') && line[3] == ' ')
            throw std::runtime_error("dictd: " + line);
    }
}
