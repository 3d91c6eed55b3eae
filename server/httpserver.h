#pragma once

#include <memory>
#include <string>

#include "server/options.h"
#include "server/router.h"

// The network side: accepts connections on options.listen and turns their requests into calls
// of the router, under the options' limits (connections, header and body size, time to send a
// request, idle time of a kept-alive connection). Requests of one connection are answered in
// order, also when the client sends the next before reading an answer or never reads one.
class HttpServer {
  public:
    // Binds and listens; throws std::runtime_error naming the address when it cannot.
    HttpServer(const ServerOptions& options, const Router& router);
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;
    ~HttpServer();

    // Where it listens, "ADDRESS:PORT" (the port chosen when the options asked for port 0).
    std::string address() const;

    // Serves until SIGTERM or SIGINT arrives or stop() is called; then accepts nothing more,
    // closes idle connections, lets running requests (downloads included) finish for
    // options.shutdownSeconds, closes what is left and returns.
    void run();
    // From any thread, as SIGTERM.
    void stop();

  private:
    struct State;
    std::unique_ptr<State> state_;
};
