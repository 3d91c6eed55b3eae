#include "server/ratelimit.h"

#include <algorithm>
#include <utility>

RateLimiter::RateLimiter(double rate, double burst, std::size_t maxKeys)
    : rate_(rate), burst_(burst), maxKeys_(maxKeys) {}

RateLimiter::Verdict RateLimiter::take(std::string_view key, Clock::time_point now) {
    if (rate_ <= 0) return {true, 0};
    std::lock_guard guard(lock_);
    auto found = buckets_.find(std::string(key));
    if (found == buckets_.end()) {
        if (buckets_.size() >= maxKeys_) makeRoom(now);
        found = buckets_.emplace(std::string(key), Bucket{burst_, now}).first;
    }
    Bucket& bucket = found->second;
    const double elapsed = std::chrono::duration<double>(now - bucket.last).count();
    bucket.tokens = std::min(burst_, bucket.tokens + elapsed * rate_);
    bucket.last = now;
    if (bucket.tokens < 1) {
        ++bucket.refused;
        return {false, 0};
    }
    bucket.tokens -= 1;
    return {true, std::exchange(bucket.refused, 0)};
}

// Forgets the keys whose buckets have refilled; when every key is busy (a flood from very many
// addresses), all of them: each starts afresh with a full bucket, which costs one burst each.
void RateLimiter::makeRoom(Clock::time_point now) {
    std::erase_if(buckets_, [&](const auto& entry) {
        const double elapsed = std::chrono::duration<double>(now - entry.second.last).count();
        return entry.second.tokens + elapsed * rate_ >= burst_;
    });
    if (buckets_.size() >= maxKeys_) buckets_.clear();
}
