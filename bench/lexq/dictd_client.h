// One persistent connection to a dictd server, for comparing lookup times. dictd writes a
// reply in several pieces; a client whose acknowledgements wait for the delayed-ACK
// timer holds each later piece back by tens of milliseconds, so this one acknowledges at
// once: it re-arms TCP_QUICKACK after every read (the kernel drops it again by itself).
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
    // MATCH database strategy word; returns the number of matches (0 when there is none).
    int Match(const std::string &database, const std::string &strategy, const std::string &word);

  private:
    void QuickAck();
    std::string ReadLine();
    int fd_ = -1;
    std::string buffer_;
};
