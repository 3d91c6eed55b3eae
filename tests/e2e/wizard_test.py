#!/usr/bin/env python3
"""End-to-end tests of the wizard's screens, questions and exit codes under Wine.

    wizard_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Each CASE starts a built installer, plays the user with zbdriver (a Windows program that finds
the "ZembricoInstaller" window and sends what clicks would send), and checks what the machine
holds afterwards. Needs DISPLAY, a Wine prefix (WINEPREFIX, default build/wine) and
ImageMagick's import. Every case cleans up what it installed, also when it fails.
"""

import sys

from harness import ids
from harness.collector import Collector, check_one_runs_hits
from harness.core import (DISPLAY_NAME, E2E_FOLDER, INSTALL_TIMEOUT, LAUNCH_TEXT, UNINSTALL_KEY,
                          WINDOW_TIMEOUT, check, wait_until)
from harness.installlog import (ANALYTICS_OFF, UNTAGGED_SITE_LINES, check_queued, queued_lines,
                                startup_logs)
from harness.runner import main
from harness.screenshots import background_index
from harness.steps import (answer, click, close, command, dismiss, folder_cancel, folder_ok,
                           hold_mutex, is_disabled, is_enabled, no_box, no_window, print_text,
                           reg_set, set_text, shot, wait_any_box, wait_box, wait_folder_box,
                           wait_gone, wait_hidden, wait_shown, wait_text, wait_window,
                           window_lines)


def case_standard(h):
    """A standard installation makes all four shortcut kinds; Launch starts the launcher, 0."""
    h.open_wizard(h.bin / "ZembricoE2E.exe", is_disabled(ids.PRIMARY),
                  shot("options-standard"), shot_prefix="e2e-")
    check(background_index(h.shots / "e2e-options-standard.png") == 0,
          "the universal build does not show background 107")
    h.install_and_wait(wait_hidden(ids.DESKTOP, timeout=1), shot_prefix="e2e-",
                       webview_shot="box-webview2")
    h.drive(shot("finished"), shot_prefix="e2e-")
    entry, folder = h.check_standard_installation()
    # Untagged, and no collector listens: the site lines, then why analytics is off.
    check_queued(folder, UNTAGGED_SITE_LINES + [ANALYTICS_OFF])
    h.drive(command(ids.PRIMARY), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_LAUNCHED, "Launch did not end the installer with 0")
    check("Launch main app: '" in (folder / "Install.log").read_text(errors="replace"),
          "the launch is not in Install.log")
    check(wait_until((folder / "launched.txt").exists), "the launcher was not started")
    check("ZembricoUpdate.exe" in (folder / "launched.txt").read_text(),
          "the launcher's command line")


def case_finished_close(h):
    """Closing on the finished screen ends with -1 and asks nothing."""
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    h.install_and_wait()
    # A question would keep the wizard.
    h.drive(close(), wait_gone(timeout=30), no_box())
    check(h.exit_code() == ids.EXIT_QUIT, "closing the finished screen did not end with -1")


def case_options_quit(h):
    """Quit on the options screen asks, and Quit ends with -1."""
    h.open_wizard(h.bin / "ZembricoE2E.exe", command(ids.CLOSE), wait_box(timeout=20),
                  shot("box-quit-options"), answer("second"),
                  wait_window(timeout=5), shot_prefix="e2e-")
    h.drive(close(), wait_box(timeout=20), answer("first"),
            wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "Quit did not end with -1")


def case_progress_continue(h):
    """Quit during the installation pauses it; "Continue installation" resumes it."""
    h.open_wizard(h.bin / "ZembricoE2ESlow.exe")
    h.remember()
    # Install and close are posted together, so that the question arrives (and pauses the
    # worker) before even a fast machine has unpacked the payload.
    h.drive(click(ids.LICENCE), command(ids.PRIMARY), command(ids.CLOSE), wait_box(timeout=20),
            wait_shown(ids.PROGRESS, timeout=20), shot("box-quit-progress"), answer("second"),
            wait_text(ids.PRIMARY, LAUNCH_TEXT, timeout=INSTALL_TIMEOUT), wait_box(timeout=30),
            answer("close"), shot_prefix="e2e-")
    entry = h.uninstall_entry()
    check(entry.get("InstallLocation"), "the resumed installation did not register")
    files = list(h.unix_path(entry["InstallLocation"]).rglob("*.txt"))
    check(len(files) >= 500, "only %d files were installed" % len(files))
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")


