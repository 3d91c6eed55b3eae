#!/usr/bin/env python3
"""End-to-end tests of the setup program under Wine on a virtual display.

    e2e_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Each CASE starts a built installer, plays the user with zbdriver (a Windows program that finds
the "ZembricoInstaller" window and sends what clicks would send), and checks what the machine
holds afterwards: files, the uninstall entry, shortcuts, settings files, exit code, analytics
hits. Needs DISPLAY, a Wine prefix (WINEPREFIX, default build/wine) and ImageMagick's import.
Every case cleans up what it installed, also when it fails.
"""

import argparse
import base64
import contextlib
import os
import pathlib
import re
import shutil
import socket
import subprocess
import sys
import threading
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "tools" / "zbtag"))
from signer import Signer  # noqa: E402
UNINSTALL_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
E2E_FOLDER = "C:\\ZbE2E"
DISPLAY_NAME = "Zembrico Poker"
LAUNCH_TEXT = "Launch Zembrico Poker"
# The window's controls.
PRIMARY, CLOSE, LANGUAGES, STANDARD, CUSTOM = 1002, 105, 1001, 1201, 1202
DESKTOP, QUICK_LAUNCH, START_MENU, ALL_USERS, LICENCE = 141, 142, 143, 150, 151
FOLDER_EDIT, BROWSE, PROGRESS = 133, 1005, 114
EXIT_LAUNCHED, EXIT_OS_TOO_OLD, EXIT_QUIT, EXIT_RUNNING_CLIENT = 0, 1, -1, 18
# The uninstaller's exit codes (client/core/uninstallcodes.h).
UNINSTALL_REMOVED, UNINSTALL_CLIENT_RUNNING, UNINSTALL_NOT_FOUND = 0, 2, 3
CLIENT_CLASS = "VessantOnlinePokerLobbyWindowClass"
WINDOW_TIMEOUT = 60
INSTALL_TIMEOUT = 120
# How long a wait for something that comes within seconds, even under emulation, may last before
# it counts as hung: a safety net, never a measure.
WOULD_HANG = 120


class CaseFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise CaseFailed(message)


def wait_until(condition, seconds=WOULD_HANG):
    """Looks at `condition` every fifth of a second until it holds; False when it has not held
    within `seconds`."""
    end = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > end:
            return False
        time.sleep(0.2)
    return True


class Collector:
    """An analytics collection host on the loopback: keeps the bodies of the POSTs of each
    connection (one per run of the program) in order. Made `reachable=False`, it answers no
    connection attempt until open(), as a network that drops the packets: its listener's queue
    of one is kept full."""

    def __init__(self, port, reachable=True):
        self.connections = []
        self._open = 0
        self._lock = threading.Lock()
        self._server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._server.bind(("127.0.0.1", port))
        self._server.listen(8 if reachable else 0)
        self._filler = None
        if reachable:
            self.open()
        else:
            self._filler = socket.create_connection(("127.0.0.1", port))

    def open(self):
        """Answers from now on: attempts dropped meanwhile get through at their next retry."""
        if self._filler:
            self._server.accept()[0].close()
            self._filler.close()
            self._filler = None
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                connection, _ = self._server.accept()
            except OSError:
                return
            with self._lock:
                hits = []
                self.connections.append(hits)
                self._open += 1
            threading.Thread(target=self._read, args=(connection, hits), daemon=True).start()

    def _read(self, connection, hits):
        try:
            with connection:
                self._read_hits(connection, hits)
        except OSError:
            pass
        finally:
            with self._lock:
                self._open -= 1

    def _read_hits(self, connection, hits):
        data = b""
        while True:
            chunk = connection.recv(65536)
            if not chunk:
                return
            data += chunk
            while True:
                head_end = data.find(b"\r\n\r\n")
                if head_end < 0:
                    break
                length = 0
                for line in data[:head_end].split(b"\r\n")[1:]:
                    name, _, value = line.partition(b":")
                    if name.strip().lower() == b"content-length":
                        length = int(value.strip())
                if len(data) < head_end + 4 + length:
                    break
                body = data[head_end + 4:head_end + 4 + length]
                with self._lock:
                    hits.append(body.decode("latin-1"))
                data = data[head_end + 4 + length:]

    def all_closed(self):
        """Whether every connection has been closed by its program and read to its end."""
        with self._lock:
            return self._open == 0

    def runs(self):
        """The bodies of each connection so far."""
        with self._lock:
            return [list(hits) for hits in self.connections]

    def close(self):
        if self._filler:
            self._filler.close()
        # Wakes the accepting thread: a socket closed while accept() waits keeps listening.
        try:
            self._server.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self._server.close()


