#!/usr/bin/env python3
"""End-to-end tests of the setup program with the keyboard alone, and of what screen readers
read of it, under Wine on a virtual display.

    keyboard_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Keys are real X key presses (xdotool) into the wizard's and its message boxes' windows; zbdriver
only watches: which control has the focus, texts, and what each control's accessible object
reports beside the window's own state. Needs what e2e_test.py needs, and xdotool.
"""

import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import e2e_test as e2e  # noqa: E402
from e2e_test import check  # noqa: E402

WIZARD_TITLE = "Setup Zembrico"
LINK = 1006
# Accessible roles (ROLE_SYSTEM_...) by control id; other ids are labels.
PUSH_BUTTON, CHECK_BOX, RADIO, COMBO, LINK_ROLE, PROGRESS_BAR, STATIC = 43, 44, 45, 46, 30, 48, 41
ROLES = {e2e.PRIMARY: PUSH_BUTTON, e2e.CLOSE: PUSH_BUTTON, e2e.BROWSE: PUSH_BUTTON,
         e2e.DESKTOP: CHECK_BOX, e2e.QUICK_LAUNCH: CHECK_BOX, e2e.START_MENU: CHECK_BOX,
         e2e.ALL_USERS: CHECK_BOX, e2e.LICENCE: CHECK_BOX, e2e.STANDARD: RADIO, e2e.CUSTOM: RADIO,
         e2e.LANGUAGES: COMBO, LINK: LINK_ROLE, e2e.PROGRESS: PROGRESS_BAR,
         e2e.FOLDER_EDIT: None}  # the edit field is the system's own
BOX_ROLES = {6: PUSH_BUTTON, 7: PUSH_BUTTON, 8: PUSH_BUTTON}
UNAVAILABLE, FOCUSED, CHECKED, INVISIBLE = 0x1, 0x4, 0x10, 0x8000
KEY_WAIT = 10


def x_window(title):
    """The X window of a visible Wine window with exactly this title."""
    found = []

    def look():
        found[:] = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                                  capture_output=True, text=True).stdout.split()
        return found
    if not e2e.wait_until(look):
        raise e2e.CaseFailed("no X window titled %r" % title)
    return found[-1]


def keys(title, *names):
    """Presses the keys, one after another, in the window of that title. The window is focused
    only when it does not have the X focus already: a new focus makes Wine read the keyboard's
    state afresh, and a key pressed meanwhile now and then arrived marked as held, which a button
    rightly ignores (an Enter that did nothing, about once in twenty runs)."""
    window = x_window(title)
    for name in names:
        focused = subprocess.run(["xdotool", "getwindowfocus"], capture_output=True,
                                 text=True).stdout.split()
        focus = [] if focused == [window] else ["windowfocus", "--sync", window]
        subprocess.run(["xdotool", *focus, "key", name], check=True)


def type_text(title, text):
    subprocess.run(["xdotool", "windowfocus", "--sync", x_window(title), "type", "--delay", "50",
                    text], check=True)


def readers(h, which="wizard", focus=None):
    """What a screen reader reads of each visible control, checked against the window's own
    state: role by control id, a name (the visible text where there is one), and the checked,
    disabled and focused bits. Returns {id: reader record}."""
    roles = BOX_ROLES if which == "box" else ROLES
    found = {}
    for line in h.drive("readers", which, quiet=True):
        if not line.startswith("reader "):
            continue
        fields = dict(part.split(" ", 1) for part in line.split("|"))
        control = int(fields["reader"])
        state = int(fields["state"], 16)
        record = dict(fields, state=state)
        found[control] = record
        where = "%s control %d: %s" % (which, control, line)
        expected_role = roles.get(control, STATIC)
        if expected_role is None:
            continue
        check(int(fields["role"]) == expected_role, "role: " + where)
        check(fields["name"].strip(), "no name: " + where)
        text = fields["text"]
        if text and control != e2e.LANGUAGES:
            check(fields["name"].startswith(text), "name is not the drawn text: " + where)
        if control == e2e.LANGUAGES:
            check(fields["value"] == text, "the list's value is not the shown item: " + where)
        check(not state & INVISIBLE, "visible but reads invisible: " + where)
        check(bool(state & UNAVAILABLE) == (fields["enabled"] == "0"), "enabled: " + where)
        check(bool(state & FOCUSED) == (fields["focused"] == "1"), "focused: " + where)
        if fields["check"] != "-1":
            check(bool(state & CHECKED) == (fields["check"] == "1"), "checked: " + where)
    if focus is not None:
        check(focus in found and found[focus]["focused"] == "1",
              "%s: control %s has not the focus" % (which, focus))
    print("  readers %s: %d controls agree" % (which, len(found)), flush=True)
    return found


