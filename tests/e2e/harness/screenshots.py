"""What the screenshots show."""

import subprocess

from . import ids


def background_index(screenshot):
    """Which background the centred wizard shows in its left band: 0 (107, green) or 1 (108,
    grey)."""
    # On the 1280 x 800 display that ./zb starts.
    left, top = (1280 - ids.WIZARD_WIDTH) // 2, (800 - ids.WIZARD_HEIGHT) // 2
    out = subprocess.run(["convert", str(screenshot), "-crop",
                          "250x300+%d+%d" % (left + 20, top + 200), "-format",
                          "%[fx:mean.r] %[fx:mean.g]", "info:"],
                         capture_output=True, text=True, check=True)
    red, green = map(float, out.stdout.split())
    return 0 if green - red > 0.04 else 1
