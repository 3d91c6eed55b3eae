#pragma once

#include <vector>

#include "server/router.h"
#include "server/servercontext.h"

// Every route of the server. Each part adds its own rows (routes.cpp lists the parts), so that a
// new part is its own files and one line there.
std::vector<Route> ServerRoutes(ServerContext& context);

// The parts.
void AddDownloadRoutes(std::vector<Route>& routes, ServerContext& context);
void AddCollectRoutes(std::vector<Route>& routes, ServerContext& context);
void AddLoginRoutes(std::vector<Route>& routes, ServerContext& context);
void AddDashboardRoutes(std::vector<Route>& routes, ServerContext& context);