def tab_to(h, control, presses=1, shift=False):
    keys(WIZARD_TITLE, *(["shift+Tab" if shift else "Tab"] * presses))
    h.drive("focus", control, KEY_WAIT)


def choose_language_by_keys(h):
    """Arrow keys on the closed list, and Alt+Down with typing or Home and Enter in the open
    list, each change the language; the wizard follows (the primary button's text). The two
    English entries come first, so the third is another language."""
    english = next(line for line in h.drive("print", e2e.LANGUAGES, quiet=True)
                   if line.startswith("text ")).split(": ", 1)[1]
    keys(WIZARD_TITLE, "Down", "Down")
    h.drive("textnot", e2e.LANGUAGES, english, KEY_WAIT, "textnot", e2e.PRIMARY, "Install",
            KEY_WAIT)
    keys(WIZARD_TITLE, "Up", "Up")
    h.drive("text", e2e.LANGUAGES, english, KEY_WAIT, "text", e2e.PRIMARY, "Install", KEY_WAIT)
    keys(WIZARD_TITLE, "alt+Down")
    h.drive("dropped", 1, KEY_WAIT)
    keys(WIZARD_TITLE, "d", "Return")
    h.drive("dropped", 0, KEY_WAIT, "textnot", e2e.PRIMARY, "Install", KEY_WAIT,
            "shot", "keyboard-language", shot_prefix="e2e-")
    check(next(line for line in h.drive("print", e2e.LANGUAGES, quiet=True)
               if line.startswith("text ")).split(": ", 1)[1].startswith("D"),
          "typing d did not choose a language whose name starts with D")
    keys(WIZARD_TITLE, "alt+Down")
    h.drive("dropped", 1, KEY_WAIT)
    keys(WIZARD_TITLE, "Home", "Return")
    h.drive("dropped", 0, KEY_WAIT, "text", e2e.LANGUAGES, english, KEY_WAIT,
            "text", e2e.PRIMARY, "Install", KEY_WAIT)


def finish_by_keys(h):
    """Waits for the finished screen and closes the WebView2 offer with Escape."""
    h.drive("text", e2e.PRIMARY, e2e.LAUNCH_TEXT, e2e.INSTALL_TIMEOUT, "box", 30)
    keys("Download and Install WebView2", "Escape")
    h.drive("nobox")
    # The wizard takes the X focus back now, so that the next key finds it settled.
    subprocess.run(["xdotool", "windowfocus", "--sync", x_window(WIZARD_TITLE)], check=True)


def case_keyboard_standard(h):
    """Standard installation, language changed and back, with keys alone; readers agree with
    the options, finished and message-box screens; Enter on Launch ends with 0."""
    h.remember()
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    tab_to(h, e2e.LANGUAGES)
    readers(h, focus=e2e.LANGUAGES)
    choose_language_by_keys(h)
    tab_to(h, e2e.STANDARD)
    tab_to(h, e2e.CUSTOM)
    tab_to(h, e2e.LICENCE)
    h.drive("enabled", e2e.PRIMARY, 0)
    keys(WIZARD_TITLE, "space")
    h.drive("enabled", e2e.PRIMARY, 1, "shot", "keyboard-options", shot_prefix="e2e-")
    found = readers(h, focus=e2e.LICENCE)
    check(found[e2e.LICENCE]["state"] & CHECKED, "the ticked licence does not read checked")
    check(not found[e2e.PRIMARY]["state"] & UNAVAILABLE, "Install reads disabled")
    check(e2e.FOLDER_EDIT not in found, "a custom-only control is visible in standard mode")
    tab_to(h, LINK)
    tab_to(h, e2e.PRIMARY)
    keys(WIZARD_TITLE, "Return")
    # Enter starts the installation: the finished screen follows. The progress screen of this
    # small payload may come and go before a driver started after the key press looks.
    finish_by_keys(h)
    found = readers(h)
    check(found[e2e.PRIMARY]["name"] == e2e.LAUNCH_TEXT, "Launch: %s" % found[e2e.PRIMARY])
    h.check_standard_installation()
    h.drive("focus", e2e.PRIMARY, KEY_WAIT)
    keys(WIZARD_TITLE, "Return")
    check(h.exit_code() == e2e.EXIT_LAUNCHED, "Enter on Launch did not end with 0")


