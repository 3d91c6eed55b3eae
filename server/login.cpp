// Logging in to the dashboard and out again.

#include <chrono>
#include <memory>

#include "server/formfields.h"
#include "server/html.h"
#include "server/jsonlog.h"
#include "server/ratelimit.h"
#include "server/routes.h"

namespace {

std::string LoginPage(std::string_view message) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>Log in · Zembrico Setup</title><link rel=\"stylesheet\" href=\"" +
        std::string(kStylePath) +
        "\"></head><body><form class=\"login\" method=\"post\" action=\"/login\">"
        "<h1>Zembrico Setup</h1><p class=\"sub\">The install funnel, for operators.</p>"
        "<label>Password<input type=\"password\" name=\"password\" "
        "autocomplete=\"current-password\" "
        "autofocus required></label><button class=\"button\" type=\"submit\">Log in</button>";
    if (!message.empty()) page += "<p class=\"error\" role=\"alert\">" + Html(message) + "</p>";
    return page + "</form></body></html>\n";
}

HttpResponse SeeOther(std::string_view where) {
    HttpResponse response = PlainResponse(303, "See " + std::string(where));
    response.header("Location", std::string(where));
    return response;
}

std::string Cookie(std::string_view value, std::chrono::seconds lifetime) {
    return std::string(Logins::kCookie) + "=" + std::string(value) +
           "; Path=/; HttpOnly; SameSite=Strict; Max-Age=" + std::to_string(lifetime.count());
}

class LoginDesk {
  public:
    explicit LoginDesk(ServerContext& context)
        : context_(context), attempts_(/*rate=*/0.2, /*burst=*/10) {}

    void logIn(const HttpRequest& request, const Reply& reply) {
        // Guessing is slowed per address: ten tries, then one every five seconds.
        if (!attempts_.take(request.peer).allowed) {
            LogEvent("login_refused").text("peer", request.peer).text("reason", "too many tries");
            return reply(Page(429, "Too many tries; wait a minute."));
        }
        const auto cookie = context_.logins.login(FormField(request.body, "password").value_or(""));
        if (!cookie) {
            LogEvent("login_refused").text("peer", request.peer).text("reason", "wrong password");
            return reply(Page(401, context_.logins.enabled()
                                       ? "That is not the password."
                                       : "No password is set: start zbserve with one."));
        }
        LogEvent("login").text("peer", request.peer);
        HttpResponse response = SeeOther("/dashboard");
        response.header("Set-Cookie",
                        Cookie(*cookie, std::chrono::hours(context_.options.sessionHours)));
        reply(std::move(response));
    }

    static HttpResponse Page(int status, std::string_view message) {
        HttpResponse response = HtmlResponse(LoginPage(message));
        response.status = status;
        return response;
    }

  private:
    ServerContext& context_;
    RateLimiter attempts_;
};

}  // namespace

void AddLoginRoutes(std::vector<Route>& routes, ServerContext& context) {
    auto desk = std::make_shared<LoginDesk>(context);
    routes.push_back({"GET", "/login", Access::Public, Runs::Network,
                      [](HttpRequest&, Reply reply) { reply(LoginDesk::Page(200, "")); }});
    routes.push_back({"POST", "/login", Access::Public, Runs::Network,
                      [desk](HttpRequest& request, Reply reply) { desk->logIn(request, reply); }});
    routes.push_back(
        {"POST", "/logout", Access::Public, Runs::Network, [](HttpRequest&, Reply reply) {
             HttpResponse response = SeeOther("/login");
             response.header("Set-Cookie", Cookie("", std::chrono::seconds(0)));
             reply(std::move(response));
         }});
    routes.push_back({"GET", "/", Access::Public, Runs::Network,
                      [](HttpRequest&, Reply reply) { reply(SeeOther("/dashboard")); }});
}
