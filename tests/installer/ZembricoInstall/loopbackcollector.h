#pragma once

#include <winsock2.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A collector on 127.0.0.1 for analytics tests: accepts connections on a thread of its own and
// splits what arrives into HTTP requests by their Content-Length.
class LoopbackCollector {
  public:
    // `resetAfterAccept`: close each accepted connection at once with a reset, as a collector
    // that goes away would. `unreachableUntilOpened`: until open(), connection attempts get no
    // answer, as on a network that drops the packets (the listener's queue is kept full).
    explicit LoopbackCollector(bool resetAfterAccept = false, bool unreachableUntilOpened = false);
    ~LoopbackCollector();

    // Starts answering: attempts made meanwhile get through at their next retry.
    void open();

    std::uint16_t port() const { return port_; }
    // "127.0.0.1:<port>", the form of the collection host setting.
    std::string host() const;

    // Waits until `count` requests have arrived (or would hang); returns what has arrived.
    std::vector<std::string> waitForRequests(size_t count);
    // Waits until `count` connections have been accepted (and, with `resetAfterAccept`, reset).
    bool waitForConnections(int count);

    // The body of a whole request (after the empty line).
    static std::string Body(const std::string& request);

  private:
    void run();
    void takeRequests(std::string& pending);

    SOCKET listener_ = INVALID_SOCKET;
    // The connection that keeps the listener's queue full until open().
    SOCKET filler_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
    bool resetAfterAccept_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::string> requests_;
    int connections_ = 0;
    std::thread thread_;
};
