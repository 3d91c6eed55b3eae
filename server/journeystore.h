#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "server/funnelcounts.h"
#include "server/journeyfacts.h"
#include "server/sqldb.h"

struct Journey;

// One row of journeys: where an installation came from and the steps it reached.
struct Journey {
    std::int64_t id = 0;  // 0 until stored
    std::string key;
    std::string token;
    std::string clientId;
    std::int64_t day = 0;
    std::string site;
    std::string campaign;
    std::string language;
    std::string version;
    std::int64_t steps = 0;
    std::int64_t firstSeenMs = 0;
    bool fromDownload = false;

    bool operator==(const Journey&) const = default;
};

// The columns of journeys in Journey's order, and a row of them as a Journey.
extern const char kJourneyColumns[];
Journey JourneyFromRow(const SqlRow& row);

// The journey of `key`, locked for this transaction where the database locks rows
// (PostgreSQL; SQLite's write transaction holds the whole file).
std::optional<Journey> LoadJourney(SqlDb& db, const std::string& key);

// Stores `after`, which was `before` (id 0: new), with its facts row, and moves its count in
// `counts` from the buckets and steps of `before` to those of `after`. Sets after.id for a new
// journey.
void SaveJourney(SqlDb& db, const Journey& before, Journey& after, FunnelCounts& counts,
                 JourneyFacts& facts);
