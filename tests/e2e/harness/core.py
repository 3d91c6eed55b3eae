"""What every case and script uses: failures, waits, and the places of the test machine."""

import pathlib
import time

ROOT = pathlib.Path(__file__).resolve().parents[3]
UNINSTALL_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
E2E_FOLDER = "C:\\ZbE2E"
DISPLAY_NAME = "Zembrico Poker"
LAUNCH_TEXT = "Launch Zembrico Poker"
# The Russian section, and an older edition of it that the installation removes first.
SCRIPT_NAME = "Zembrico Poker Russia"
LEGACY_NAME = "Zembrico Poker RU"
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


def windows_path(path):
    """The Wine path of a file of the build machine."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")
