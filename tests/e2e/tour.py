#!/usr/bin/env python3
"""A standard installation of the default build, shown screen by screen (./zb run): the
screenshots, the installed files, the uninstall entry and the shortcuts.

    tour.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N tour
"""

import subprocess
import sys

from harness import ids
from harness.core import DISPLAY_NAME, INSTALL_TIMEOUT, LAUNCH_TEXT, UNINSTALL_KEY
from harness.runner import main
from harness.steps import answer, click, command, shot, wait_box, wait_gone, wait_shown, wait_text


def case_tour(h):
    """A standard installation of the default build, shown screen by screen (./zb run)."""
    h.remember()
    h.open_wizard(h.bin / "ZembricoInstall.exe", shot("1-options"), shot_prefix="run-")
    h.drive(click(ids.LICENCE), command(ids.PRIMARY), wait_shown(ids.PROGRESS, timeout=10),
            shot("2-progress"), wait_text(ids.PRIMARY, LAUNCH_TEXT, timeout=INSTALL_TIMEOUT),
            wait_box(timeout=30), shot("3-webview2-offer"), answer("close"),
            shot("4-finished"), shot_prefix="run-")
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
    h.drive(command(ids.PRIMARY), wait_gone(timeout=30))
    print("\nLaunch pressed; the setup program ended with exit code %d" % h.exit_code(),
          flush=True)


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    sys.exit(main(CASES, "run"))
