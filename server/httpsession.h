#pragma once

// The connection side of HttpServer, shared by its two sources only: it pulls in the network
// library, which nothing else needs to see.

#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "server/http.h"
#include "server/options.h"
#include "server/ratelimit.h"
#include "server/router.h"

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;

class HttpSession;

// What every connection of one server shares.
struct SessionHub {
    SessionHub(const ServerOptions& options, const Router& router)
        : options(options), router(router) {}

    const ServerOptions& options;
    const Router& router;
    std::atomic<bool> draining{false};
    std::mutex lock;
    std::unordered_map<HttpSession*, std::weak_ptr<HttpSession>> sessions;
    // Called when the last connection has ended while draining.
    std::function<void()> allGone;
    // Refused requests and connections are logged once per address and reason every ten
    // seconds: a flood of them would otherwise be a flood of lines.
    LogThrottle refusals{10};

    std::size_t count();
    // Calls `act` on the strand of every live connection.
    void forEach(void (HttpSession::*act)());
};

class HttpSession : public std::enable_shared_from_this<HttpSession> {
  public:
    HttpSession(tcp::socket socket, SessionHub& hub);
    ~HttpSession();

    void start();
    // Ends the connection if it waits for a request; a running one ends after its answer.
    void closeIfIdle();
    // Ends the connection now.
    void closeNow();
    asio::any_io_executor socketExecutor();

  private:
    struct AnswerTarget {
        explicit AnswerTarget(HttpSession& session);
        asio::any_io_executor executor;  // declared first, so ended last
        std::shared_ptr<HttpSession> session;
    };

    void waitForRequest();
    void readRequest();
    void onRequest(boost::system::error_code error);
    void refuse(int status, std::string_view reason);
    void respond(HttpResponse response);
    void writePart(std::size_t index);
    void sendFilePart(std::size_t index, std::uint64_t done);
    void finish(bool complete);
    void arm(std::uint64_t seconds);
    void watch();
    HttpRequest takeRequest();

    SessionHub& hub_;
    tcp::socket socket_;
    asio::steady_timer timer_;
    std::chrono::steady_clock::time_point deadline_;
    bool watching_ = false;
    boost::beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<http::response<http::empty_body>> head_;
    std::optional<http::response_serializer<http::empty_body>> serializer_;
    HttpResponse response_;
    std::string peer_;
    std::uint64_t sent_ = 0;
    bool keepAlive_ = false;
    bool idle_ = false;
};
