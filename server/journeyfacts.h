#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "server/sqldb.h"

struct Journey;

// The narrow copy of each journey (journey_facts): its day, steps and filters' values, the
// values as numbers of dimension_ids, so that a view filtered by several reads little. Used for
// one transaction: the numbers it made are remembered only until then (a rolled-back one
// never made them).
class JourneyFacts {
  public:
    // Writes the facts row of the stored `journey` (its id set).
    void save(SqlDb& db, const Journey& journey);

  private:
    std::int64_t idOf(SqlDb& db, const char* kind, const std::string& value);

    std::map<std::pair<std::string, std::string>, std::int64_t> ids_;
};

// The number of a filter's value ("site" and "FR"); nothing when no journey ever had it.
std::optional<std::int64_t> DimensionId(SqlDb& db, const std::string& kind,
                                        const std::string& value);
