#include "installer/core/screenplacement.h"

#include <gtest/gtest.h>

namespace {

void ExpectAt(ScreenPoint point, int x, int y) {
    EXPECT_EQ(point.x, x);
    EXPECT_EQ(point.y, y);
}

}  // namespace

TEST(ScreenPlacement, CentresAsBeforeWhereTheWindowFits) {
    // A screen without taskbar: the wizard's place is unchanged.
    ExpectAt(CentreInside({0, 0, 1280, 800}, 960, 720), 160, 40);
    ExpectAt(CentreInside({0, 0, 1920, 1080}, 960, 720), 480, 180);
    // A taskbar on the left and one at the bottom, and a monitor left of the primary one.
    ExpectAt(CentreInside({60, 0, 1366, 728}, 960, 720), 233, 4);
    ExpectAt(CentreInside({-1920, 0, 0, 1040}, 960, 720), -1440, 160);
    ExpectAt(CentreInside({0, 0, 1281, 801}, 960, 720), 160, 40);
}

TEST(ScreenPlacement, TooLargeKeepsTheTopLeftAtTheAreasCorner) {
    // 1280 x 720 with a 50-pixel taskbar: as much of the window as fits, from its top.
    ExpectAt(CentreInside({0, 0, 1280, 670}, 960, 720), 160, 0);
    ExpectAt(CentreInside({100, 30, 900, 600}, 960, 720), 100, 30);
    ExpectAt(KeepInside({0, 40, 1280, 720}, 500, -300, 960, 720), 320, 40);
}

TEST(ScreenPlacement, KeepInsideMovesOnlyAsFarAsNeeded) {
    const ScreenRect area{0, 0, 1280, 760};
    ExpectAt(KeepInside(area, 100, 20, 360, 280), 100, 20);
    ExpectAt(KeepInside(area, 1000, 600, 360, 280), 920, 480);
    ExpectAt(KeepInside(area, -50, -10, 360, 280), 0, 0);
    ExpectAt(KeepInside(area, 920, 480, 360, 280), 920, 480);
}

TEST(ScreenPlacement, BoxCentredOverItsOwnerStaysInTheWorkArea) {
    const ScreenRect area{0, 0, 1280, 670};
    // Over a wizard that fits: the old centring.
    ExpectAt(CentreOverInside({160, 0, 1120, 720}, area, 360, 280), 460, 220);
    // Over a wizard dragged mostly below the taskbar and off the right edge.
    ExpectAt(CentreOverInside({900, 500, 1860, 1220}, area, 360, 280), 920, 390);
    // No room at all: the box's top-left corner is the area's.
    ExpectAt(CentreOverInside({0, 0, 1280, 670}, {0, 0, 300, 200}, 360, 280), 0, 0);
}
