// The dashboard's views: the funnel (page and CSV) and the installations. All of them behind
// the login; the style sheet not.

#include <charconv>

#include "server/dates.h"
#include "server/formfields.h"
#include "server/funnelform.h"
#include "server/funnelpage.h"
#include "server/html.h"
#include "server/installationspage.h"
#include "server/routes.h"

namespace {

// Values offered per filter at most (a campaign per affiliate can make many).
constexpr std::size_t kMaxChoices = 1000;
constexpr std::size_t kMaxJourneys = 200;
constexpr std::size_t kMaxHits = 2000;

HttpResponse FunnelView(SqlDb& db, const HttpRequest& request) {
    const FunnelFilter filter = ReadFunnelForm(request.query, Today());
    const FunnelReport report = QueryFunnel(db, filter);
    const FilterChoices choices{
        FilterValues(db, "site", kMaxChoices), FilterValues(db, "campaign", kMaxChoices),
        FilterValues(db, "language", kMaxChoices), FilterValues(db, "version", kMaxChoices)};
    return HtmlResponse(DashboardPage("Funnel", "Funnel", FunnelPageBody(filter, report, choices)));
}

HttpResponse FunnelCsvView(SqlDb& db, const HttpRequest& request) {
    const FunnelFilter filter = ReadFunnelForm(request.query, Today());
    HttpResponse response;
    response.text("text/csv; charset=utf-8", FunnelCsv(QueryFunnel(db, filter)));
    response.header("Content-Disposition", "attachment; filename=\"funnel-" +
                                               DayText(filter.fromDay) + "-to-" +
                                               DayText(filter.toDay) + ".csv\"");
    response.header("Cache-Control", "no-store");
    return response;
}

HttpResponse InstallationsView(SqlDb& db, const HttpRequest& request) {
    const std::string by = FormField(request.query, "by").value_or("");
    const std::string value = FormField(request.query, "value").value_or("");
    JourneySearch search = JourneySearch::Latest;
    if (!value.empty() && by == "client") search = JourneySearch::ClientId;
    if (!value.empty() && by == "token") search = JourneySearch::Token;
    return HtmlResponse(DashboardPage(
        "Installations", "Installations",
        InstallationsBody(search, value, FindJourneys(db, search, value, kMaxJourneys))));
}

HttpResponse InstallationView(SqlDb& db, const HttpRequest& request) {
    const std::string text = FormField(request.query, "id").value_or("");
    std::int64_t id = 0;
    std::from_chars(text.data(), text.data() + text.size(), id);
    const std::optional<Journey> journey = JourneyById(db, id);
    if (!journey) return PlainResponse(404, "No such installation.");
    return HtmlResponse(
        DashboardPage("Installation", "Installations",
                      InstallationBody(*journey, DownloadsOf(db, id), HitsOf(db, id, kMaxHits))));
}

// A view run on the work pool with a reader connection; a connection whose query failed is
// not given back.
Route View(std::string_view path, HttpResponse (*render)(SqlDb&, const HttpRequest&),
           SqlPool& readers) {
    return {"GET", path, Access::Operator, Runs::Pool,
            [render, &readers](HttpRequest& request, Reply reply) {
                SqlPool::Lease db = readers.lease();
                try {
                    reply(render(*db, request));
                } catch (...) {
                    db.discard();
                    throw;
                }
            }};
}

}  // namespace

void AddDashboardRoutes(std::vector<Route>& routes, ServerContext& context) {
    routes.push_back(
        {"GET", kStylePath, Access::Public, Runs::Network, [](HttpRequest&, Reply reply) {
             HttpResponse response;
             response.text("text/css; charset=utf-8", std::string(DashboardStyle()));
             response.header("Cache-Control", "max-age=3600");
             reply(std::move(response));
         }});
    routes.push_back(View("/dashboard", FunnelView, context.readers));
    routes.push_back(View("/dashboard/funnel.csv", FunnelCsvView, context.readers));
    routes.push_back(View("/dashboard/installations", InstallationsView, context.readers));
    routes.push_back(View("/dashboard/installation", InstallationView, context.readers));
}