class Harness:
    def __init__(self, options):
        self.bin = pathlib.Path(options.bin)
        self.work = pathlib.Path(options.work)
        self.shots = pathlib.Path(options.screenshots)
        self.zbtag = options.zbtag
        self.port = options.port
        self.prefix = pathlib.Path(os.environ.get("WINEPREFIX", ROOT / "build" / "wine"))
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix),
                        WINEDEBUG=os.environ.get("WINEDEBUG", "-all"),
                        # No desktop entries on the host for the shortcuts the tests make.
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        self.shots.mkdir(parents=True, exist_ok=True)
        self.collector = None
        self.installed = []  # display names whose entries and folders to remove
        self.driver = None

    # ---- Wine and the driver ----

    def unix_path(self, windows_path):
        drive, _, rest = windows_path.partition(":")
        return self.prefix / ("drive_" + drive.lower()) / rest.lstrip("\\").replace("\\", "/")

    def start(self, exe):
        """Starts an installer through the driver, which then looks only at its windows. The
        build options ask for Windows 10; the prefix reports 7 unless told per program."""
        exe = pathlib.Path(exe).resolve()
        self.drive("win10", exe.name, "start", windows_path(exe))

    def tagged(self, folder, exe_name, tag):
        """A copy of the built installer `exe_name` in work/`folder`, stamped with the tracking
        text `tag` (bytes)."""
        tagged = self.work / folder / exe_name
        tagged.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(self.bin / exe_name, tagged)
        tag_file = tagged.parent / "tag.txt"
        tag_file.write_bytes(tag)
        subprocess.run([self.zbtag, "write", str(tagged), str(tag_file)], check=True)
        return tagged

    def exit_code(self, timeout=60, windows=None):
        """The installer's exit code once it ends; with `windows` False, fails when a window of
        it showed while waiting."""
        words = self.drive("exit", timeout, quiet=True)[-1].split()
        check(windows is not False or words[3] == "none", "the installer showed a window")
        return int(words[1])

    def drive(self, *steps, shot_prefix="", quiet=False):
        """Runs the steps in the serving zbdriver; takes the screenshots it asks for. Returns
        its lines."""
        if self.driver is None or self.driver.poll() is not None:
            self.driver = subprocess.Popen(["wine", str(self.bin / "zbdriver.exe"), "serve"],
                                           env=self.env, stdin=subprocess.PIPE,
                                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                           text=True, encoding="utf-8")
        self.driver.stdin.write("\t".join(map(str, steps)) + "\n")
        self.driver.stdin.flush()
        lines = []
        for line in self.driver.stdout:
            line = line.rstrip("\r\n")
            if line.startswith("shot "):
                self.screenshot(shot_prefix + line[5:])
                self.driver.stdin.write("\n")
                self.driver.stdin.flush()
                continue
            if line.startswith("end "):
                check(line == "end 0", "driver: %s" % [l for l in lines if l.startswith("FAIL")])
                return lines
            lines.append(line)
            if not quiet or line.startswith("FAIL"):
                print("  driver: " + line, flush=True)
        raise CaseFailed("the driver ended")

    def close_driver(self):
        if self.driver is not None:
            self.driver.stdin.close()
            self.driver.wait(30)
            self.driver = None

    def screenshot(self, name):
        path = self.shots / (name + ".png")
        subprocess.run(["import", "-window", "root", str(path)], check=True)
        print("  screenshot: %s" % path, flush=True)

    # ---- what the installation left ----

    def uninstall_entry(self, display_name=DISPLAY_NAME):
        values = {}
        for line in self.drive("regquery", UNINSTALL_KEY + display_name, quiet=True):
            if line.startswith("reg ") and ": " in line:
                name, _, value = line[4:].partition(": ")
                values[name] = value
        return values

    def remember(self, display_name=DISPLAY_NAME):
        if display_name not in self.installed:
            self.installed.append(display_name)

    def clean_up(self):
        steps = ["terminate", "release"]
        for display_name in self.installed:
            entry = self.uninstall_entry(display_name)
            for name in ("DTLink", "QLLink", "SMLink", "CSMLink"):
                if entry.get(name):
                    self.unix_path(entry[name]).unlink(missing_ok=True)
            if entry.get("InstallLocation"):
                self.drive("killunder", entry["InstallLocation"], quiet=True)
            for name in ("SMPGroup", "CSMPGroup", "InstallLocation"):
                if entry.get(name):
                    shutil.rmtree(self.unix_path(entry[name]), ignore_errors=True)
            steps += ["regdelete", UNINSTALL_KEY + display_name]
        self.drive(*steps)
        self.installed = []
        shutil.rmtree(self.unix_path(E2E_FOLDER), ignore_errors=True)

    # ---- common walks ----

    def open_wizard(self, exe, *steps, shot_prefix=""):
        self.start(exe)
        return self.drive("window", WINDOW_TIMEOUT, *steps, shot_prefix=shot_prefix)

    def install_and_wait(self, *before_install, shot_prefix="", webview_shot=None):
        """Ticks the licence, presses Install, waits for the finished screen and closes the
        WebView2 offer that a 64-bit prefix without the runtime gets."""
        self.remember()
        shot = ["shot", webview_shot] if webview_shot else []
        lines = self.drive(*before_install, "click", LICENCE, "enabled", PRIMARY, 1,
                           "command", PRIMARY, "text", PRIMARY, LAUNCH_TEXT, INSTALL_TIMEOUT,
                           "visible", PROGRESS, 0, 5, "visible", PRIMARY, 1, 5,
                           "box", 30, *shot, "answer", "close", "nobox",
                           shot_prefix=shot_prefix)
        check("box: Download and Install WebView2" in lines, "no WebView2 offer: %s" % lines)
        return lines

    def check_standard_installation(self, display_name=DISPLAY_NAME, launcher=True):
        entry = self.uninstall_entry(display_name)
        check(entry, "no uninstall entry for " + display_name)
        folder = entry.get("InstallLocation", "")
        check(folder, "the uninstall entry has no InstallLocation")
        unix_folder = self.unix_path(folder)
        check((unix_folder / "Install.log").is_file(), "no Install.log in " + folder)
        if launcher:
            check((unix_folder / "ZembricoUpdate.exe").is_file(), "no launcher in " + folder)
        # The four shortcut kinds; with administrator rights the all-users ones.
        for name in ("DTLink", "QLLink", "CSMLink"):
            check(entry.get(name), "no shortcut value " + name)
            check(self.unix_path(entry[name]).is_file(), "no shortcut file " + entry[name])
        check(entry.get("CSMPGroup") and self.unix_path(entry["CSMPGroup"]).is_dir(),
              "no all-users program group")
        check("Public" in entry["DTLink"] or "All Users" in entry["DTLink"],
              "the desktop shortcut is not the all-users one: " + entry["DTLink"])
        return entry, unix_folder


ANALYTICS_OFF = "PSystemError caught in GoogleAnalytics::GoogleAnalytics(): "
UNTAGGED_SITE_LINES = ["Reading site from TINFO", "No tInfo found.", "Site from TINFO is:''",
                       "No site value was read from TINFO"]
TIMESTAMP = re.compile(r"^\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\]$")


def queued_lines(folder):
    """The lines of the last installation in folder's Install.log that were logged before the
    log existed: after its "Locale: %d" line, up to the extraction (timestamp lines left out)."""
    lines = (folder / "Install.log").read_bytes().decode("latin-1").split("\r\n")
    starts = [i for i, line in enumerate(lines) if re.fullmatch(r"Locale: \d+", line)]
    check(starts, "no Locale line in Install.log")
    queued = []
    for line in lines[starts[-1] + 1:]:
        if line.startswith("\nExtracting files:"):
            return queued
        if not TIMESTAMP.match(line):
            queued.append(line)
    raise CaseFailed("no extraction after the Locale line: %s" % queued)


def check_queued(folder, expected):
    """The queued lines are `expected`, the last one (the analytics state) as a prefix."""
    queued = queued_lines(folder)
    print("  queued lines: %s" % queued, flush=True)
    check(len(queued) == len(expected) and queued[:-1] == expected[:-1]
          and queued[-1].startswith(expected[-1]), "queued lines: %s" % queued)


def listed_sites():
    options = (ROOT / "resources" / "buildoptions.ini").read_text().splitlines()
    start = options.index("[sites]") + 1
    end = next((i for i in range(start, len(options)) if options[i].startswith("[")), len(options))
    return sum(1 for line in options[start:end] if line.lower().startswith("site="))


def startup_logs(h):
    return list(h.unix_path("C:\\users").glob("*/**/Temp/ZembricoInstall-*.log"))


# ---- the cases ----

def case_standard(h):
    """A standard installation makes all four shortcut kinds; Launch starts the launcher, 0."""
    h.open_wizard(h.bin / "ZembricoE2E.exe", "enabled", PRIMARY, 0, "shot", "options-standard",
                  shot_prefix="e2e-")
    check(background_index(h.shots / "e2e-options-standard.png") == 0,
          "the universal build does not show background 107")
    h.install_and_wait("visible", DESKTOP, 0, 1, shot_prefix="e2e-", webview_shot="box-webview2")
    h.drive("shot", "finished", shot_prefix="e2e-")
    entry, folder = h.check_standard_installation()
    # Untagged, and no collector listens: the site lines, then why analytics is off.
    check_queued(folder, UNTAGGED_SITE_LINES + [ANALYTICS_OFF])
    h.drive("command", PRIMARY, "gone", 30)
    check(h.exit_code() == EXIT_LAUNCHED, "Launch did not end the installer with 0")
    check("Launch main app: '" in (folder / "Install.log").read_text(errors="replace"),
          "the launch is not in Install.log")
    check(wait_until((folder / "launched.txt").exists), "the launcher was not started")
    check("ZembricoUpdate.exe" in (folder / "launched.txt").read_text(), "the launcher's command line")


