#include "plib/win/ptime.h"

#include <gtest/gtest.h>

#include "plib/psystem.h"

namespace {

// The offset agrees with the system's own local-time conversion of the same instant.
TEST(PTime, OffsetIsUtcMinusLocalTime) {
    const std::uint64_t now = PFileTimeNow();
    const std::tm utc = PFileTimeToUtc(now);
    const std::tm local = PFileTimeToLocal(now);
    const auto seconds = [](const std::tm& t) {
        return static_cast<std::int64_t>(PUtcToFileTime(t) / 10000000);
    };
    const std::int64_t offset = seconds(utc) - seconds(local);
    // In UTC a function that ignores the zone would pass too; the test command sets one.
    ASSERT_NE(offset, 0) << "runs in UTC: set TZ to a zone away from it";
    EXPECT_EQ(PTimeZoneOffsetSeconds(), offset);
}

}  // namespace
