#!/usr/bin/env python3
"""End-to-end tests of the setup program with the keyboard alone, and of what screen readers
read of it, under Wine on a virtual display.

    keyboard_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Keys are real X key presses (xdotool) into the wizard's and its message boxes' windows; zbdriver
only watches: which control has the focus, texts, and what each control's accessible object
reports beside the window's own state. Needs what the harness needs, and xdotool.
"""

import subprocess
import sys

from harness import ids
from harness.core import E2E_FOLDER, INSTALL_TIMEOUT, LAUNCH_TEXT, CaseFailed, check, wait_until
from harness.runner import main
from harness.steps import (answer, click, close, command, is_disabled, is_enabled, no_box,
                           print_text, readers, shot, wait_box, wait_box_gone, wait_dropped,
                           wait_focus, wait_folder_box, wait_gone, wait_shown, wait_text,
                           wait_text_not, wait_window)


WIZARD_TITLE = "Setup Zembrico"
# Accessible roles (ROLE_SYSTEM_...) by control id; other ids are labels.
PUSH_BUTTON, CHECK_BOX, RADIO, COMBO, LINK_ROLE, PROGRESS_BAR, STATIC = 43, 44, 45, 46, 30, 48, 41
UNAVAILABLE, FOCUSED, CHECKED, INVISIBLE = 0x1, 0x4, 0x10, 0x8000
KEY_WAIT = 10


def wizard_roles():
    return {ids.PRIMARY: PUSH_BUTTON, ids.CLOSE: PUSH_BUTTON, ids.BROWSE: PUSH_BUTTON,
            ids.DESKTOP: CHECK_BOX, ids.QUICK_LAUNCH: CHECK_BOX, ids.START_MENU: CHECK_BOX,
            ids.ALL_USERS: CHECK_BOX, ids.LICENCE: CHECK_BOX, ids.STANDARD: RADIO,
            ids.CUSTOM: RADIO, ids.LANGUAGES: COMBO, ids.LICENCE_LINK: LINK_ROLE,
            # The edit field is the system's own.
            ids.PROGRESS: PROGRESS_BAR, ids.FOLDER_EDIT: None}


def box_roles():
    return {ids.BOX_FIRST: PUSH_BUTTON, ids.BOX_SECOND: PUSH_BUTTON, ids.BOX_CLOSE: PUSH_BUTTON}


def x_window(title):
    """The X window of a visible Wine window with exactly this title."""
    found = []

    def look():
        found[:] = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                                  capture_output=True, text=True).stdout.split()
        return found
    if not wait_until(look):
        raise CaseFailed("no X window titled %r" % title)
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


def read_controls(h, which="wizard", focus=None):
    """What a screen reader reads of each visible control, checked against the window's own
    state: role by control id, a name (the visible text where there is one), and the checked,
    disabled and focused bits. Returns {id: reader record}."""
    roles = box_roles() if which == "box" else wizard_roles()
    found = {}
    for line in h.drive(readers(which), quiet=True):
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
        if text and control != ids.LANGUAGES:
            check(fields["name"].startswith(text), "name is not the drawn text: " + where)
        if control == ids.LANGUAGES:
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
    h.drive(wait_focus(control, timeout=KEY_WAIT))