def case_finished_close(h):
    """Closing on the finished screen ends with -1 and asks nothing."""
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    h.install_and_wait()
    # A question would keep the wizard.
    h.drive("close", "gone", 30, "nobox")
    check(h.exit_code() == EXIT_QUIT, "closing the finished screen did not end with -1")


def case_options_quit(h):
    """Quit on the options screen asks, and Quit ends with -1."""
    h.open_wizard(h.bin / "ZembricoE2E.exe", "command", CLOSE, "box", 20, "shot", "box-quit-options",
                  "answer", "second", "window", 5, shot_prefix="e2e-")
    h.drive("close", "box", 20, "answer", "first", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "Quit did not end with -1")


def case_progress_continue(h):
    """Quit during the installation pauses it; "Continue installation" resumes it."""
    h.open_wizard(h.bin / "ZembricoE2ESlow.exe")
    h.remember()
    # Install and close are posted together, so that the question arrives (and pauses the
    # worker) before even a fast machine has unpacked the payload.
    h.drive("click", LICENCE, "command", PRIMARY, "command", CLOSE, "box", 20,
            "visible", PROGRESS, 1, 20, "shot", "box-quit-progress", "answer", "second",
            "text", PRIMARY, LAUNCH_TEXT, INSTALL_TIMEOUT, "box", 30, "answer", "close",
            shot_prefix="e2e-")
    entry = h.uninstall_entry()
    check(entry.get("InstallLocation"), "the resumed installation did not register")
    files = list(h.unix_path(entry["InstallLocation"]).rglob("*.txt"))
    check(len(files) >= 500, "only %d files were installed" % len(files))
    h.drive("close", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "closing after completion did not end with -1")


def case_running_client(h):
    """A running client (its mutex held) asks Retry/Abort; Abort ends with 18."""
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    h.drive("mutex", "VessantOnlinePokerLobbyWindowClass", "click", LICENCE, "command", PRIMARY,
            "box", 20, "shot", "box-running-client", "answer", "second", "gone", 30,
            shot_prefix="e2e-")
    check(h.exit_code() == EXIT_RUNNING_CLIENT, "Abort did not end with 18")
    check(not h.uninstall_entry(), "Abort still installed")


def case_min_os(h):
    """A minimum Windows version above the system's: the box, exit 1, no wizard window."""
    h.start(h.bin / "ZembricoE2EMinOs.exe")
    h.drive("box", WINDOW_TIMEOUT, "nowindow", "shot", "box-min-os", "answer", "first",
            shot_prefix="e2e-")
    check(h.exit_code() == EXIT_OS_TOO_OLD, "the version gate did not end with 1")


def case_no_messages(h):
    """Without a loadable message table the program ends with 0 and shows nothing."""
    for log in startup_logs(h):
        log.unlink()
    h.start(h.bin / "ZembricoE2ENoMessages.exe")
    check(h.exit_code(WINDOW_TIMEOUT, windows=False) == 0, "no message table did not end with 0")
    # No Install.log will take the line: it stands in the start-up log of the temporary folder.
    logs = startup_logs(h)
    check(len(logs) == 1, "start-up logs: %s" % logs)
    lines = logs[0].read_bytes().decode("latin-1").split("\r\n")
    check("Language initialization failed" in lines, "start-up log: %s" % lines)


def case_licence_and_space(h):
    """The primary button needs the licence ticked and the space to suffice."""
    h.open_wizard(h.bin / "ZembricoE2E.exe",
                  "enabled", PRIMARY, 0, "click", LICENCE, "enabled", PRIMARY, 1,
                  "click", LICENCE, "enabled", PRIMARY, 0, "click", LICENCE,
                  "command", CUSTOM, "visible", FOLDER_EDIT, 1, 5,
                  # A drive that cannot be measured: empty labels, the button stays disabled.
                  "settext", FOLDER_EDIT, "B:\\Zembrico", "enabled", PRIMARY, 0,
                  "shot", "options-custom-unmeasured",
                  "settext", FOLDER_EDIT, "C:\\ZbE2E\\Zembrico", "enabled", PRIMARY, 1,
                  # A share has no drive to measure: zero amounts never block the button.
                  "settext", FOLDER_EDIT, "\\\\server\\share\\Zembrico", "enabled", PRIMARY, 1,
                  "command", STANDARD, "visible", FOLDER_EDIT, 0, 5,
                  "command", CLOSE, "box", 20, "answer", "first", "gone", 30,
                  shot_prefix="e2e-")
    check(h.exit_code() == EXIT_QUIT, "Quit did not end with -1")


def case_custom_folder(h):
    """A custom installation into a folder picked in the browser, without two shortcuts."""
    games = h.unix_path(E2E_FOLDER + "\\Games")
    games.mkdir(parents=True, exist_ok=True)
    lines = h.open_wizard(h.bin / "ZembricoE2E.exe", "command", CUSTOM, "visible", FOLDER_EDIT, 1, 5,
                  # A drive root is no install folder: OK stays disabled; Cancel keeps the text.
                  "settext", FOLDER_EDIT, "C:\\", "command", BROWSE, "folderbox", 20,
                  "foldercancel", "text", FOLDER_EDIT, "C:\\", 2,
                  "settext", FOLDER_EDIT, E2E_FOLDER + "\\Games", "command", BROWSE,
                  "folderbox", 20, "shot", "folder-browser", "folderok",
                  "text", FOLDER_EDIT, E2E_FOLDER + "\\Games\\Zembrico", 10,
                  "click", DESKTOP, "click", QUICK_LAUNCH, "shot", "options-custom",
                  shot_prefix="e2e-")
    boxes = [line for line in lines if line.startswith("folderbox:")]
    # OK for the folder is checked by "folderok", which fails when OK does not become enabled.
    check(len(boxes) == 2 and "OK enabled 0" in boxes[0], "the browser's OK button: %s" % boxes)
    check(all(line.startswith("folderbox: Browse For Folder,") for line in boxes),
          "the browser's title: %s" % boxes)
    h.install_and_wait()
    entry = h.uninstall_entry()
    check(entry.get("InstallLocation") == E2E_FOLDER + "\\Games\\Zembrico",
          "installed into " + entry.get("InstallLocation", "?"))
    check((games / "Zembrico" / "ZembricoUpdate.exe").is_file(), "no files in the custom folder")
    check("DTLink" not in entry and "QLLink" not in entry, "unticked shortcuts were made")
    check(entry.get("CSMLink"), "the start menu shortcut is missing")
    h.drive("close", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "closing after completion did not end with -1")