def case_running_client(h):
    """A running client (its mutex held) asks Retry/Abort; Abort ends with 18."""
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    h.drive(hold_mutex("VessantOnlinePokerLobbyWindowClass"), click(ids.LICENCE),
            command(ids.PRIMARY), wait_box(timeout=20), shot("box-running-client"),
            answer("second"), wait_gone(timeout=30), shot_prefix="e2e-")
    check(h.exit_code() == ids.EXIT_RUNNING_CLIENT, "Abort did not end with 18")
    check(not h.uninstall_entry(), "Abort still installed")


def case_min_os(h):
    """A minimum Windows version above the system's: the box, exit 1, no wizard window."""
    h.start(h.bin / "ZembricoE2EMinOs.exe")
    h.drive(wait_box(timeout=WINDOW_TIMEOUT), no_window(), shot("box-min-os"),
            answer("first"), shot_prefix="e2e-")
    check(h.exit_code() == ids.EXIT_OS_TOO_OLD, "the version gate did not end with 1")


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
                  is_disabled(ids.PRIMARY), click(ids.LICENCE), is_enabled(ids.PRIMARY),
                  click(ids.LICENCE), is_disabled(ids.PRIMARY), click(ids.LICENCE),
                  command(ids.CUSTOM), wait_shown(ids.FOLDER_EDIT, timeout=5),
                  # A drive that cannot be measured: empty labels, the button stays disabled.
                  set_text(ids.FOLDER_EDIT, "B:\\Zembrico"), is_disabled(ids.PRIMARY),
                  shot("options-custom-unmeasured"),
                  set_text(ids.FOLDER_EDIT, "C:\\ZbE2E\\Zembrico"), is_enabled(ids.PRIMARY),
                  # A share has no drive to measure: zero amounts never block the button.
                  set_text(ids.FOLDER_EDIT, "\\\\server\\share\\Zembrico"),
                  is_enabled(ids.PRIMARY), command(ids.STANDARD),
                  wait_hidden(ids.FOLDER_EDIT, timeout=5), command(ids.CLOSE),
                  wait_box(timeout=20), answer("first"),
                  wait_gone(timeout=30), shot_prefix="e2e-")
    check(h.exit_code() == ids.EXIT_QUIT, "Quit did not end with -1")


def case_custom_folder(h):
    """A custom installation into a folder picked in the browser, without two shortcuts."""
    games = h.unix_path(E2E_FOLDER + "\\Games")
    games.mkdir(parents=True, exist_ok=True)
    lines = h.open_wizard(h.bin / "ZembricoE2E.exe", command(ids.CUSTOM),
                          wait_shown(ids.FOLDER_EDIT, timeout=5),
                          # A drive root is no install folder: OK stays disabled; Cancel keeps
                          # the text.
                          set_text(ids.FOLDER_EDIT, "C:\\"), command(ids.BROWSE),
                          wait_folder_box(timeout=20), folder_cancel(),
                          wait_text(ids.FOLDER_EDIT, "C:\\", timeout=2),
                          set_text(ids.FOLDER_EDIT, E2E_FOLDER + "\\Games"), command(ids.BROWSE),
                          wait_folder_box(timeout=20), shot("folder-browser"), folder_ok(),
                          wait_text(ids.FOLDER_EDIT, E2E_FOLDER + "\\Games\\Zembrico", timeout=10),
                          click(ids.DESKTOP), click(ids.QUICK_LAUNCH),
                          shot("options-custom"), shot_prefix="e2e-")
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
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")


def case_disk_error(h):
    """A file in the way of the install folder: the error box, then the options screen again."""
    blocked = h.unix_path(E2E_FOLDER + "\\Blocked")
    blocked.parent.mkdir(parents=True, exist_ok=True)
    blocked.write_text("a file where the install folder should be")
    h.open_wizard(h.bin / "ZembricoE2E.exe", command(ids.CUSTOM),
                  wait_shown(ids.FOLDER_EDIT, timeout=5),
                  set_text(ids.FOLDER_EDIT, E2E_FOLDER + "\\Blocked\\Zembrico"),
                  click(ids.LICENCE), command(ids.PRIMARY), wait_any_box(timeout=30),
                  shot("box-disk-error"), dismiss(), wait_hidden(ids.PROGRESS, timeout=20),
                  wait_shown(ids.PRIMARY, timeout=20), is_enabled(ids.PRIMARY),
                  wait_text(ids.PRIMARY, "Install", timeout=5),
                  shot("options-after-disk-error"), shot_prefix="e2e-")
    texts = [line[6:] for line in h.drive(window_lines("ZembricoInstaller", timeout=5))
             if line.startswith("line: ")]
    check("Welcome to Zembrico Poker!" in texts and "Installing..." not in texts,
          "the options screen after the failure shows %s" % texts)
    h.drive(close(), wait_box(timeout=20), answer("first"),
            wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "Quit did not end with -1")
    check(blocked.is_file(), "the file in the way was touched")


