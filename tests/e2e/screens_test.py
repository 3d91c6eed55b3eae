#!/usr/bin/env python3
"""End-to-end tests of where the wizard and its message boxes open on screens of other sizes,
with a taskbar, and of their pixels where nothing changes, under Wine.

    screens_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Each screen is a virtual display of its own (Xvfb at the screen's size) whose work area is
reduced as a taskbar reduces it: Wine takes the work area from the root window's _NET_WORKAREA
when its display starts (a program's SPI_SETWORKAREA stays inside that program under Wine). So
each screen also gets its own wineserver, over a private copy of the test prefix (hard links for
the files Wine only reads), and the suite's display and wineserver are never touched. Needs what
the harness needs.
"""

import ctypes
import os
import pathlib
import random
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree

from harness import ids
from harness.core import INSTALL_TIMEOUT, LAUNCH_TEXT, CaseFailed, check, wait_until, windows_path
from harness.runner import main
from harness.steps import (answer, click, close, command, dpi_changed, is_enabled, layout,
                           manifest, move_to, no_box, rect, shot, terminate, wait_box,
                           wait_checked, wait_hidden, wait_shown, wait_text, work_area)


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
            raise CaseFailed("Xvfb %s does not answer" % display)
        # Taken meanwhile by another server: try the next number.
    raise CaseFailed("no free display for Xvfb")


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
        self.h.drive(terminate(), quiet=True)
        self.h.close_driver()
        subprocess.run(["wineserver", "-k"], env=self.h.env)
        self.h.env, self.h.prefix, display = self.saved
        os.environ["DISPLAY"] = display
        self.xvfb.terminate()
        self.xvfb.wait(30)


def screen_rect(h, which):
    line = h.drive(rect(which), quiet=True)[-1]
    return tuple(map(int, line.split(": ")[1].split()))


def inside(inner, outer):
    return (inner[0] >= outer[0] and inner[1] >= outer[1] and inner[2] <= outer[2]
            and inner[3] <= outer[3])


