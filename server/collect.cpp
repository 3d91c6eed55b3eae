// POST /collect and GET /collect: the setup program's analytics hits.

#include <chrono>
#include <memory>

#include "server/hitbody.h"
#include "server/jsonlog.h"
#include "server/ratelimit.h"
#include "server/routes.h"

namespace {

class Collector {
  public:
    explicit Collector(ServerContext& context)
        : context_(context),
          limiter_(static_cast<double>(context.options.collectRate),
                   static_cast<double>(context.options.collectBurst)),
          logThrottle_(10) {}

    // The hit is answered once it is stored: 204, or 503 when the store failed. Refusals are
    // answered at once and logged, one line per address and reason every ten seconds.
    void collect(const HttpRequest& request, const Reply& reply) {
        const std::string_view body = request.method == "POST" ? request.body : request.query;
        if (!limiter_.take(request.peer).allowed)
            return refuse(request, reply, 429, "too many hits from this address");
        if (body.size() > kMaxHitBody) return refuse(request, reply, 413, "body too long");
        std::string why;
        std::optional<HitFields> fields = ParseHitBody(body, why);
        if (!fields) return refuse(request, reply, 400, why);
        ReceivedHit hit{std::move(*fields), NowMs(), request.peer};
        const bool queued = context_.writer.add(std::move(hit), [reply](bool stored) {
            reply(stored ? Answer(204) : PlainResponse(503, "Not stored; send it again."));
        });
        if (!queued) refuse(request, reply, 503, "the store is behind");
    }

  private:
    static HttpResponse Answer(int status) {
        HttpResponse response;
        response.status = status;
        return response;
    }

    static std::int64_t NowMs() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

    void refuse(const HttpRequest& request, const Reply& reply, int status,
                std::string_view reason) {
        std::uint64_t suppressed = 0;
        if (logThrottle_.due(request.peer + " " + std::string(reason), suppressed)) {
            LogEvent("hit_refused")
                .text("peer", request.peer)
                .number("status", status)
                .text("reason", reason)
                .number("suppressed", static_cast<std::int64_t>(suppressed));
        }
        reply(PlainResponse(status, StatusText(status)));
    }

    ServerContext& context_;
    RateLimiter limiter_;
    LogThrottle logThrottle_;
};

}  // namespace

void AddCollectRoutes(std::vector<Route>& routes, ServerContext& context) {
    auto collector = std::make_shared<Collector>(context);
    auto handle = [collector](HttpRequest& request, Reply reply) {
        collector->collect(request, reply);
    };
    routes.push_back({"POST", "/collect", Access::Public, Runs::Network, handle});
    routes.push_back({"GET", "/collect", Access::Public, Runs::Network, handle});
}
