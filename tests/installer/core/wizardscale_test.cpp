#include "installer/core/wizardscale.h"

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 720;

int OnLargeScreen(int dpi) {
    return WizardScale(dpi, 3840, 2100, kWidth, kHeight);
}

}  // namespace

TEST(WizardScale, EachDpiStepHasItsScaleWhereTheWindowFits) {
    EXPECT_EQ(OnLargeScreen(96), 100);
    EXPECT_EQ(OnLargeScreen(120), 125);
    EXPECT_EQ(OnLargeScreen(144), 150);
    EXPECT_EQ(OnLargeScreen(168), 175);
    EXPECT_EQ(OnLargeScreen(192), 200);
    // Between steps the lower one; above the last the last.
    EXPECT_EQ(OnLargeScreen(110), 100);
    EXPECT_EQ(OnLargeScreen(143), 125);
    EXPECT_EQ(OnLargeScreen(288), 200);
    EXPECT_EQ(OnLargeScreen(72), 100);
}

TEST(WizardScale, LowersToTheLargestStepThatFitsTheWorkArea) {
    // 1920 x 1080 at 150 % with a taskbar: 1440 x 1080 does not fit, 1200 x 900 does.
    EXPECT_EQ(WizardScale(144, 1920, 1032, kWidth, kHeight), 125);
    // 2560 x 1440 at 200 %: 1920 x 1440 does not fit, 1680 x 1260 does.
    EXPECT_EQ(WizardScale(192, 2560, 1392, kWidth, kHeight), 175);
    // Exactly the window's size fits.
    EXPECT_EQ(WizardScale(144, 1440, 1080, kWidth, kHeight), 150);
    EXPECT_EQ(WizardScale(120, 1199, 2000, kWidth, kHeight), 100);
}

TEST(WizardScale, BelowOneOnlyWhenEvenTheSmallestSizeDoesNotFit) {
    // 1280 x 720 with a 40-pixel taskbar, at any DPI.
    EXPECT_EQ(WizardScale(96, 1280, 680, kWidth, kHeight), 94);
    EXPECT_EQ(WizardScale(144, 1280, 680, kWidth, kHeight), 94);
    EXPECT_EQ(WizardScale(96, 800, 700, kWidth, kHeight), 83);
    EXPECT_EQ(WizardScale(96, 300, 200, kWidth, kHeight), kMinimumWizardScale);
}

TEST(WizardScale, ScaledRoundsToTheNearestPixelHalvesAwayFromZero) {
    EXPECT_EQ(Scaled(960, 100), 960);
    EXPECT_EQ(Scaled(21, 150), 32);  // 31.5
    EXPECT_EQ(Scaled(21, 125), 26);  // 26.25
    EXPECT_EQ(Scaled(-21, 150), -32);
    EXPECT_EQ(Scaled(654 + 46, 175), 1225);
}
