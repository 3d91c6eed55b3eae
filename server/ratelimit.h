#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

// A token bucket per key (a client address): `rate` a second on average, `burst` at once.
// Keys whose bucket is full again carry no state and are forgotten when the table is full.
class RateLimiter {
  public:
    using Clock = std::chrono::steady_clock;

    struct Verdict {
        bool allowed;
        std::uint64_t refusedBefore;  // refusals of this key since its last allowed call
    };

    // `rate` 0: everything is allowed.
    RateLimiter(double rate, double burst, std::size_t maxKeys = 100000);

    Verdict take(std::string_view key, Clock::time_point now = Clock::now());

  private:
    struct Bucket {
        double tokens;
        Clock::time_point last;
        std::uint64_t refused = 0;
    };

    void makeRoom(Clock::time_point now);

    const double rate_;
    const double burst_;
    const std::size_t maxKeys_;
    std::mutex lock_;
    std::unordered_map<std::string, Bucket> buckets_;
};

// One log line per key and event every `seconds` at most, for refusals that a flood repeats.
class LogThrottle {
  public:
    explicit LogThrottle(double seconds) : limiter_(1.0 / seconds, 1.0) {}

    // Whether to log now; `suppressed` is then the lines left out since the last one.
    bool due(std::string_view key, std::uint64_t& suppressed) {
        const RateLimiter::Verdict verdict = limiter_.take(key);
        suppressed = verdict.refusedBefore;
        return verdict.allowed;
    }

  private:
    RateLimiter limiter_;
};
