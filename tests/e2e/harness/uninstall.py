"""Uninstalling as the system would, and what must be gone afterwards."""

from . import ids
from .core import WINDOW_TIMEOUT, check, wait_until
from .steps import answer, run, wait_box

ROUNDTRIP_NAME = "Zembrico Poker Belgium"
ROUNDTRIP_SETTINGS = "*/AppData/Local/Zembrico.Belgium/user.ini"


def temporary_copies(h):
    """The folders of the uninstaller's temporary copies and the old uninstallers' copies."""
    temp = h.unix_path("C:\\windows\\temp")
    return set(temp.glob("zbuninstall-*")) | set(temp.glob("zbremove-*"))


def run_uninstaller(h, command, display_name, folder):
    """Runs the uninstall command line as the system would, answers Yes twice, checks that it
    ended with 0 and waits until its temporary copy, which removes the rest once the uninstaller
    has ended, has taken the key and the folder. Returns the boxes."""
    boxes = h.drive(run(command), wait_box(timeout=WINDOW_TIMEOUT), answer("first"),
                    wait_box(timeout=WINDOW_TIMEOUT), answer("first"))
    check(h.exit_code() == ids.UNINSTALL_REMOVED, "the uninstaller did not end with 0")
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
