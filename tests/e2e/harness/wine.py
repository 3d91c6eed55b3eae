"""The harness: Wine, the serving driver, and what an installation leaves on the machine."""

import os
import pathlib
import shutil
import subprocess

from . import ids
from .core import (DISPLAY_NAME, E2E_FOLDER, INSTALL_TIMEOUT, LAUNCH_TEXT, ROOT, UNINSTALL_KEY,
                   WINDOW_TIMEOUT, CaseFailed, check, windows_path)
from .steps import (answer, click, command, flatten, is_enabled, kill_under, no_box, reg_delete,
                    reg_query, release, report_windows_10, shot, start, terminate, wait_box,
                    wait_exit, wait_hidden, wait_shown, wait_text, wait_window)


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
        ids.read_from(self)

    # ---- Wine and the driver ----

    def unix_path(self, windows_path):
        drive, _, rest = windows_path.partition(":")
        return self.prefix / ("drive_" + drive.lower()) / rest.lstrip("\\").replace("\\", "/")

    def start(self, exe):
        """Starts an installer through the driver, which then looks only at its windows. The
        build options ask for Windows 10; the prefix reports 7 unless told per program."""
        exe = pathlib.Path(exe).resolve()
        self.drive(report_windows_10(exe.name), start(windows_path(exe)))

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
        words = self.drive(wait_exit(timeout=timeout), quiet=True)[-1].split()
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
        self.driver.stdin.write("\t".join(map(str, flatten(steps))) + "\n")
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
        for line in self.drive(reg_query(UNINSTALL_KEY + display_name), quiet=True):
            if line.startswith("reg ") and ": " in line:
                name, _, value = line[4:].partition(": ")
                values[name] = value
        return values

    def remember(self, display_name=DISPLAY_NAME):
        if display_name not in self.installed:
            self.installed.append(display_name)

    def clean_up(self):
        steps = [terminate(), release()]
        for display_name in self.installed:
            entry = self.uninstall_entry(display_name)
            for name in ("DTLink", "QLLink", "SMLink", "CSMLink"):
                if entry.get(name):
                    self.unix_path(entry[name]).unlink(missing_ok=True)
            if entry.get("InstallLocation"):
                self.drive(kill_under(entry["InstallLocation"]), quiet=True)
            for name in ("SMPGroup", "CSMPGroup", "InstallLocation"):
                if entry.get(name):
                    shutil.rmtree(self.unix_path(entry[name]), ignore_errors=True)
            steps += [reg_delete(UNINSTALL_KEY + display_name)]
        self.drive(*steps)
        self.installed = []
        shutil.rmtree(self.unix_path(E2E_FOLDER), ignore_errors=True)

    # ---- common walks ----

    def open_wizard(self, exe, *steps, shot_prefix=""):
        self.start(exe)
        return self.drive(wait_window(timeout=WINDOW_TIMEOUT), *steps, shot_prefix=shot_prefix)

    def install_and_wait(self, *before_install, shot_prefix="", webview_shot=None):
        """Ticks the licence, presses Install, waits for the finished screen and closes the
        WebView2 offer that a 64-bit prefix without the runtime gets."""
        self.remember()
        webview = [shot(webview_shot)] if webview_shot else []
        lines = self.drive(*before_install, click(ids.LICENCE), is_enabled(ids.PRIMARY),
                           command(ids.PRIMARY),
                           wait_text(ids.PRIMARY, LAUNCH_TEXT, timeout=INSTALL_TIMEOUT),
                           wait_hidden(ids.PROGRESS, timeout=5),
                           wait_shown(ids.PRIMARY, timeout=5), wait_box(timeout=30), *webview,
                           answer("close"), no_box(), shot_prefix=shot_prefix)
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