def choose_language_by_keys(h):
    """Arrow keys on the closed list, and Alt+Down with typing or Home and Enter in the open
    list, each change the language; the wizard follows (the primary button's text). The two
    English entries come first, so the third is another language."""
    english = next(line for line in h.drive(print_text(ids.LANGUAGES), quiet=True)
                   if line.startswith("text ")).split(": ", 1)[1]
    keys(WIZARD_TITLE, "Down", "Down")
    h.drive(wait_text_not(ids.LANGUAGES, english, timeout=KEY_WAIT),
            wait_text_not(ids.PRIMARY, "Install", timeout=KEY_WAIT))
    keys(WIZARD_TITLE, "Up", "Up")
    h.drive(wait_text(ids.LANGUAGES, english, timeout=KEY_WAIT),
            wait_text(ids.PRIMARY, "Install", timeout=KEY_WAIT))
    keys(WIZARD_TITLE, "alt+Down")
    h.drive(wait_dropped(1, timeout=KEY_WAIT))
    keys(WIZARD_TITLE, "d", "Return")
    h.drive(wait_dropped(0, timeout=KEY_WAIT),
            wait_text_not(ids.PRIMARY, "Install", timeout=KEY_WAIT),
            shot("keyboard-language"), shot_prefix="e2e-")
    check(next(line for line in h.drive(print_text(ids.LANGUAGES), quiet=True)
               if line.startswith("text ")).split(": ", 1)[1].startswith("D"),
          "typing d did not choose a language whose name starts with D")
    keys(WIZARD_TITLE, "alt+Down")
    h.drive(wait_dropped(1, timeout=KEY_WAIT))
    keys(WIZARD_TITLE, "Home", "Return")
    h.drive(wait_dropped(0, timeout=KEY_WAIT),
            wait_text(ids.LANGUAGES, english, timeout=KEY_WAIT),
            wait_text(ids.PRIMARY, "Install", timeout=KEY_WAIT))


def finish_by_keys(h):
    """Waits for the finished screen and closes the WebView2 offer with Escape."""
    h.drive(wait_text(ids.PRIMARY, LAUNCH_TEXT, timeout=INSTALL_TIMEOUT),
            wait_box(timeout=30))
    keys("Download and Install WebView2", "Escape")
    h.drive(no_box())
    # The wizard takes the X focus back now, so that the next key finds it settled.
    subprocess.run(["xdotool", "windowfocus", "--sync", x_window(WIZARD_TITLE)], check=True)


def case_keyboard_standard(h):
    """Standard installation, language changed and back, with keys alone; readers agree with
    the options, finished and message-box screens; Enter on Launch ends with 0."""
    h.remember()
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    tab_to(h, ids.LANGUAGES)
    read_controls(h, focus=ids.LANGUAGES)
    choose_language_by_keys(h)
    tab_to(h, ids.STANDARD)
    tab_to(h, ids.CUSTOM)
    tab_to(h, ids.LICENCE)
    h.drive(is_disabled(ids.PRIMARY))
    keys(WIZARD_TITLE, "space")
    h.drive(is_enabled(ids.PRIMARY), shot("keyboard-options"), shot_prefix="e2e-")
    found = read_controls(h, focus=ids.LICENCE)
    check(found[ids.LICENCE]["state"] & CHECKED, "the ticked licence does not read checked")
    check(not found[ids.PRIMARY]["state"] & UNAVAILABLE, "Install reads disabled")
    check(ids.FOLDER_EDIT not in found, "a custom-only control is visible in standard mode")
    tab_to(h, ids.LICENCE_LINK)
    tab_to(h, ids.PRIMARY)
    keys(WIZARD_TITLE, "Return")
    # Enter starts the installation: the finished screen follows. The progress screen of this
    # small payload may come and go before a driver started after the key press looks.
    finish_by_keys(h)
    found = read_controls(h)
    check(found[ids.PRIMARY]["name"] == LAUNCH_TEXT, "Launch: %s" % found[ids.PRIMARY])
    h.check_standard_installation()
    h.drive(wait_focus(ids.PRIMARY, timeout=KEY_WAIT))
    keys(WIZARD_TITLE, "Return")
    check(h.exit_code() == ids.EXIT_LAUNCHED, "Enter on Launch did not end with 0")


