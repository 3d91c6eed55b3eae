#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "server/hitbody.h"
#include "server/sqldb.h"

struct ReceivedHit {
    HitFields fields;
    std::int64_t receivedMs = 0;  // Unix time
    std::string peer;
};

// One download as the download path logs it.
struct DownloadRecord {
    std::int64_t timeMs = 0;  // Unix time
    std::string build;        // the file's name
    std::string tag;          // the tracking text served in it; "" for the untagged build
    std::string peer;
    std::uint64_t bytesSent = 0;
    bool completed = false;
};

using StoreItem = std::variant<ReceivedHit, DownloadRecord>;

// Stores `items` in order and counts them into their journeys and the daily counts, in one
// transaction: all are stored or none. A hit's journey is its download token's (the token in its
// cd12, see groupid.h), else its client id's and group id's; a download's is its token's. A
// journey's day, site and campaign are its download's when there is one, else those of its
// first hit; its version and language are the last ones reported. Throws SqlError.
void StoreItems(SqlDb& db, std::span<const StoreItem> items);

// The UTC day of a Unix time in milliseconds, counted from 1970-01-01.
std::int64_t DayOf(std::int64_t unixMs);
