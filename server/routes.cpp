#include "server/routes.h"

std::vector<Route> ServerRoutes(ServerContext& context) {
    std::vector<Route> routes;
    AddDownloadRoutes(routes, context);
    AddCollectRoutes(routes, context);
    AddLoginRoutes(routes, context);
    AddDashboardRoutes(routes, context);
    return routes;
}