def case_disk_error(h):
    """A file in the way of the install folder: the error box, then the options screen again."""
    blocked = h.unix_path(E2E_FOLDER + "\\Blocked")
    blocked.parent.mkdir(parents=True, exist_ok=True)
    blocked.write_text("a file where the install folder should be")
    h.open_wizard(h.bin / "ZembricoE2E.exe", "command", CUSTOM, "visible", FOLDER_EDIT, 1, 5,
                  "settext", FOLDER_EDIT, E2E_FOLDER + "\\Blocked\\Zembrico", "click", LICENCE,
                  "command", PRIMARY, "anybox", 30, "shot", "box-disk-error", "dismiss",
                  "visible", PROGRESS, 0, 20, "visible", PRIMARY, 1, 20, "enabled", PRIMARY, 1,
                  "text", PRIMARY, "Install", 5, "shot", "options-after-disk-error",
                  shot_prefix="e2e-")
    texts = [line[6:] for line in h.drive("lines", "ZembricoInstaller", 5)
             if line.startswith("line: ")]
    check("Welcome to Zembrico Poker!" in texts and "Installing..." not in texts,
          "the options screen after the failure shows %s" % texts)
    h.drive("close", "box", 20, "answer", "first", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "Quit did not end with -1")
    check(blocked.is_file(), "the file in the way was touched")


