#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/journeystore.h"
#include "server/sqldb.h"

// The installations' own records, for the dashboard's lists and details.

// The newest journeys, at most `limit`: of one client id, of one download token, or all.
enum class JourneySearch { Latest, ClientId, Token };
std::vector<Journey> FindJourneys(SqlDb& db, JourneySearch by, const std::string& value,
                                  std::size_t limit);

std::optional<Journey> JourneyById(SqlDb& db, std::int64_t id);

struct DownloadRow {
    std::int64_t timeMs;
    std::string build, token, tag, peer;
    std::int64_t bytesSent;
    bool completed;
};
std::vector<DownloadRow> DownloadsOf(SqlDb& db, std::int64_t journeyId);

struct HitRow {
    std::int64_t receivedMs;
    std::string peer, account, clientId, appName, appVersion, type, screen, category, action, label,
        value, groupId;
};
// In the order received, grouped by client id (clients in the order they first sent).
std::vector<HitRow> HitsOf(SqlDb& db, std::int64_t journeyId, std::size_t limit);
