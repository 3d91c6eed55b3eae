#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "server/ingest.h"

// Made-up installations for the bench: each the hits (and, mostly, the download) a real one
// would send, with the drop-off of a plausible funnel and skewed sites, campaigns, languages
// and versions.
class JourneyMaker {
  public:
    explicit JourneyMaker(std::uint64_t seed) : random_(seed) {}

    // The bodies of one installation's hits in the order the setup program sends them, both
    // accounts; `clientId` names the machine. Sets `download` when the journey came through
    // the download path.
    std::vector<std::string> hits(const std::string& clientId, std::int64_t dayStartMs,
                                  DownloadRecord* download);

  private:
    bool chance(double p) { return std::uniform_real_distribution<>(0, 1)(random_) < p; }
    // An index below `n`, small ones far more often (Zipf-like).
    std::size_t skewed(std::size_t n);

    std::mt19937_64 random_;
};