def case_previous_folder(h):
    """The folder of a previous installation is proposed."""
    previous = E2E_FOLDER + "\\Previous\\Zembrico"
    h.remember()
    h.drive("regset", UNINSTALL_KEY + DISPLAY_NAME, "InstallLocation", previous)
    h.open_wizard(h.bin / "ZembricoE2E.exe", "command", CUSTOM,
                  "text", FOLDER_EDIT, previous, 5, "close", "box", 20, "answer", "first",
                  "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "Quit did not end with -1")
    # An empty location is no previous installation: the default folder is offered.
    h.drive("regset", UNINSTALL_KEY + DISPLAY_NAME, "InstallLocation", "")
    lines = h.open_wizard(h.bin / "ZembricoE2E.exe", "command", CUSTOM, "visible", FOLDER_EDIT,
                          1, 5, "print", FOLDER_EDIT, "close", "box", 20, "answer", "first",
                          "gone", 30)
    check("text %d: C:\\Program Files (x86)\\Zembrico" % FOLDER_EDIT in lines,
          "offered for an empty previous location: %s" % lines)
    check(h.exit_code() == EXIT_QUIT, "Quit did not end with -1")


def case_tagged_site(h):
    """A tag with SITEID=be_zb_ext installs the Belgian section."""
    tagged = h.tagged("tagged", "ZembricoE2E.exe", b"SITEID=be_zb_ext\nGID=e2e|x\n")
    display_name = "Zembrico Poker Belgium"
    h.remember(display_name)
    h.start(tagged)
    h.drive("window", WINDOW_TIMEOUT, "shot", "options-belgium", "click", LICENCE,
            "command", PRIMARY, "text", PRIMARY, "Launch " + display_name, INSTALL_TIMEOUT,
            "box", 30, "answer", "close", shot_prefix="e2e-")
    entry = h.uninstall_entry(display_name)
    folder = h.unix_path(entry.get("InstallLocation", "C:\\missing"))
    check(folder.name == "Zembrico.Belgium", "installed into " + str(folder))
    app_ini = (folder / "app.ini").read_text(errors="replace")
    check("Site=BE_ZB_EXT" in app_ini, "app.ini: " + app_ini)
    check_queued(folder, ["Reading site from TINFO", "Site from TINFO is:'be_zb_ext'",
                          "Verifying site value read from TINFO:'BE_ZB_EXT' against %d listed "
                          "sites" % listed_sites(),
                          "Site value found in list:'BE_ZB_EXT'", "Site found in sites list",
                          "Config section 'define.BE_ZB_EXT' is available, using universal "
                          "installation", ANALYTICS_OFF])
    check(background_index(h.shots / "e2e-options-belgium.png") == 1,
          "the Belgian build does not show background 108")
    h.drive("close", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "closing after completion did not end with -1")


def case_long_queued_line(h):
    """A line logged before Install.log exists and longer than 255 characters stands there cut
    at 255: an older edition whose long uninstall string names an uninstaller that is not there
    (the tracking values that once made long lines are refused now)."""
    tagged = h.tagged("long", "ZembricoE2E.exe", b"SITEID=RUSO\n")
    missing = "C:\\" + "x" * 200 + "\\" + "y" * 80 + "\\unins.exe"
    h.remember(LEGACY_NAME)
    h.remember(SCRIPT_NAME)
    h.drive("regset", UNINSTALL_KEY + LEGACY_NAME, "UninstallString",
            '"%s" /u:%s' % (missing, LEGACY_NAME))
    # The Russian build speaks Russian: the finished screen is known by its WebView2 offer.
    h.open_wizard(tagged, "click", LICENCE, "command", PRIMARY, "box", 30, "answer", "first",
                  "box", INSTALL_TIMEOUT, "answer", "close", "nobox")
    entry = h.uninstall_entry(SCRIPT_NAME)
    check(entry.get("InstallLocation"), "no installation of " + SCRIPT_NAME)
    queued = queued_lines(h.unix_path(entry["InstallLocation"]))
    print("  queued lines: %s" % queued, flush=True)
    failed = ("PError caught in ZembricoInstallWindow::UninstallPreviousVersion(): "
              "Unable to copy file: '" + missing + "' err=")
    check(failed[:255] in queued, "the failed removal's line is not there cut at 255")
    check(all(len(line) <= 255 for line in queued), "a queued line is longer than 255")
    h.drive("close", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "closing after completion did not end with -1")


def case_analytics_order(h):
    """A complete run posts its hits in the order of the wizard's milestones."""
    h.collector = Collector(h.port)
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    h.install_and_wait()
    entry = h.uninstall_entry()
    # Analytics connected: no line about it.
    check(queued_lines(h.unix_path(entry["InstallLocation"])) == UNTAGGED_SITE_LINES,
          "queued lines: %s" % queued_lines(h.unix_path(entry["InstallLocation"])))
    h.drive("command", PRIMARY, "gone", 30)
    check(h.exit_code() == EXIT_LAUNCHED, "Launch did not end with 0")
    check_one_runs_hits(h.collector)


def check_one_runs_hits(collector):
    """The hits of a whole run, launch included, are at the collector in the order of the
    wizard's milestones, each to both accounts."""
    # The program has ended, which closes its connection; the collector reads it to the end.
    wait_until(collector.all_closed)
    runs = []
    for hits in collector.runs():
        run = []
        for body in hits:
            fields = dict(part.partition("=")[::2] for part in body.split("&"))
            run.append((fields.get("tid"), fields.get("cd") or fields.get("ec")))
        runs.append(run)
    expected = []
    for milestone in ("InstallationWindow/SufficientSpace", "InstallationWindow/InstallStarted",
                      "Installation_Language_Change_51569", "InstallationWindow/InstallComplete",
                      "InstallationWindow/WV2Close"):
        expected += [("UA-10000001-1", milestone), ("UA-10000002-1", milestone)]
    print("  hits: %s" % runs, flush=True)
    # Other programs of the shared prefix may connect too: one connection must be this run.
    check(expected in runs, "hits in the wrong order: %s" % runs)


def case_default_build(h):
    """The default build installs and launches."""
    h.open_wizard(h.bin / "ZembricoInstall.exe", "shot", "options-default", shot_prefix="e2e-")
    h.install_and_wait()
    h.check_standard_installation(launcher=False)
    h.drive("command", PRIMARY, "gone", 30)
    check(h.exit_code() == EXIT_LAUNCHED, "Launch did not end with 0")


def case_tour(h):
    """A standard installation of the default build, shown screen by screen (./zb run)."""
    h.remember()
    h.open_wizard(h.bin / "ZembricoInstall.exe", "shot", "1-options", shot_prefix="run-")
    h.drive("click", LICENCE, "command", PRIMARY, "visible", PROGRESS, 1, 10, "shot", "2-progress",
            "text", PRIMARY, LAUNCH_TEXT, INSTALL_TIMEOUT, "box", 30, "shot", "3-webview2-offer",
            "answer", "close", "shot", "4-finished", shot_prefix="run-")
    entry = h.uninstall_entry()
    folder = entry.get("InstallLocation", "")
    print("\nInstalled into %s:" % folder)
    for path in sorted(h.unix_path(folder).rglob("*")):
        if path.is_file():
            print("  %8d  %s" % (path.stat().st_size, path.relative_to(h.unix_path(folder))))
    print("\nUninstall entry (wine reg query):", flush=True)
    subprocess.run(["wine", "reg", "query", "HKLM\\" + UNINSTALL_KEY + DISPLAY_NAME, "/reg:32"],
                   env=h.env, stderr=subprocess.DEVNULL)
    print("Shortcuts:")
    for name in ("DTLink", "QLLink", "SMLink", "CSMLink", "SMPGroup", "CSMPGroup"):
        if entry.get(name):
            print("  %-9s %s" % (name, entry[name]))
    h.drive("command", PRIMARY, "gone", 30)
    print("\nLaunch pressed; the setup program ended with exit code %d" % h.exit_code(), flush=True)


ROUNDTRIP_NAME = "Zembrico Poker Belgium"
ROUNDTRIP_SETTINGS = "*/AppData/Local/Zembrico.Belgium/user.ini"


def case_default_roundtrip(h):
    """The default build for a site: install, launch the real client, uninstall as the system
    would, twice."""
    roundtrip_cleaned(h, [], "English", "Uninstall " + ROUNDTRIP_NAME)


def case_custom_roundtrip(h):
    """The same in German, custom, for all users; the uninstaller refuses while the client
    runs."""
    steps = ["language", 4, "command", CUSTOM, "visible", FOLDER_EDIT, 1, 5,
             "settext", FOLDER_EDIT, E2E_FOLDER + "\\RoundTrip\\Zembrico.Belgium"]
    roundtrip_cleaned(h, steps, "German", ROUNDTRIP_NAME + " deinstallieren", refuse=True)


def temporary_copies(h):
    """The folders of the uninstaller's temporary copies and the old uninstallers' copies."""
    temp = h.unix_path("C:\\windows\\temp")
    return set(temp.glob("zbuninstall-*")) | set(temp.glob("zbremove-*"))


def roundtrip_cleaned(h, *args, **options):
    settings = h.unix_path("C:\\users")
    ini_before = set(settings.glob(ROUNDTRIP_SETTINGS))
    copies_before = temporary_copies(h)
    try:
        roundtrip(h, *args, **options)
        check(wait_until(lambda: temporary_copies(h) == copies_before),
              "temporary copies left behind: %s" % (temporary_copies(h) - copies_before))
    finally:
        h.drive("closeclass", CLIENT_CLASS, 10, quiet=True)
        for path in temporary_copies(h) - copies_before:
            shutil.rmtree(path, ignore_errors=True)
        for path in set(settings.glob(ROUNDTRIP_SETTINGS)) - ini_before:
            shutil.rmtree(path.parent, ignore_errors=True)


def roundtrip(h, wizard_steps, language, box_title, refuse=False):
    tagged = h.tagged("roundtrip", "ZembricoInstall.exe", b"SITEID=be_zb_ext\n")
    h.remember(ROUNDTRIP_NAME)
    # The finished screen brings the WebView2 offer.
    h.open_wizard(tagged, *wizard_steps, "click", LICENCE, "command", PRIMARY,
                  "box", INSTALL_TIMEOUT, "answer", "close", "nobox")
    entry, folder = h.check_standard_installation(ROUNDTRIP_NAME)
    if wizard_steps:
        check(entry.get("InstallLocation") == E2E_FOLDER + "\\RoundTrip\\Zembrico.Belgium",
              "installed into " + entry.get("InstallLocation", "?"))
    user_inis = list(h.unix_path("C:\\users").glob(ROUNDTRIP_SETTINGS))
    check(len(user_inis) == 1, "user.ini: %s" % user_inis)
    user_ini = user_inis[0].read_bytes()
    site = [line for line in (folder / "app.ini").read_text(errors="replace").splitlines()
            if line.startswith("Site=")]
    check(len(site) == 1, "no site in app.ini")

    h.drive("command", PRIMARY, "gone", 30)
    check(h.exit_code() == EXIT_LAUNCHED, "Launch did not end with 0")
    lines = [line[6:] for line in h.drive("lines", CLIENT_CLASS, WINDOW_TIMEOUT)
             if line.startswith("line: ")]
    check(lines == [ROUNDTRIP_NAME, "Site: " + site[0][5:], "Operator: none",
                    "Language: " + language], "the client shows %s" % lines)
    command = entry.get("UninstallString", "")
    check(command.startswith('"' + entry["InstallLocation"] + "\\"),
          "the uninstall string: " + command)
    if refuse:
        # Yes, then Abort while the client runs: nothing goes.
        boxes = h.drive("run", command, "box", WINDOW_TIMEOUT, "answer", "first",
                        "box", WINDOW_TIMEOUT, "answer", "second")
        check(boxes == ["box: " + box_title] * 2, "the uninstaller's boxes: %s" % boxes)
        check(h.exit_code() == UNINSTALL_CLIENT_RUNNING, "the refusal did not end with 2")
        check(h.uninstall_entry(ROUNDTRIP_NAME) == entry, "the refusal changed the key")
        check((folder / "ZembricoUninstall.exe").is_file() and (folder / "app.ini").is_file(),
              "the refusal removed files")
        check(h.unix_path(entry["DTLink"]).is_file(), "the refusal removed a shortcut")
    h.drive("closeclass", CLIENT_CLASS, 30)

    uninstall_and_check(h, ROUNDTRIP_NAME, entry, folder, box_title, user_inis[0], user_ini)

    # Once more, from a copy: nothing there, and nothing changes.
    again = h.work / "roundtrip" / "ZembricoUninstall.exe"
    again.parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(h.bin / "ZembricoUninstall.exe", again)
    arguments = command[command.index('" ') + 2:]
    h.drive("run", '"%s" %s' % (windows_path(again), arguments),
            "box", WINDOW_TIMEOUT, "answer", "first")
    check(h.exit_code() == UNINSTALL_NOT_FOUND, "a second uninstaller run did not end with 3")
    check(not h.uninstall_entry(ROUNDTRIP_NAME) and not folder.exists(),
          "the second run made something")
    check(user_inis[0].read_bytes() == user_ini, "the second run changed user.ini")


def run_uninstaller(h, command, display_name, folder):
    """Runs the uninstall command line as the system would, answers Yes twice, checks that it
    ended with 0 and waits until its temporary copy, which removes the rest once the uninstaller
    has ended, has taken the key and the folder. Returns the boxes."""
    boxes = h.drive("run", command, "box", WINDOW_TIMEOUT, "answer", "first",
                    "box", WINDOW_TIMEOUT, "answer", "first")
    check(h.exit_code() == UNINSTALL_REMOVED, "the uninstaller did not end with 0")
    wait_until(lambda: not h.uninstall_entry(display_name) and not folder.exists())
    return boxes


def uninstall_and_check(h, display_name, entry, folder, box_title, user_ini, kept):
    """Runs the entry's uninstall string as the system would and answers Yes twice (with the
    title `box_title` when given); the key, the folder, the shortcuts and the groups go, the
    file `user_ini` keeps the bytes `kept`."""
    boxes = run_uninstaller(h, entry["UninstallString"], display_name, folder)
    check(len(boxes) == 2 and (box_title is None or boxes == ["box: " + box_title] * 2),
          "the uninstaller's boxes: %s" % boxes)
    check(not h.uninstall_entry(display_name), "the uninstall key is still there")
    check(not folder.exists(), "the install folder is still there")
    for name in ("DTLink", "QLLink", "SMLink", "CSMLink"):
        if entry.get(name):
            check(not h.unix_path(entry[name]).exists(), "shortcut still there: " + entry[name])
    for name in ("SMPGroup", "CSMPGroup"):
        if entry.get(name):
            check(not h.unix_path(entry[name]).exists(), "group still there: " + entry[name])
    check(user_ini.read_bytes() == kept, "user.ini changed or went")
    check(folder.parent.is_dir(), "the folder above the install folder went")


# A user whose name the Western code page cannot write, and an install folder with Cyrillic and
# Japanese characters.
SCRIPT_USER = "\u0418\u0432\u0430\u043d"  # Ivan in Cyrillic
SCRIPT_PROFILE = "C:\\users\\" + SCRIPT_USER
SCRIPT_TEMP = SCRIPT_PROFILE + "\\Temp"
SCRIPT_PARENT = E2E_FOLDER + "\\\u0418\u0433\u0440\u044b \u30b2\u30fc\u30e0"  # "Games" twice
SCRIPT_NAME = "Zembrico Poker Russia"
LEGACY_NAME = "Zembrico Poker RU"
LEGACY_FOLDER = E2E_FOLDER + "\\\u30dd\u30fc\u30ab\u30fc RU"
USER_SHELL_FOLDERS = ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                      "Explorer\\User Shell Folders")
# The per-user shell folders the installation and the client use, inside the profile.
SCRIPT_SHELL_FOLDERS = {
    "Desktop": "Desktop",
    "AppData": "AppData\\Roaming",
    "Start Menu": "AppData\\Roaming\\Microsoft\\Windows\\Start Menu",
    "Programs": "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
    "Local AppData": "AppData\\Local",
}


