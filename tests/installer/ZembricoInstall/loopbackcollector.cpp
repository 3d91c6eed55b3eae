#include "installer/ZembricoInstall/loopbackcollector.h"

#include <chrono>
#include <cstdlib>

#include "installer/ZembricoInstall/installtestkit.h"

namespace {

constexpr std::chrono::milliseconds kWouldHang{kWouldHangMs};

}  // namespace

LoopbackCollector::LoopbackCollector(bool resetAfterAccept, bool unreachableUntilOpened)
    : resetAfterAccept_(resetAfterAccept) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    // A queue of one, once it holds the filler, answers no further attempt.
    if (listener_ == INVALID_SOCKET ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, unreachableUntilOpened ? 0 : 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        std::abort();
    port_ = ntohs(address.sin_port);
    if (!unreachableUntilOpened) {
        thread_ = std::thread([this] { run(); });
        return;
    }
    filler_ = socket(AF_INET, SOCK_STREAM, 0);
    if (::connect(filler_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        std::abort();
}

LoopbackCollector::~LoopbackCollector() {
    // Closing the listener ends the accept loop.
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    if (filler_ != INVALID_SOCKET) closesocket(filler_);
}

void LoopbackCollector::open() {
    const SOCKET filler = accept(listener_, nullptr, nullptr);
    if (filler != INVALID_SOCKET) closesocket(filler);
    thread_ = std::thread([this] { run(); });
}

std::string LoopbackCollector::host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void LoopbackCollector::run() {
    for (;;) {
        SOCKET peer = accept(listener_, nullptr, nullptr);
        if (peer == INVALID_SOCKET) return;
        if (resetAfterAccept_) {
            const linger abort{1, 0};
            setsockopt(peer, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                       sizeof abort);
            closesocket(peer);
        }
        {
            std::lock_guard lock(lock_);
            ++connections_;
        }
        changed_.notify_all();
        if (resetAfterAccept_) continue;
        // One client at a time: the program keeps one connection per analytics object.
        std::string pending;
        char buffer[4096];
        for (int got; (got = recv(peer, buffer, sizeof buffer, 0)) > 0;) {
            pending.append(buffer, got);
            takeRequests(pending);
        }
        closesocket(peer);
    }
}

void LoopbackCollector::takeRequests(std::string& pending) {
    for (;;) {
        const size_t headEnd = pending.find("\r\n\r\n");
        if (headEnd == std::string::npos) return;
        size_t bodyLength = 0;
        const size_t field = pending.find("Content-Length: ");
        if (field != std::string::npos && field < headEnd)
            bodyLength = std::strtoul(pending.c_str() + field + 16, nullptr, 10);
        const size_t total = headEnd + 4 + bodyLength;
        if (pending.size() < total) return;
        {
            std::lock_guard lock(lock_);
            requests_.push_back(pending.substr(0, total));
        }
        changed_.notify_all();
        pending.erase(0, total);
    }
}

std::vector<std::string> LoopbackCollector::waitForRequests(size_t count) {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, kWouldHang, [&] { return requests_.size() >= count; });
    return requests_;
}

bool LoopbackCollector::waitForConnections(int count) {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, kWouldHang, [&] { return connections_ >= count; });
}

std::string LoopbackCollector::Body(const std::string& request) {
    const size_t headEnd = request.find("\r\n\r\n");
    return headEnd == std::string::npos ? std::string() : request.substr(headEnd + 4);
}
