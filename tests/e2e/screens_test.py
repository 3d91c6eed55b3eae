#!/usr/bin/env python3
"""End-to-end tests of where the wizard and its message boxes open on screens of other sizes,
with a taskbar, and of their pixels where nothing changes, under Wine.

    screens_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Each screen is a virtual display of its own (Xvfb at the screen's size) whose work area is
reduced as a taskbar reduces it: Wine takes the work area from the root window's _NET_WORKAREA
when its display starts (a program's SPI_SETWORKAREA stays inside that program under Wine). So
each screen also gets its own wineserver, over a private copy of the test prefix (hard links for
the files Wine only reads), and the suite's display and wineserver are never touched. Needs what
e2e_test.py needs.
"""

import ctypes
import os
import pathlib
import random
import shutil
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import e2e_test as e2e  # noqa: E402
from e2e_test import check  # noqa: E402

WIZARD_WIDTH, WIZARD_HEIGHT = 960, 720
QUIT_BOX = "Installing Zembrico Poker"
# Files of a prefix that Wine reads and never writes: shared with the private copy.
READ_ONLY = {".dll", ".exe", ".drv", ".sys", ".acm", ".cpl", ".ocx", ".tlb", ".nls", ".ttf",
             ".ttc", ".fon", ".otf", ".ax", ".ds", ".mui", ".msstyles", ".vxd", ".dll16",
             ".exe16", ".drv16", ".mod16"}


def private_prefix(h):
    """A copy of the test prefix for the screens' own wineservers, made once per run."""
    copy = h.work / "screens-prefix"
    shutil.rmtree(copy, ignore_errors=True)

    def link_or_copy(source, target):
        if pathlib.Path(source).suffix.lower() in READ_ONLY:
            os.link(source, target)
        else:
            shutil.copy2(source, target)

    shutil.copytree(h.prefix, copy, symlinks=True, copy_function=link_or_copy)
    return copy


