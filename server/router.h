#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "server/http.h"
#include "server/workpool.h"

// Who may call a route: anyone, or an operator logged in to the dashboard.
enum class Access { Public, Operator };
// Where a route runs: on a network thread (it must not block: it hands slow work on and
// replies later), or on the work pool (store queries, files).
enum class Runs { Network, Pool };

struct Route {
    std::string_view method;  // a "GET" route answers HEAD too
    std::string_view path;    // exact; "/download/*" matches every path under /download/
    Access access;
    Runs runs;
    std::function<void(HttpRequest& request, Reply reply)> handle;
};

// Finds each request's route: 404 for an unknown path, 405 for a known path with another
// method, and for an operator route without a login a redirect to the login page (pages) or 401.
class Router {
  public:
    using LoginCheck = std::function<bool(const HttpRequest& request)>;

    Router(std::vector<Route> routes, LoginCheck isOperator, WorkPool& pool);

    void dispatch(HttpRequest request, Reply reply) const;

  private:
    const Route* find(const HttpRequest& request, bool& pathKnown) const;

    std::vector<Route> routes_;
    LoginCheck isOperator_;
    WorkPool& pool_;
};
