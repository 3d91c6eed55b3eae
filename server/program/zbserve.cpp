// zbserve: receives the setup program's analytics hits and shows the install funnel.

#include <csignal>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "server/httpserver.h"
#include "server/jsonlog.h"
#include "server/routes.h"

extern char** environ;

namespace {

// Items the store writer may hold before it refuses hits (about a minute of a busy server's
// hits when the store stalls).
constexpr std::size_t kMaxQueued = 200000;

ParsedOptions ReadOptions(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    std::vector<std::string_view> environment;
    for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
    return ParseOptions(args, environment);
}

int Serve(const ServerOptions& options) {
    CoreLogGuard coreLog;
    const Store store(options.store, options.sync);
    const Logins logins(ReadPassword(options.passwordFile, options.password),
                        std::chrono::hours(options.sessionHours));
    StoreWriter writer(store, kMaxQueued);
    SqlPool readers(store);
    WorkPool pool(2);
    ServerContext context{options, writer, readers, logins};
    const Router router(
        ServerRoutes(context),
        [&logins](const HttpRequest& request) {
            return logins.valid(Logins::FromCookieHeader(request.header("Cookie")));
        },
        pool);
    HttpServer server(options, router);
    LogEvent("listening")
        .text("address", server.address())
        .text("store", store.describe())
        .text("dashboard", logins.enabled() ? "password set" : "no password: login refused");
    server.run();
    LogEvent("stopped");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A client that goes away while a file is sent to it must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    ParsedOptions parsed;
    try {
        parsed = ReadOptions(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zbserve: %s\n(zbserve --help lists the options)\n", error.what());
        return 2;
    }
    if (parsed.help) {
        std::fputs(OptionsHelp().c_str(), stdout);
        return 0;
    }
    try {
        return Serve(parsed.options);
    } catch (const std::exception& error) {
        LogEvent("failed").text("error", error.what());
        return 1;
    }
}
