#include "installer/core/settingsfiles.h"

#include <gtest/gtest.h>

namespace {

TEST(TInfoPlainText, AppendsTimeAndZoneLines) {
  EXPECT_EQ(TInfoPlainText("[TInfo]\nTHM=abc\n", 4294967295u, -18000),
            "[TInfo]\nTHM=abc\nITS=4294967295\nIZ=-18000\n");
  EXPECT_EQ(TInfoPlainText("[TInfo]\n", 0, 0), "[TInfo]\nITS=0\nIZ=0\n");
}

TEST(UtcOffsetSeconds, EastIsPositiveAndDaylightAddsItsBias) {
  struct Case {
    int bias, daylightBias;
    bool daylight;
    int expected;
  };
  const Case cases[] = {
      {-60, -60, false, 3600},   // one hour east, winter
      {-60, -60, true, 7200},    // one hour east, summer
      {300, -60, false, -18000}, // five hours west
      {300, -60, true, -14400},
      {-330, 0, true, 19800},    // half-hour zone without daylight time
      {0, -60, false, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UtcOffsetSeconds(c.bias, c.daylightBias, c.daylight), c.expected)
        << c.bias << " " << c.daylightBias << " " << c.daylight;
}

}  // namespace
