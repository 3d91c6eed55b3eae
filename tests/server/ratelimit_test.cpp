#include "server/ratelimit.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
const RateLimiter::Clock::time_point kStart{};

TEST(RateLimiter, AllowsABurstThenTheRateAndCountsRefusals) {
    RateLimiter limiter(/*rate=*/2, /*burst=*/3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limiter.take("a", kStart).allowed);
    EXPECT_FALSE(limiter.take("a", kStart).allowed);
    EXPECT_FALSE(limiter.take("a", kStart + 100ms).allowed);
    // Another address has its own bucket.
    EXPECT_TRUE(limiter.take("b", kStart).allowed);
    const RateLimiter::Verdict later = limiter.take("a", kStart + 500ms);
    EXPECT_TRUE(later.allowed);
    EXPECT_EQ(later.refusedBefore, 2u);
    EXPECT_FALSE(limiter.take("a", kStart + 500ms).allowed);
}

TEST(RateLimiter, RateZeroAllowsEverything) {
    RateLimiter limiter(0, 1);
    for (int i = 0; i < 1000; ++i) EXPECT_TRUE(limiter.take("a", kStart).allowed);
}

TEST(RateLimiter, AFullTableForgetsRefilledKeysFirst) {
    RateLimiter limiter(/*rate=*/1, /*burst=*/2, /*maxKeys=*/2);
    limiter.take("busy", kStart);
    limiter.take("busy", kStart);
    limiter.take("idle", kStart);
    // Two seconds on, "idle" has refilled and "busy", used again, has not: "idle" goes and
    // "busy" keeps its one token (a fresh bucket would hold two).
    EXPECT_TRUE(limiter.take("busy", kStart + 1500ms).allowed);
    EXPECT_TRUE(limiter.take("new", kStart + 2s).allowed);
    EXPECT_TRUE(limiter.take("busy", kStart + 2s).allowed);
    EXPECT_FALSE(limiter.take("busy", kStart + 2s).allowed);
}

}  // namespace