def case_keyboard_custom(h):
    """Custom installation with keys alone: a shortcut unticked with Space, the folder typed
    and then picked in the browser with Enter, Install pressed with Space."""
    keys_folder = E2E_FOLDER + "\\Keys"
    h.unix_path(keys_folder).mkdir(parents=True, exist_ok=True)
    h.remember()
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    tab_to(h, ids.CUSTOM, presses=3)
    keys(WIZARD_TITLE, "space")
    h.drive(wait_shown(ids.FOLDER_EDIT, timeout=KEY_WAIT))
    read_controls(h, focus=ids.CUSTOM)
    tab_to(h, ids.DESKTOP)
    keys(WIZARD_TITLE, "space")
    check(read_controls(h)[ids.DESKTOP]["check"] == "0",
          "Space did not untick the desktop shortcut")
    tab_to(h, ids.FOLDER_EDIT, presses=4)
    type_text(WIZARD_TITLE, keys_folder)
    h.drive(wait_text(ids.FOLDER_EDIT, keys_folder, timeout=KEY_WAIT))
    tab_to(h, ids.BROWSE)
    keys(WIZARD_TITLE, "Return")
    h.drive(wait_folder_box(timeout=20))
    keys("Browse For Folder", "Return")
    h.drive(wait_text(ids.FOLDER_EDIT, keys_folder + "\\Zembrico", timeout=KEY_WAIT),
            shot("keyboard-custom"), shot_prefix="e2e-")
    tab_to(h, ids.LICENCE)
    keys(WIZARD_TITLE, "space")
    tab_to(h, ids.PRIMARY, presses=2)
    keys(WIZARD_TITLE, "space")
    finish_by_keys(h)
    entry = h.uninstall_entry()
    check(entry.get("InstallLocation") == keys_folder + "\\Zembrico",
          "installed into " + entry.get("InstallLocation", "?"))
    check("DTLink" not in entry, "the unticked desktop shortcut was made")
    check(entry.get("QLLink") and entry.get("CSMLink"), "a ticked shortcut is missing")
    keys(WIZARD_TITLE, "Escape")
    check(h.exit_code() == ids.EXIT_QUIT, "Escape on the finished screen did not end with -1")


def case_keyboard_quit(h):
    """Escape asks the quit question; in the box Tab reaches the second button, Enter presses
    it; Escape again and Enter on the first button quits with -1. Readers agree in the box."""
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    keys(WIZARD_TITLE, "Escape")
    title = h.drive(wait_box(timeout=20))[-1].split(": ", 1)[1]
    found = read_controls(h, "box", focus=ids.BOX_FIRST)
    check(sorted(found) == [6, 7, 8], "the quit box's controls: %s" % sorted(found))
    keys(title, "Tab")
    read_controls(h, "box", focus=ids.BOX_SECOND)
    keys(title, "Return")
    h.drive(wait_box_gone(timeout=KEY_WAIT), wait_window(timeout=5))
    keys(WIZARD_TITLE, "Escape")
    h.drive(wait_box(timeout=20))
    keys(title, "Return")
    check(h.exit_code() == ids.EXIT_QUIT, "Quit by keys did not end with -1")


def case_readers_progress(h):
    """The progress screen reads as a progress bar with a percentage."""
    h.remember()
    h.open_wizard(h.bin / "ZembricoE2ESlow.exe")
    # The quit question holds the installation on the progress screen while the readers look.
    h.drive(click(ids.LICENCE), command(ids.PRIMARY), command(ids.CLOSE), wait_box(timeout=20),
            wait_shown(ids.PROGRESS, timeout=20))
    found = read_controls(h)
    bar = found.get(ids.PROGRESS)
    check(bar and bar["value"].endswith("%") and bar["name"], "the progress bar: %s" % bar)
    check(ids.PRIMARY not in found, "an options control shows on the progress screen")
    h.drive(answer("second"),
            wait_text(ids.PRIMARY, LAUNCH_TEXT, timeout=INSTALL_TIMEOUT),
            wait_box(timeout=30), answer("close"), close(),
            wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}


if __name__ == "__main__":
    sys.exit(main(CASES, "keyboard"))
