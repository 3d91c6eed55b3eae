#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "server/sqldb.h"

struct Journey;

// Changes to funnel_daily, gathered over a transaction and written at its end: each row once,
// with the sum of its changes, in the order of its key (so that replicas sharing PostgreSQL
// take the rows' locks in one order and do not deadlock).
class FunnelCounts {
  public:
    // Counts `journey` `sign` times (1 or -1) in its rows: all journeys, and its value of each
    // filter, on its day.
    void add(const Journey& journey, std::int64_t sign);
    // Writes the rows that changed and forgets them.
    void write(SqlDb& db);

  private:
    using Key = std::tuple<std::string, std::string, std::int64_t>;  // kind, value, day
    std::map<Key, std::vector<std::int64_t>> deltas_;                // journeys, then one per step
};