def set_work_area(display, area):
    """Sets the root window's _NET_WORKAREA of `display`, as a window manager with a taskbar
    does."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                    ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_void_p,
                                    ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    check(connection, "cannot open the display " + display)
    left, top, right, bottom = area
    values = (ctypes.c_long * 4)(left, top, right - left, bottom - top)
    cardinal, replace = 6, 0
    x11.XChangeProperty(connection, x11.XDefaultRootWindow(connection),
                        x11.XInternAtom(connection, b"_NET_WORKAREA", 0), cardinal, 32, replace,
                        values, 4)
    x11.XCloseDisplay(connection)


def start_xvfb(size):
    """An Xvfb of `size` on a free display number of 600-999 (the low ones are left to the
    sessions that pick theirs at random); returns the process and the display."""
    for number in random.sample(range(600, 1000), 400):
        if pathlib.Path("/tmp/.X%d-lock" % number).exists():
            continue
        display = ":%d" % number
        # -noreset: the work area must outlive the connection that sets it.
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "%dx%dx24" % size,
                                 "-nolisten", "tcp", "-noreset"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        give_up = time.time() + 60  # a safety net: Xvfb answers or ends within a second
        while xvfb.poll() is None and time.time() < give_up:
            if subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return xvfb, display
        if xvfb.poll() is None:
            xvfb.kill()
            raise e2e.CaseFailed("Xvfb %s does not answer" % display)
        # Taken meanwhile by another server: try the next number.
    raise e2e.CaseFailed("no free display for Xvfb")


class Screen:
    """A virtual screen of `size` whose work area is `area` (left, top, right, bottom), with its
    own wineserver; the harness drives and photographs programs there while it is entered."""

    def __init__(self, h, prefix, size, area):
        self.h, self.prefix, self.size, self.area = h, prefix, size, area
        self.xvfb = None
        self.saved = None

    def __enter__(self):
        self.xvfb, display = start_xvfb(self.size)
        set_work_area(display, self.area)
        self.saved = (self.h.env, self.h.prefix, os.environ.get("DISPLAY"))
        self.h.close_driver()
        self.h.env = dict(self.h.env, DISPLAY=display, WINEPREFIX=str(self.prefix))
        self.h.prefix = self.prefix
        os.environ["DISPLAY"] = display  # for the screenshots
        # Wine's server and services outlive these calls: they must not hold the test's output
        # open, or whoever reads it (CTest) waits for them.
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-p"], env=self.h.env, check=True, **quiet)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=self.h.env, check=True, **quiet)
        return self

    def __exit__(self, *failure):
        self.h.drive("terminate", quiet=True)
        self.h.close_driver()
        subprocess.run(["wineserver", "-k"], env=self.h.env)
        self.h.env, self.h.prefix, display = self.saved
        os.environ["DISPLAY"] = display
        self.xvfb.terminate()
        self.xvfb.wait(30)


def rect(h, which):
    line = h.drive("rect", which, quiet=True)[-1]
    return tuple(map(int, line.split(": ")[1].split()))


def inside(inner, outer):
    return (inner[0] >= outer[0] and inner[1] >= outer[1] and inner[2] <= outer[2]
            and inner[3] <= outer[3])


def check_quit_box(h, area, wizard, name):
    """Opens the quit question over the wizard, checks that it lies in the work area, centred
    over the wizard as far as the area allows, and continues."""
    h.drive("close", "box", 30, "shot", name)
    box = rect(h, "box")
    width, height = box[2] - box[0], box[3] - box[1]
    check(inside(box, area), "the box %s leaves the work area %s" % (box, area))
    centred = ((wizard[0] + wizard[2] - width) // 2, (wizard[1] + wizard[3] - height) // 2)
    for axis in (0, 1):
        low, high = area[axis], area[axis + 2] - (width, height)[axis]
        wanted = min(max(centred[axis], low), high)
        check(box[axis] == wanted, "the box %s is not centred over the wizard %s within %s"
              % (box, wizard, area))
    h.drive("answer", "second", "nobox")


# Screen size and work area: taskbars at the bottom, the left and the top.
SCREENS = [((1280, 720), (0, 0, 1280, 680)),
           ((1366, 768), (0, 0, 1366, 728)),
           ((1920, 1080), (60, 0, 1920, 1080)),
           ((1280, 800), (0, 30, 1280, 800))]


def case_work_area(h):
    """The wizard opens centred in the work area (its top-left corner inside it when it is
    larger), and the quit question inside the work area, also over a wizard dragged partly off
    it."""
    prefix = private_prefix(h)
    for size, area in SCREENS:
        name = "work-area-%dx%d" % size
        print("  screen %dx%d, work area %s" % (size + (area,)), flush=True)
        with Screen(h, prefix, size, area):
            h.open_wizard(h.bin / "ZembricoE2E.exe", "shot", name)
            reported = h.drive("workarea", quiet=True)[-1]
            check(reported == "workarea: %d %d %d %d" % area,
                  "Wine did not take the work area: " + reported)
            wizard = rect(h, "wizard")
            check(wizard[2] - wizard[0] == WIZARD_WIDTH and wizard[3] - wizard[1] == WIZARD_HEIGHT,
                  "the wizard is %s" % (wizard,))
            fits = area[3] - area[1] >= WIZARD_HEIGHT
            expected_left = area[0] + (area[2] - area[0] - WIZARD_WIDTH) // 2
            expected_top = (area[1] + (area[3] - area[1] - WIZARD_HEIGHT) // 2 if fits
                            else area[1])
            check(wizard[:2] == (expected_left, expected_top),
                  "the wizard %s is not centred in the work area %s" % (wizard, area))
            if fits:
                check(inside(rect(h, e2e.PRIMARY), area), "the Install button is not in the "
                      "work area")
            check_quit_box(h, area, wizard, name + "-quit")
            # Dragged so that most of it lies off the work area, bottom right.
            h.drive("moveto", area[2] - 300, area[3] - 200)
            check_quit_box(h, area, rect(h, "wizard"), name + "-quit-dragged")
            h.drive("close", "box", 30, "answer", "first")
            check(h.exit_code() == e2e.EXIT_QUIT, "quitting did not end with -1")
    shutil.rmtree(prefix, ignore_errors=True)


REFERENCE = pathlib.Path(__file__).resolve().parent / "reference"


def check_same_pixels(h, name, region):
    """The screen's `region` (left, top, right, bottom) against reference/NAME.png, pixel for
    pixel; with ZB_MAKE_REFERENCE=1 the reference is written instead. The crop is kept beside
    the screenshots."""
    shot = h.shots / (name + ".png")
    left, top, right, bottom = region
    crop = ["import", "-window", "root", "-crop",
            "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage", str(shot)]
    reference = REFERENCE / (name + ".png")
    if os.environ.get("ZB_MAKE_REFERENCE") == "1":
        subprocess.run(crop, check=True)
        REFERENCE.mkdir(exist_ok=True)
        shutil.copyfile(shot, reference)
        return
    check(reference.is_file(), "no reference picture " + str(reference))
    # The window may still be painting what the last step changed: wait until it matches.
    give_up = time.time() + 20
    while True:
        subprocess.run(crop, check=True)
        compared = subprocess.run(["compare", "-metric", "AE", str(reference), str(shot),
                                   "null:"], capture_output=True, text=True)
        if compared.returncode == 0 and compared.stderr.strip() == "0":
            return
        check(time.time() < give_up, "%s differs from its reference in %s pixels"
              % (name, compared.stderr.strip()))


def case_same_at_96(h):
    """On a screen without taskbar at 96 DPI the wizard and its quit question look exactly as
    before: their pixels equal the reference pictures (made from the wizard of main e2f46db)."""
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    wizard = rect(h, "wizard")
    check(wizard == (160, 40, 1120, 760), "the wizard is at %s" % (wizard,))
    check_same_pixels(h, "same-96-options", wizard)
    h.drive("click", e2e.LICENCE, "enabled", e2e.PRIMARY, 1)
    check_same_pixels(h, "same-96-licence", wizard)
    h.drive("close", "box", 30)
    check_same_pixels(h, "same-96-quit", wizard)
    h.drive("answer", "first")
    check(h.exit_code() == e2e.EXIT_QUIT, "quitting did not end with -1")


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    sys.exit(e2e.main(CASES, "screens"))
