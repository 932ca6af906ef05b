// One persistent connection to a dictd server, for comparing lookup times.
#pragma once

#include <string>

class DictdClient {
  public:
    // Connects to host:port and reads the banner; throws std::runtime_error on failure.
    DictdClient(const std::string &host, int port);
    ~DictdClient();
    DictdClient(const DictdClient &) = delete;
    DictdClient &operator=(const DictdClient &) = delete;

    // DEFINE database word; returns the number of definitions (0 when there is no match).
    int Define(const std::string &database, const std::string &word);

  private:
    std::string ReadLine();
    int fd_ = -1;
    std::string buffer_;
};