@contextlib.contextmanager
def script_profile(h):
    """The prefix's user takes the Cyrillic profile: its shell folders for every program, its
    temporary folder and profile variables for the programs the driver starts. Everything is
    put back afterwards."""
    saved = h.work / "user-shell-folders.reg"
    subprocess.run(["wine", "reg", "export", USER_SHELL_FOLDERS, windows_path(saved), "/y"],
                   env=h.env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    profile = h.unix_path(SCRIPT_PROFILE)
    try:
        lines = ["Windows Registry Editor Version 5.00", "", "[%s]" % USER_SHELL_FOLDERS]
        for name, below in SCRIPT_SHELL_FOLDERS.items():
            (profile / below.replace("\\", "/")).mkdir(parents=True, exist_ok=True)
            path = SCRIPT_PROFILE + "\\" + below
            lines.append('"%s"="%s"' % (name, path.replace("\\", "\\\\")))
        h.unix_path(SCRIPT_TEMP).mkdir(parents=True, exist_ok=True)
        changed = h.work / "user-shell-folders-script.reg"
        changed.write_text("\r\n".join(lines) + "\r\n", encoding="utf-16")
        subprocess.run(["wine", "reg", "import", windows_path(changed)], env=h.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        h.drive("env", "TEMP", SCRIPT_TEMP, "env", "TMP", SCRIPT_TEMP,
                "env", "USERPROFILE", SCRIPT_PROFILE, "env", "USERNAME", SCRIPT_USER,
                "env", "APPDATA", SCRIPT_PROFILE + "\\AppData\\Roaming",
                "env", "LOCALAPPDATA", SCRIPT_PROFILE + "\\AppData\\Local")
        yield profile
    finally:
        # A new driver starts with the prefix's own environment.
        h.close_driver()
        subprocess.run(["wine", "reg", "import", windows_path(saved)], env=h.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(profile, ignore_errors=True)


def windows_path(path):
    """The Wine path of a file of the build machine."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def case_any_script(h):
    """A Cyrillic user name and a Cyrillic and Japanese install folder picked in the browser:
    legacy removal, files, entry, shortcuts, settings, the launched client, uninstall."""
    tagged = h.tagged("script", "ZembricoInstall.exe", b"SITEID=RUSO\n")
    h.unix_path(SCRIPT_PARENT).mkdir(parents=True, exist_ok=True)
    legacy = h.unix_path(LEGACY_FOLDER)
    legacy.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(h.bin / "fakeuninstaller.exe", legacy / "unins.exe")
    h.remember(LEGACY_NAME)
    h.remember(SCRIPT_NAME)
    h.drive("regset", UNINSTALL_KEY + LEGACY_NAME, "UninstallString",
            '"%s\\unins.exe" /u:%s' % (LEGACY_FOLDER, LEGACY_NAME))
    copies_before = temporary_copies(h)
    with script_profile(h) as profile:
        report = SCRIPT_TEMP + "\\unps.ran"
        h.drive("env", "ZB_FAKE_UNINSTALLER_REPORT", report)
        lines = h.open_wizard(
            tagged, "command", CUSTOM, "visible", FOLDER_EDIT, 1, 5,
            "settext", FOLDER_EDIT, SCRIPT_PARENT, "command", BROWSE, "folderbox", 20,
            "shot", "folder-browser-script", "folderok",
            "text", FOLDER_EDIT, SCRIPT_PARENT + "\\Zembrico.RUSO", 10,
            "click", LICENCE, "command", PRIMARY,
            # Remove the older edition first; later the WebView2 offer of the finished screen.
            "box", 30, "shot", "box-legacy-script", "answer", "first",
            "box", INSTALL_TIMEOUT, "answer", "close", "nobox", shot_prefix="e2e-")
        # "folderok" fails when the browser does not accept the folder.
        ran = h.unix_path(report)
        check(ran.is_file(), "the legacy uninstaller did not run")
        # From a copy in a folder of its own that only administrators can open, in the system
        # folder, and gone afterwards.
        command, copy, current = ran.read_bytes().decode("utf-16-le").split("\n")[:3]
        # The folder named as the Windows folder gives it, the module as the disk has it.
        check(re.fullmatch(r"C:\\windows\\temp\\zbremove-[0-9a-f]{16}\\_unps\.exe", copy,
                           re.IGNORECASE) and
              command.lower() == ("%s /u:%s" % (copy, LEGACY_NAME)).lower(),
              "the legacy uninstaller's record: %r" % [command, copy])
        check(current.lower() == "c:\\windows\\system32", "run in %r" % current)
        check(temporary_copies(h) == copies_before, "the old uninstaller's copy stays")
        entry, folder = check_script_installation(h, profile)
        user_ini = next(profile.glob("AppData/Local/*/user.ini"))
        kept = user_ini.read_bytes()

        h.drive("command", PRIMARY, "gone", 30)
        check(h.exit_code() == EXIT_LAUNCHED, "Launch did not end with 0")
        client = [line[6:] for line in h.drive("lines", CLIENT_CLASS, WINDOW_TIMEOUT)
                  if line.startswith("line: ")]
        check(client[:2] == [SCRIPT_NAME, "Site: RUSO"], "the client shows %s" % client)
        h.drive("closeclass", CLIENT_CLASS, 30)
        uninstall_and_check(h, SCRIPT_NAME, entry, folder, None, user_ini, kept)
        check(list((profile / "Temp").glob("ZembricoUninstall-*.log")),
              "the uninstaller did not log into the temporary folder")


def check_script_installation(h, profile):
    """The installation in the Cyrillic and Japanese folder, registered with its real name,
    with shortcuts that point there and settings in the Cyrillic profile."""
    entry = h.uninstall_entry(SCRIPT_NAME)
    expected = SCRIPT_PARENT + "\\Zembrico.RUSO"
    check(entry.get("InstallLocation") == expected,
          "installed into %r" % entry.get("InstallLocation"))
    check(entry.get("UninstallString", "").startswith('"' + expected + "\\"),
          "the uninstall string: %r" % entry.get("UninstallString"))
    folder = h.unix_path(expected)
    for name in ("Install.log", "ZembricoUpdate.exe", "ZembricoUninstall.exe", "tinfo.dat"):
        check((folder / name).is_file(), "no %s in the install folder" % name)
    check("Site=RUSO" in (folder / "app.ini").read_text(errors="replace"), "app.ini")
    check(entry.get("QLLink", "").startswith(SCRIPT_PROFILE + "\\"),
          "the quick launch shortcut is not in the profile: %r" % entry.get("QLLink"))
    for name in ("DTLink", "QLLink", "CSMLink"):
        link = h.unix_path(entry.get(name, "C:\\missing"))
        check(link.is_file(), "no shortcut file for %s" % name)
        # The target is stored as UTF-16: a path that went through a code page would not match.
        check(expected.encode("utf-16-le") in link.read_bytes(),
              "the %s shortcut does not point into the install folder" % name)
    check(len(list(profile.glob("AppData/Local/*/user.ini"))) == 1,
          "no user.ini in the profile's local application data")
    return entry, folder


HOSTILE_ONAME = "Evil" + "\\.." * 8 + "\\users\\Public\\zbpwn"


def files_of_drive_c(h):
    """Every path below drive C: except the Windows folder and the users' temporary folders,
    which Wine and the uninstaller's temporary copy write to."""
    drive = h.unix_path("C:\\")
    found = set()
    for top in drive.iterdir():
        if top.name.lower() == "windows":
            continue
        found.add(top)
        found.update(p for p in top.rglob("*") if "Temp" not in p.relative_to(drive).parts)
    return found


def signed_copy(h, source, name):
    """A copy of `source` signed with a throw-away certificate, as a publisher would ship it;
    returns it and its signer."""
    folder = h.work / name
    folder.mkdir(parents=True, exist_ok=True)
    signer = Signer(folder)
    signed = folder / source.name
    signer.sign(source, signed)
    return signed, signer


def case_hostile_tag(h):
    """A signed installer whose tag was rewritten on its way (an OID that adds a switch and
    nests the key, an ONAME that would climb out of the Start menu as a file name): the OID is
    refused, the ONAME only shown, nothing is made outside the intended folders, the entry names
    this product, uninstall removes it."""
    exe, signer = signed_copy(h, h.bin / "ZembricoInstall.exe", "hostile")
    tag = exe.parent / "tag.txt"
    tag.write_bytes(b"SITEID=be_zb_ext\nOID=x\\y /u:Other Product\nONAME=" +
                    base64.b64encode(HOSTILE_ONAME.encode()) + b"\nGID=e2e&t=x|y\n")
    subprocess.run([h.zbtag, "write", str(exe), str(tag)], check=True)
    verified, output = signer.verify(exe)
    check(verified, "the tagged installer's signature: " + output[-300:])

    before = files_of_drive_c(h)
    h.remember(ROUNDTRIP_NAME)
    settings = h.unix_path("C:\\users")
    settings_before = set(settings.glob(ROUNDTRIP_SETTINGS))
    try:
        hostile_install_and_uninstall(h, exe, before)
    finally:
        for path in set(settings.glob(ROUNDTRIP_SETTINGS)) - settings_before:
            shutil.rmtree(path.parent, ignore_errors=True)


def hostile_install_and_uninstall(h, exe, before):
    h.open_wizard(exe, "click", LICENCE, "command", PRIMARY, "box", INSTALL_TIMEOUT,
                  "answer", "close", "nobox")
    entry, folder = h.check_standard_installation(ROUNDTRIP_NAME)
    h.drive("close", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "closing after completion did not end with -1")

    # The name is only shown: the entry carries it as it is, the files its plain form.
    check(entry.get("DisplayName") == ROUNDTRIP_NAME + " - " + HOSTILE_ONAME,
          "DisplayName: %r" % entry.get("DisplayName"))
    file_name = ROUNDTRIP_NAME + " - " + HOSTILE_ONAME.replace("\\", "_")
    check(pathlib.PureWindowsPath(entry["CSMPGroup"]).name == file_name,
          "the program group: " + entry["CSMPGroup"])
    command = entry.get("UninstallString", "")
    check(command.endswith('ZembricoUninstall.exe" /u:' + ROUNDTRIP_NAME),
          "the uninstall string: " + command)
    check(not h.uninstall_entry(ROUNDTRIP_NAME + " - x"), "a key named after the OID")
    log = (folder / "Install.log").read_text(errors="replace")
    check("Other Product" not in log, "the refused value reached the log")
    settings = [p.parent for p in h.unix_path("C:\\users").glob(ROUNDTRIP_SETTINGS)]
    check(len(settings) == 1, "user.ini: %s" % settings)
    intended = [folder, h.unix_path(entry["CSMPGroup"])] + settings + [
        h.unix_path(entry[name]) for name in ("DTLink", "QLLink", "CSMLink")]

    def outside(paths, places):
        """The paths that are neither in a place nor a folder made on the way to one."""
        return sorted(str(p) for p in paths if not any(
            p == place or place in p.parents or p in place.parents for place in places))

    made = outside(files_of_drive_c(h) - before, intended)
    check(not made, "made outside the intended folders: %s" % made)
    check(not (h.unix_path("C:\\users\\Public") / "zbpwn.lnk").exists(), "zbpwn.lnk exists")

    boxes = run_uninstaller(h, command, ROUNDTRIP_NAME, folder)
    check(len(boxes) == 2, "the uninstaller's boxes: %s" % boxes)
    check(not h.uninstall_entry(ROUNDTRIP_NAME), "the uninstall key is still there")
    # user.ini stays by design; everything else the installation made is gone.
    left = outside(files_of_drive_c(h) - before, settings)
    check(not left, "left after uninstall: %s" % left)


def case_refused_folder(h):
    """A drive as install folder, typed: a box says why, nothing is written, the options
    screen stays; a folder of its own then installs."""
    lines = h.open_wizard(h.bin / "ZembricoE2E.exe", "command", CUSTOM, "visible", FOLDER_EDIT,
                          1, 5, "settext", FOLDER_EDIT, "C:", "click", LICENCE,
                          "enabled", PRIMARY, 1, "command", PRIMARY, "box", 20,
                          "shot", "box-refused-folder", shot_prefix="e2e-")
    # The box draws its text itself: the screenshot shows it, the log below says why.
    check("box: Installing " + DISPLAY_NAME in lines, "no box for C: %s" % lines)
    lines = h.drive("answer", "first", "visible", PROGRESS, 0, 5, "visible", PRIMARY, 1, 5,
                    "text", PRIMARY, "Install", 5, "settext", FOLDER_EDIT, "C:\\",
                    "command", PRIMARY, "box", 20, "answer", "first", "print", FOLDER_EDIT)
    check("text %d: C:\\" % FOLDER_EDIT in lines, "the folder field: %s" % lines)
    check(not h.uninstall_entry(), "a refused folder was installed into")
    h.remember()
    h.drive("settext", FOLDER_EDIT, E2E_FOLDER + "\\Refused\\Zembrico", "command", PRIMARY,
            "text", PRIMARY, LAUNCH_TEXT, INSTALL_TIMEOUT, "box", 30, "answer", "close")
    entry = h.uninstall_entry()
    check(entry.get("InstallLocation") == E2E_FOLDER + "\\Refused\\Zembrico",
          "installed into %r" % entry.get("InstallLocation"))
    log = (h.unix_path(entry["InstallLocation"]) / "Install.log").read_text(errors="replace")
    check("Install folder refused: 'C:'" in log and "Install folder refused: 'C:\\'" in log,
          "the refusals are not in Install.log")
    check("Install folder made for administrators: users may only read it" in log,
          "the install folder's protection is not in Install.log")
    h.drive("close", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "closing after completion did not end with -1")


# Real operators' names: the file-name form each takes in the shortcuts and the program group.
OPERATOR_NAMES = [("Royal Casino A/S", "Royal Casino A_S"), ("Acme Ltd.", "Acme Ltd")]


def case_operator_names(h):
    """Operators named with a slash or a trailing dot: the wizard and the uninstall entry show
    the name as it is, the shortcuts and the program group carry it as a file name, and the
    uninstaller finds and removes them."""
    settings = h.unix_path("C:\\users")
    ini_before = set(settings.glob(ROUNDTRIP_SETTINGS))
    try:
        for number, (name, file_name) in enumerate(OPERATOR_NAMES):
            install_operator(h, number, name, file_name)
    finally:
        for path in set(settings.glob(ROUNDTRIP_SETTINGS)) - ini_before:
            shutil.rmtree(path.parent, ignore_errors=True)


def install_operator(h, number, name, file_name):
    oid = "op%d" % number
    tagged = h.tagged("operator%d" % number, "ZembricoInstall.exe",
                      b"SITEID=be_zb_ext\nOID=" + oid.encode() + b"\nONAME=" +
                      base64.b64encode(name.encode()) + b"\n")
    key = ROUNDTRIP_NAME + " - " + oid
    h.remember(key)
    lines = h.open_wizard(tagged, "shot", "options-operator-%d" % number,
                          "lines", "ZembricoInstaller", 5, shot_prefix="e2e-")
    check("line: Operated by " + name in lines, "the operator line: %s" % lines)
    h.drive("click", LICENCE, "command", PRIMARY, "box", INSTALL_TIMEOUT, "answer", "close",
            "nobox")
    entry, folder = h.check_standard_installation(key)
    check(entry.get("DisplayName") == ROUNDTRIP_NAME + " - " + name,
          "DisplayName: %r" % entry.get("DisplayName"))
    shown_as = ROUNDTRIP_NAME + " - " + file_name
    for value in ("DTLink", "QLLink", "CSMLink"):
        check(pathlib.PureWindowsPath(entry[value]).name == shown_as + ".lnk",
              "%s: %s" % (value, entry[value]))
    check(pathlib.PureWindowsPath(entry["CSMPGroup"]).name == shown_as,
          "the program group: " + entry["CSMPGroup"])
    check((h.unix_path(entry["CSMPGroup"]) / ("Uninstall " + shown_as + ".lnk")).is_file(),
          "no uninstall shortcut in the group")
    h.drive("close", "gone", 30)
    check(h.exit_code() == EXIT_QUIT, "closing after completion did not end with -1")
    user_ini = next(h.unix_path("C:\\users").glob(ROUNDTRIP_SETTINGS))
    uninstall_and_check(h, key, entry, folder, "Uninstall " + ROUNDTRIP_NAME + " - " + name,
                        user_ini, user_ini.read_bytes())


def background_index(screenshot):
    """Which background the centred wizard shows in its left band: 0 (107, green) or 1 (108,
    grey)."""
    left, top = (1280 - 960) // 2, (800 - 720) // 2
    out = subprocess.run(["convert", str(screenshot), "-crop",
                          "250x300+%d+%d" % (left + 20, top + 200), "-format",
                          "%[fx:mean.r] %[fx:mean.g]", "info:"],
                         capture_output=True, text=True, check=True)
    red, green = map(float, out.stdout.split())
    return 0 if green - red > 0.04 else 1


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}


def main(cases=None, label="e2e"):
    """Runs the named cases of `cases` (default: this file's), each cleaned up after."""
    cases = cases or CASES
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--zbtag", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("cases", nargs="+", choices=sorted(cases))
    options = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("%s: no DISPLAY" % label, file=sys.stderr)
        return 1
    harness = Harness(options)
    failed = 0
    for name in options.cases:
        print("%s %s: %s" % (label, name, cases[name].__doc__), flush=True)
        started = time.time()
        try:
            cases[name](harness)
            print("%s %s: passed in %.1f s" % (label, name, time.time() - started), flush=True)
        except CaseFailed as failure:
            failed += 1
            print("%s %s: FAILED: %s" % (label, name, failure), flush=True)
        finally:
            if harness.collector:
                harness.collector.close()
                harness.collector = None
            try:
                harness.clean_up()
            except CaseFailed as failure:
                failed += 1
                print("%s %s: clean-up FAILED: %s" % (label, name, failure), flush=True)
    harness.close_driver()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