def case_previous_folder(h):
    """The folder of a previous installation is proposed."""
    previous = E2E_FOLDER + "\\Previous\\Zembrico"
    h.remember()
    h.drive(reg_set(UNINSTALL_KEY + DISPLAY_NAME, "InstallLocation", previous))
    h.open_wizard(h.bin / "ZembricoE2E.exe", command(ids.CUSTOM),
                  wait_text(ids.FOLDER_EDIT, previous, timeout=5), close(), wait_box(timeout=20),
                  answer("first"), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "Quit did not end with -1")
    # An empty location is no previous installation: the default folder is offered.
    h.drive(reg_set(UNINSTALL_KEY + DISPLAY_NAME, "InstallLocation", ""))
    lines = h.open_wizard(h.bin / "ZembricoE2E.exe", command(ids.CUSTOM),
                          wait_shown(ids.FOLDER_EDIT, timeout=5), print_text(ids.FOLDER_EDIT),
                          close(), wait_box(timeout=20), answer("first"),
                          wait_gone(timeout=30))
    check("text %d: C:\\Program Files (x86)\\Zembrico" % ids.FOLDER_EDIT in lines,
          "offered for an empty previous location: %s" % lines)
    check(h.exit_code() == ids.EXIT_QUIT, "Quit did not end with -1")


def case_refused_folder(h):
    """A drive as install folder, typed: a box says why, nothing is written, the options
    screen stays; a folder of its own then installs."""
    lines = h.open_wizard(h.bin / "ZembricoE2E.exe", command(ids.CUSTOM),
                          wait_shown(ids.FOLDER_EDIT, timeout=5), set_text(ids.FOLDER_EDIT, "C:"),
                          click(ids.LICENCE), is_enabled(ids.PRIMARY), command(ids.PRIMARY),
                          wait_box(timeout=20),
                          shot("box-refused-folder"), shot_prefix="e2e-")
    # The box draws its text itself: the screenshot shows it, the log below says why.
    check("box: Installing " + DISPLAY_NAME in lines, "no box for C: %s" % lines)
    lines = h.drive(answer("first"), wait_hidden(ids.PROGRESS, timeout=5),
                    wait_shown(ids.PRIMARY, timeout=5),
                    wait_text(ids.PRIMARY, "Install", timeout=5),
                    set_text(ids.FOLDER_EDIT, "C:\\"), command(ids.PRIMARY), wait_box(timeout=20),
                    answer("first"), print_text(ids.FOLDER_EDIT))
    check("text %d: C:\\" % ids.FOLDER_EDIT in lines, "the folder field: %s" % lines)
    check(not h.uninstall_entry(), "a refused folder was installed into")
    h.remember()
    h.drive(set_text(ids.FOLDER_EDIT, E2E_FOLDER + "\\Refused\\Zembrico"), command(ids.PRIMARY),
            wait_text(ids.PRIMARY, LAUNCH_TEXT, timeout=INSTALL_TIMEOUT), wait_box(timeout=30),
            answer("close"))
    entry = h.uninstall_entry()
    check(entry.get("InstallLocation") == E2E_FOLDER + "\\Refused\\Zembrico",
          "installed into %r" % entry.get("InstallLocation"))
    log = (h.unix_path(entry["InstallLocation"]) / "Install.log").read_text(errors="replace")
    check("Install folder refused: 'C:'" in log and "Install folder refused: 'C:\\'" in log,
          "the refusals are not in Install.log")
    check("Install folder made for administrators: users may only read it" in log,
          "the install folder's protection is not in Install.log")
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")


def case_default_build(h):
    """The default build installs and launches."""
    h.open_wizard(h.bin / "ZembricoInstall.exe", shot("options-default"), shot_prefix="e2e-")
    h.install_and_wait()
    h.check_standard_installation(launcher=False)
    h.drive(command(ids.PRIMARY), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_LAUNCHED, "Launch did not end with 0")


def case_analytics_order(h):
    """A complete run posts its hits in the order of the wizard's milestones."""
    h.collector = Collector(h.port)
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    h.install_and_wait()
    entry = h.uninstall_entry()
    # Analytics connected: no line about it.
    check(queued_lines(h.unix_path(entry["InstallLocation"])) == UNTAGGED_SITE_LINES,
          "queued lines: %s" % queued_lines(h.unix_path(entry["InstallLocation"])))
    h.drive(command(ids.PRIMARY), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_LAUNCHED, "Launch did not end with 0")
    check_one_runs_hits(h.collector)


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    sys.exit(main(CASES, "e2e"))
