#include "server/httpserver.h"

#include <csignal>
#include <stdexcept>
#include <thread>

#include "server/httpsession.h"
#include "server/jsonlog.h"

namespace {

tcp::endpoint ParseListen(const std::string& listen) {
    const std::size_t colon = listen.rfind(':');
    if (colon == std::string::npos)
        throw std::runtime_error("--listen wants ADDRESS:PORT, not \"" + listen + "\"");
    std::string host = listen.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    boost::system::error_code error;
    const auto address = asio::ip::make_address(host.empty() ? "0.0.0.0" : host, error);
    unsigned long port = 0;
    try {
        port = std::stoul(listen.substr(colon + 1));
    } catch (const std::exception&) {
        port = 65536;
    }
    if (error || port > 65535)
        throw std::runtime_error("--listen wants ADDRESS:PORT, not \"" + listen + "\"");
    return tcp::endpoint(address, static_cast<unsigned short>(port));
}

}  // namespace

struct HttpServer::State {
    State(const ServerOptions& options, const Router& router)
        : hub(options, router),
          control(asio::make_strand(io)),
          acceptor(control),
          signals(control, SIGTERM, SIGINT),
          grace(control),
          pause(control) {
        hub.allGone = [this] { asio::post(control, [this] { grace.cancel(); }); };
    }

    void accept();
    void onAccept(boost::system::error_code error, tcp::socket socket);
    void drain();

    asio::io_context io;
    SessionHub hub;
    // The acceptor, the signals and the timers are used on this strand alone.
    asio::strand<asio::io_context::executor_type> control;
    tcp::acceptor acceptor;
    asio::signal_set signals;
    asio::steady_timer grace;
    asio::steady_timer pause;
};

void HttpServer::State::accept() {
    acceptor.async_accept(
        asio::make_strand(io),
        asio::bind_executor(control, [this](boost::system::error_code error, tcp::socket socket) {
            onAccept(error, std::move(socket));
        }));
}

void HttpServer::State::onAccept(boost::system::error_code error, tcp::socket socket) {
    if (hub.draining || !acceptor.is_open()) return;
    if (error) {
        // Out of descriptors, most likely: waiting a moment lets connections end.
        LogEvent("accept_failed").text("error", error.message());
        pause.expires_after(std::chrono::milliseconds(100));
        pause.async_wait([this](boost::system::error_code) { accept(); });
        return;
    }
    if (hub.count() >= hub.options.maxConnections) {
        boost::system::error_code ignored;
        const std::string peer = socket.remote_endpoint(ignored).address().to_string();
        std::uint64_t suppressed = 0;
        if (hub.refusals.due(peer + " connections", suppressed)) {
            LogEvent("connection_refused")
                .text("peer", peer)
                .text("reason", "too many connections")
                .number("suppressed", static_cast<std::int64_t>(suppressed));
        }
        socket.close(ignored);
    } else {
        std::make_shared<HttpSession>(std::move(socket), hub)->start();
    }
    accept();
}

void HttpServer::State::drain() {
    if (hub.draining.exchange(true)) return;
    LogEvent("stopping")
        .number("connections", static_cast<std::int64_t>(hub.count()))
        .number("grace_seconds", static_cast<std::int64_t>(hub.options.shutdownSeconds));
    boost::system::error_code ignored;
    acceptor.close(ignored);
    signals.cancel(ignored);
    pause.cancel();
    hub.forEach(&HttpSession::closeIfIdle);
    grace.expires_after(std::chrono::seconds(hub.options.shutdownSeconds));
    grace.async_wait([this](boost::system::error_code error) {
        if (!error) hub.forEach(&HttpSession::closeNow);
    });
    // The last connection may have ended before the timer was set; then nothing would cancel it.
    if (hub.count() == 0) grace.cancel();
}

HttpServer::HttpServer(const ServerOptions& options, const Router& router)
    : state_(std::make_unique<State>(options, router)) {
    const tcp::endpoint endpoint = ParseListen(options.listen);
    boost::system::error_code error;
    state_->acceptor.open(endpoint.protocol(), error);
    if (!error) state_->acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error) state_->acceptor.bind(endpoint, error);
    if (!error) state_->acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error)
        throw std::runtime_error("cannot listen on " + options.listen + ": " + error.message());
}

HttpServer::~HttpServer() = default;

std::string HttpServer::address() const {
    boost::system::error_code ignored;
    const tcp::endpoint endpoint = state_->acceptor.local_endpoint(ignored);
    const std::string host = endpoint.address().to_string();
    return (endpoint.address().is_v6() ? "[" + host + "]" : host) + ":" +
           std::to_string(endpoint.port());
}

void HttpServer::run() {
    State& state = *state_;
    state.signals.async_wait([&state](boost::system::error_code error, int) {
        if (!error) state.drain();
    });
    asio::post(state.control, [&state] { state.accept(); });
    unsigned threads = static_cast<unsigned>(state.hub.options.threads);
    if (threads == 0) threads = std::max(2u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i) helpers.emplace_back([&state] { state.io.run(); });
    state.io.run();
    for (std::thread& helper : helpers) helper.join();
}

void HttpServer::stop() {
    asio::post(state_->control, [this] { state_->drain(); });
}