def case_keyboard_custom(h):
    """Custom installation with keys alone: a shortcut unticked with Space, the folder typed
    and then picked in the browser with Enter, Install pressed with Space."""
    keys_folder = e2e.E2E_FOLDER + "\\Keys"
    h.unix_path(keys_folder).mkdir(parents=True, exist_ok=True)
    h.remember()
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    tab_to(h, e2e.CUSTOM, presses=3)
    keys(WIZARD_TITLE, "space")
    h.drive("visible", e2e.FOLDER_EDIT, 1, KEY_WAIT)
    readers(h, focus=e2e.CUSTOM)
    tab_to(h, e2e.DESKTOP)
    keys(WIZARD_TITLE, "space")
    check(readers(h)[e2e.DESKTOP]["check"] == "0", "Space did not untick the desktop shortcut")
    tab_to(h, e2e.FOLDER_EDIT, presses=4)
    type_text(WIZARD_TITLE, keys_folder)
    h.drive("text", e2e.FOLDER_EDIT, keys_folder, KEY_WAIT)
    tab_to(h, e2e.BROWSE)
    keys(WIZARD_TITLE, "Return")
    h.drive("folderbox", 20)
    keys("Browse For Folder", "Return")
    h.drive("text", e2e.FOLDER_EDIT, keys_folder + "\\Zembrico", KEY_WAIT,
            "shot", "keyboard-custom", shot_prefix="e2e-")
    tab_to(h, e2e.LICENCE)
    keys(WIZARD_TITLE, "space")
    tab_to(h, e2e.PRIMARY, presses=2)
    keys(WIZARD_TITLE, "space")
    finish_by_keys(h)
    entry = h.uninstall_entry()
    check(entry.get("InstallLocation") == keys_folder + "\\Zembrico",
          "installed into " + entry.get("InstallLocation", "?"))
    check("DTLink" not in entry, "the unticked desktop shortcut was made")
    check(entry.get("QLLink") and entry.get("CSMLink"), "a ticked shortcut is missing")
    keys(WIZARD_TITLE, "Escape")
    check(h.exit_code() == e2e.EXIT_QUIT, "Escape on the finished screen did not end with -1")


def case_keyboard_quit(h):
    """Escape asks the quit question; in the box Tab reaches the second button, Enter presses
    it; Escape again and Enter on the first button quits with -1. Readers agree in the box."""
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    keys(WIZARD_TITLE, "Escape")
    title = h.drive("box", 20)[-1].split(": ", 1)[1]
    found = readers(h, "box", focus=6)
    check(sorted(found) == [6, 7, 8], "the quit box's controls: %s" % sorted(found))
    keys(title, "Tab")
    readers(h, "box", focus=7)
    keys(title, "Return")
    h.drive("boxgone", KEY_WAIT, "window", 5)
    keys(WIZARD_TITLE, "Escape")
    h.drive("box", 20)
    keys(title, "Return")
    check(h.exit_code() == e2e.EXIT_QUIT, "Quit by keys did not end with -1")


def case_readers_progress(h):
    """The progress screen reads as a progress bar with a percentage."""
    h.remember()
    h.open_wizard(h.bin / "ZembricoE2ESlow.exe")
    # The quit question holds the installation on the progress screen while the readers look.
    h.drive("click", e2e.LICENCE, "command", e2e.PRIMARY, "command", e2e.CLOSE, "box", 20,
            "visible", e2e.PROGRESS, 1, 20)
    found = readers(h)
    bar = found.get(e2e.PROGRESS)
    check(bar and bar["value"].endswith("%") and bar["name"], "the progress bar: %s" % bar)
    check(e2e.PRIMARY not in found, "an options control shows on the progress screen")
    h.drive("answer", "second", "text", e2e.PRIMARY, e2e.LAUNCH_TEXT, e2e.INSTALL_TIMEOUT, "box", 30,
            "answer", "close", "close", "gone", 30)
    check(h.exit_code() == e2e.EXIT_QUIT, "closing after completion did not end with -1")


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}


if __name__ == "__main__":
    sys.exit(e2e.main(CASES, "keyboard"))
