#include "server/router.h"

#include <exception>

#include "plib/perror.h"
#include "server/jsonlog.h"

namespace {

bool PathMatches(std::string_view pattern, std::string_view path) {
    if (pattern.ends_with("/*")) return path.starts_with(pattern.substr(0, pattern.size() - 1));
    return path == pattern;
}

bool MethodMatches(std::string_view routeMethod, std::string_view method) {
    return method == routeMethod || (routeMethod == "GET" && method == "HEAD");
}

// Pages send a person to the login form; anything else (CSV, API) gets a plain refusal.
HttpResponse LoginRequired(const HttpRequest& request) {
    if (request.method != "GET" || request.path.ends_with(".csv"))
        return PlainResponse(401, "Log in first.");
    HttpResponse response = PlainResponse(303, "Log in first.");
    response.header("Location", "/login");
    return response;
}

void Failed(const HttpRequest& request, Reply& reply, const char* why) {
    LogEvent("route_failed").text("path", request.path).text("error", why);
    reply(PlainResponse(500, "The server failed; the log says why."));
}

void Run(const Route& route, HttpRequest& request, Reply& reply) {
    try {
        route.handle(request, reply);
    } catch (const std::exception& error) {
        Failed(request, reply, error.what());
    } catch (const PError& error) {
        Failed(request, reply, error.why());
    }
}

}  // namespace

Router::Router(std::vector<Route> routes, LoginCheck isOperator, WorkPool& pool)
    : routes_(std::move(routes)), isOperator_(std::move(isOperator)), pool_(pool) {}

const Route* Router::find(const HttpRequest& request, bool& pathKnown) const {
    pathKnown = false;
    for (const Route& route : routes_) {
        if (!PathMatches(route.path, request.path)) continue;
        pathKnown = true;
        if (MethodMatches(route.method, request.method)) return &route;
    }
    return nullptr;
}

void Router::dispatch(HttpRequest request, Reply reply) const {
    bool pathKnown = false;
    const Route* route = find(request, pathKnown);
    if (!route) {
        reply(pathKnown ? PlainResponse(405, "Method not allowed.")
                        : PlainResponse(404, "Not found."));
        return;
    }
    if (route->access == Access::Operator && !isOperator_(request)) {
        reply(LoginRequired(request));
        return;
    }
    if (route->runs == Runs::Network) {
        Run(*route, request, reply);
        return;
    }
    pool_.post([route, request = std::move(request), reply = std::move(reply)]() mutable {
        Run(*route, request, reply);
    });
}