def check_quit_box(h, area, wizard, name):
    """Opens the quit question over the wizard, checks that it lies in the work area, centred
    over the wizard as far as the area allows, and continues."""
    h.drive(close(), wait_box(timeout=30), shot(name))
    box = screen_rect(h, "box")
    width, height = box[2] - box[0], box[3] - box[1]
    check(inside(box, area), "the box %s leaves the work area %s" % (box, area))
    centred = ((wizard[0] + wizard[2] - width) // 2, (wizard[1] + wizard[3] - height) // 2)
    for axis in (0, 1):
        low, high = area[axis], area[axis + 2] - (width, height)[axis]
        wanted = min(max(centred[axis], low), high)
        check(box[axis] == wanted, "the box %s is not centred over the wizard %s within %s"
              % (box, wizard, area))
    h.drive(answer("second"), no_box())


# Screen size and work area: taskbars at the bottom, the left and the top.
SCREENS = [((1280, 720), (0, 0, 1280, 680)),
           ((1366, 768), (0, 0, 1366, 728)),
           ((1920, 1080), (60, 0, 1920, 1080)),
           ((1280, 800), (0, 30, 1280, 800))]


def case_work_area(h):
    """The wizard opens centred in the work area, made smaller where it would not fit, and the
    quit question inside the work area, also over a wizard dragged partly off it."""
    prefix = private_prefix(h)
    for size, area in SCREENS:
        name = "work-area-%dx%d" % size
        print("  screen %dx%d, work area %s" % (size + (area,)), flush=True)
        with Screen(h, prefix, size, area):
            h.open_wizard(h.bin / "ZembricoE2E.exe", shot(name))
            reported = h.drive(work_area(), quiet=True)[-1]
            check(reported == "workarea: %d %d %d %d" % area,
                  "Wine did not take the work area: " + reported)
            wizard = screen_rect(h, "wizard")
            # At 96 DPI: 100 %, or smaller where 960 x 720 does not fit.
            percent = expected_scale(96, area)
            width, height = scaled(ids.WIZARD_WIDTH, percent), scaled(ids.WIZARD_HEIGHT, percent)
            check((wizard[2] - wizard[0], wizard[3] - wizard[1]) == (width, height),
                  "the wizard is %s at %d %%" % (wizard, percent))
            expected_left = area[0] + (area[2] - area[0] - width) // 2
            expected_top = area[1] + (area[3] - area[1] - height) // 2
            check(wizard[:2] == (expected_left, expected_top),
                  "the wizard %s is not centred in the work area %s" % (wizard, area))
            check(inside(screen_rect(h, ids.PRIMARY), area),
                  "the Install button is not in the work area")
            check_quit_box(h, area, wizard, name + "-quit")
            # Dragged so that most of it lies off the work area, bottom right.
            h.drive(move_to(area[2] - 300, area[3] - 200))
            check_quit_box(h, area, screen_rect(h, "wizard"), name + "-quit-dragged")
            h.drive(close(), wait_box(timeout=30), answer("first"))
            check(h.exit_code() == ids.EXIT_QUIT, "quitting did not end with -1")
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
    wizard = screen_rect(h, "wizard")
    check(wizard == (160, 40, 1120, 760), "the wizard is at %s" % (wizard,))
    check_same_pixels(h, "same-96-options", wizard)
    h.drive(click(ids.LICENCE), is_enabled(ids.PRIMARY))
    check_same_pixels(h, "same-96-licence", wizard)
    h.drive(close(), wait_box(timeout=30))
    check_same_pixels(h, "same-96-quit", wizard)
    h.drive(answer("first"))
    check(h.exit_code() == ids.EXIT_QUIT, "quitting did not end with -1")


# ---- scales ----

# The laptop screens with a taskbar at the bottom, and a large one where every step fits.
SCALE_SCREENS = [((1280, 720), (0, 0, 1280, 680)),
                 ((1366, 768), (0, 0, 1366, 728)),
                 ((1920, 1080), (0, 0, 1920, 1040)),
                 ((3840, 2160), (0, 0, 3840, 2120))]


def dpi_steps():
    """The monitor's DPI (the prefix's LogPixels) and the factor each one asks for."""
    return {96 * percent // 100: percent for percent in ids.SCALE_STEPS}


def scaled(value, percent):
    """A length at 100 % at `percent`, rounded to the nearest pixel, halves away from zero."""
    product = abs(value) * percent
    return (product + 50) // 100 * (1 if value >= 0 else -1)


def expected_scale(dpi, area):
    """The factor the wizard must choose: the monitor's step, lowered to the largest step at
    which 960 x 720 fits the work area; below 100 % only when even that does not fit."""
    width, height = area[2] - area[0], area[3] - area[1]
    fitting = [percent for step_dpi, percent in dpi_steps().items()
               if step_dpi <= dpi and scaled(ids.WIZARD_WIDTH, percent) <= width
               and scaled(ids.WIZARD_HEIGHT, percent) <= height]
    if fitting:
        return max(fitting)
    return max(ids.MINIMUM_SCALE,
               min(width * 100 // ids.WIZARD_WIDTH, height * 100 // ids.WIZARD_HEIGHT))


def set_log_pixels(prefix, dpi):
    """Sets the prefix's DPI (HKCU\\Control Panel\\Desktop, LogPixels) in its registry file; no
    wineserver may be serving the prefix meanwhile."""
    path = pathlib.Path(prefix) / "user.reg"
    lines = path.read_text(encoding="utf-8", errors="surrogateescape").split("\n")
    start = next(i for i, line in enumerate(lines)
                 if line.startswith("[Control Panel\\\\Desktop]"))
    end = next(i for i in range(start + 1, len(lines)) if not lines[i].strip())
    section = [l for l in lines[start + 1:end] if not l.startswith('"LogPixels"=')]
    section.append('"LogPixels"=dword:%08x' % dpi)
    lines[start + 1:end] = section
    path.write_text("\n".join(lines), encoding="utf-8", errors="surrogateescape")


def layout_table(h):
    """The wizard's layout table as the program holds it: {id: (x, y, width, height)}."""
    table = {}
    for line in h.drive(layout(), quiet=True):
        if line.startswith("layout "):
            ident, _, numbers = line[7:].partition(": ")
            table[int(ident)] = tuple(map(int, numbers.split()))
    check(ids.PRIMARY in table and ids.LICENCE in table, "no layout table: %s" % table)
    return table




def table_rect(wizard, row, percent):
    """A control's rectangle of the layout table on the screen, for the wizard at `wizard` drawn
    at `percent`: both edges at the factor."""
    x, y, width, height = row
    return (wizard[0] + scaled(x, percent), wizard[1] + scaled(y, percent),
            wizard[0] + scaled(x + width, percent), wizard[1] + scaled(y + height, percent))


def check_wizard_at(h, area, percent, table):
    """The wizard is drawn at `percent`: its size, its place in the work area and its primary
    button where the layout table puts it. Returns the wizard's rectangle."""
    wizard = screen_rect(h, "wizard")
    size = (scaled(ids.WIZARD_WIDTH, percent), scaled(ids.WIZARD_HEIGHT, percent))
    check((wizard[2] - wizard[0], wizard[3] - wizard[1]) == size,
          "the wizard is %s, not %s at %d %%" % (wizard, size, percent))
    check(inside(wizard, area), "the wizard %s leaves the work area %s" % (wizard, area))
    primary = screen_rect(h, ids.PRIMARY)
    check(inside(primary, area), "the primary button %s is not in the work area" % (primary,))
    wanted = table_rect(wizard, table[ids.PRIMARY], percent)
    # Its width follows its text about the table's centre.
    check(primary[1] == wanted[1] and primary[3] == wanted[3]
          and abs((primary[0] + primary[2]) - (wanted[0] + wanted[2])) <= 1,
          "the primary button is at %s, the table at %d %% puts it at %s"
          % (primary, percent, wanted))
    return wizard


def check_quit_box_at(h, area, wizard, percent, name):
    """The quit question at `percent`: its width and its first button's, inside the work area;
    then it is answered "continue"."""
    h.drive(close(), wait_box(timeout=30), shot(name))
    box = screen_rect(h, "box")
    size = (ids.QUIT_BOX_WIDTH, ids.QUIT_BOX_HEIGHT)
    check(box[2] - box[0] == scaled(size[0], percent)
          and box[3] - box[1] >= scaled(size[1], percent),
          "the quit box %s is not %s at %d %%" % (box, size, percent))
    check(inside(box, area), "the box %s leaves the work area %s" % (box, area))
    button = screen_rect(h, "boxfirst")
    check(button[2] - button[0] == scaled(ids.BOX_BUTTON_WIDTH, percent) and inside(button, box),
          "the box's first button is %s in the box %s" % (button, box))
    h.drive(answer("second"), no_box())


def check_manifest(h, program):
    """The program declares itself per-monitor DPI aware, with the older key for the Windows
    that know only that one, and still asks for administrator rights."""
    line = h.drive(manifest(windows_path(program)), quiet=True)[-1]
    check(line.startswith("manifest: "), "no manifest: " + line)
    root = xml.etree.ElementTree.fromstring(line[len("manifest: "):].strip())
    settings = {element.tag.split("}")[1]: element.text for element in root.iter()
                if element.tag.split("}")[-1] in ("dpiAware", "dpiAwareness")}
    check(settings == {"dpiAware": "true/pm", "dpiAwareness": "PerMonitorV2,PerMonitor"},
          "the manifest's DPI settings are %s" % settings)
    levels = [element.get("level") for element in root.iter()
              if element.tag.endswith("requestedExecutionLevel")]
    check(levels == ["requireAdministrator"], "execution level %s" % levels)


def case_scales(h):
    """At every DPI step and on each screen with a taskbar, the wizard, its primary
    button and its quit question are drawn at the factor chosen from the DPI and the work area
    and lie inside the work area; screenshots of the options, custom and licence-ticked views
    and of the question are kept. A DPI change while the window is open lays it out again."""
    check_manifest(h, h.bin / "ZembricoE2E.exe")
    prefix = private_prefix(h)
    table = None
    for dpi in dpi_steps():
        set_log_pixels(prefix, dpi)
        for size, area in SCALE_SCREENS:
            percent = expected_scale(dpi, area)
            name = "scale-%d-%dx%d" % (dpi, size[0], size[1])
            print("  %d DPI, screen %dx%d, work area %s: %d %%" % (dpi, size[0], size[1], area,
                                                                     percent), flush=True)
            with Screen(h, prefix, size, area):
                table = table or layout_table(h)
                h.open_wizard(h.bin / "ZembricoE2E.exe", 
                              shot(name + "-options"))
                wizard = check_wizard_at(h, area, percent, table)
                h.drive(command(ids.CUSTOM), wait_shown(ids.DESKTOP, timeout=5),
                        shot(name + "-custom"), command(ids.STANDARD),
                        wait_hidden(ids.DESKTOP, timeout=5), click(ids.LICENCE),
                        is_enabled(ids.PRIMARY), shot(name + "-licence"))
                check_quit_box_at(h, area, wizard, percent, name + "-quit")
                if dpi == 96 and size == (1920, 1080):
                    # Moved to a monitor of 144 DPI: 150 % does not fit above the taskbar.
                    h.drive(dpi_changed(144),
                            shot(name + "-moved-to-144"))
                    wizard = check_wizard_at(h, area, expected_scale(144, area), table)
                    h.drive(dpi_changed(96))
                    check_wizard_at(h, area, 100, table)
                h.drive(close(), wait_box(timeout=30), answer("first"))
                check(h.exit_code() == ids.EXIT_QUIT, "quitting did not end with -1")
    shutil.rmtree(prefix, ignore_errors=True)


def click_at(point):
    """A real click of the left mouse button at a screen point of the present display."""
    subprocess.run(["xdotool", "mousemove", "--sync", str(point[0]), str(point[1]), "click", "1"],
                   check=True)


def table_centre(wizard, row, percent):
    left, top, right, bottom = table_rect(wizard, row, percent)
    return ((left + right) // 2, (top + bottom) // 2)


def case_click_install_at_144(h):
    """At 144 DPI on a 1280 x 720 screen with a taskbar the wizard is drawn at 94 %; an
    installation made with the mouse alone, clicking where the layout table at that factor puts
    the licence box and the primary button, completes and launches the client."""
    prefix = private_prefix(h)
    set_log_pixels(prefix, 144)
    size, area = SCALE_SCREENS[0]
    percent = expected_scale(144, area)
    with Screen(h, prefix, size, area):
        table = layout_table(h)
        h.open_wizard(h.bin / "ZembricoE2E.exe")
        wizard = check_wizard_at(h, area, percent, table)
        x, y, width, height = table[ids.LICENCE]
        # The box's square: as high as the row, at its left.
        click_at(table_centre(wizard, (x, y, height, height), percent))
        h.drive(wait_checked(ids.LICENCE, 1, timeout=30), is_enabled(ids.PRIMARY),
                shot("click-144-licence"))
        click_at(table_centre(wizard, table[ids.PRIMARY], percent))
        # The finished screen, under the WebView2 offer of a prefix without the runtime.
        h.drive(wait_text(ids.PRIMARY, LAUNCH_TEXT, timeout=INSTALL_TIMEOUT),
                wait_hidden(ids.PROGRESS, timeout=5), wait_box(timeout=30),
                shot("click-144-webview2"), answer("close"), no_box(),
                shot("click-144-finished"))
        entry = h.uninstall_entry()
        folder = h.unix_path(entry.get("InstallLocation", "C:\\none"))
        check((folder / "ZembricoUpdate.exe").is_file(), "nothing was installed in %s" % folder)
        click_at(table_centre(wizard, table[ids.PRIMARY], percent))
        check(h.exit_code() == ids.EXIT_LAUNCHED, "Launch did not end the installer with 0")
        check(wait_until((folder / "launched.txt").exists), "the launcher was not started")
    shutil.rmtree(prefix, ignore_errors=True)


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    sys.exit(main(CASES, "screens"))
