#!/usr/bin/env python3
"""End-to-end round trips: install, launch the real client, uninstall as the system would;
also for a user and a folder in other scripts.

    roundtrip_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Each CASE starts a built installer, plays the user with zbdriver (a Windows program that finds
the "ZembricoInstaller" window and sends what clicks would send), and checks what the machine
holds afterwards. Needs DISPLAY, a Wine prefix (WINEPREFIX, default build/wine) and
ImageMagick's import. Every case cleans up what it installed, also when it fails.
"""

import contextlib
import re
import shutil
import subprocess
import sys

from harness import ids
from harness.core import (CLIENT_CLASS, E2E_FOLDER, INSTALL_TIMEOUT, LEGACY_NAME, SCRIPT_NAME,
                          UNINSTALL_KEY, WINDOW_TIMEOUT, check, wait_until, windows_path)
from harness.runner import main
from harness.steps import (answer, choose_language, click, close_class, command, folder_ok,
                           no_box, reg_set, run, set_env, set_text, shot, wait_box,
                           wait_folder_box, wait_gone, wait_shown, wait_text, window_lines)
from harness.uninstall import (ROUNDTRIP_NAME, ROUNDTRIP_SETTINGS, temporary_copies,
                               uninstall_and_check)


def case_default_roundtrip(h):
    """The default build for a site: install, launch the real client, uninstall as the system
    would, twice."""
    roundtrip_cleaned(h, [], "English", "Uninstall " + ROUNDTRIP_NAME)


def case_custom_roundtrip(h):
    """The same in German, custom, for all users; the uninstaller refuses while the client
    runs."""
    steps = [choose_language(4), command(ids.CUSTOM), wait_shown(ids.FOLDER_EDIT, timeout=5),
             set_text(ids.FOLDER_EDIT, E2E_FOLDER + "\\RoundTrip\\Zembrico.Belgium")]
    roundtrip_cleaned(h, steps, "German", ROUNDTRIP_NAME + " deinstallieren", refuse=True)


def roundtrip_cleaned(h, *args, **options):
    settings = h.unix_path("C:\\users")
    ini_before = set(settings.glob(ROUNDTRIP_SETTINGS))
    copies_before = temporary_copies(h)
    try:
        roundtrip(h, *args, **options)
        check(wait_until(lambda: temporary_copies(h) == copies_before),
              "temporary copies left behind: %s" % (temporary_copies(h) - copies_before))
    finally:
        h.drive(close_class(CLIENT_CLASS, timeout=10), quiet=True)
        for path in temporary_copies(h) - copies_before:
            shutil.rmtree(path, ignore_errors=True)
        for path in set(settings.glob(ROUNDTRIP_SETTINGS)) - ini_before:
            shutil.rmtree(path.parent, ignore_errors=True)


def roundtrip(h, wizard_steps, language, box_title, refuse=False):
    tagged = h.tagged("roundtrip", "ZembricoInstall.exe", b"SITEID=be_zb_ext\n")
    h.remember(ROUNDTRIP_NAME)
    # The finished screen brings the WebView2 offer.
    h.open_wizard(tagged, *wizard_steps, click(ids.LICENCE), command(ids.PRIMARY),
                  wait_box(timeout=INSTALL_TIMEOUT), answer("close"),
                  no_box())
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

    h.drive(command(ids.PRIMARY), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_LAUNCHED, "Launch did not end with 0")
    lines = [line[6:] for line in h.drive(window_lines(CLIENT_CLASS, timeout=WINDOW_TIMEOUT))
             if line.startswith("line: ")]
    check(lines == [ROUNDTRIP_NAME, "Site: " + site[0][5:], "Operator: none",
                    "Language: " + language], "the client shows %s" % lines)
    uninstall_string = entry.get("UninstallString", "")
    check(uninstall_string.startswith('"' + entry["InstallLocation"] + "\\"),
          "the uninstall string: " + uninstall_string)
    if refuse:
        # Yes, then Abort while the client runs: nothing goes.
        boxes = h.drive(run(uninstall_string), wait_box(timeout=WINDOW_TIMEOUT), answer("first"),
                        wait_box(timeout=WINDOW_TIMEOUT),
                        answer("second"))
        check(boxes == ["box: " + box_title] * 2, "the uninstaller's boxes: %s" % boxes)
        check(h.exit_code() == ids.UNINSTALL_CLIENT_RUNNING, "the refusal did not end with 2")
        check(h.uninstall_entry(ROUNDTRIP_NAME) == entry, "the refusal changed the key")
        check((folder / "ZembricoUninstall.exe").is_file() and (folder / "app.ini").is_file(),
              "the refusal removed files")
        check(h.unix_path(entry["DTLink"]).is_file(), "the refusal removed a shortcut")
    h.drive(close_class(CLIENT_CLASS, timeout=30))

    uninstall_and_check(h, ROUNDTRIP_NAME, entry, folder, box_title, user_inis[0], user_ini)

    # Once more, from a copy: nothing there, and nothing changes.
    again = h.work / "roundtrip" / "ZembricoUninstall.exe"
    again.parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(h.bin / "ZembricoUninstall.exe", again)
    arguments = uninstall_string[uninstall_string.index('" ') + 2:]
    h.drive(run('"%s" %s' % (windows_path(again), arguments)), wait_box(timeout=WINDOW_TIMEOUT),
            answer("first"))
    check(h.exit_code() == ids.UNINSTALL_NOT_FOUND, "a second uninstaller run did not end with 3")
    check(not h.uninstall_entry(ROUNDTRIP_NAME) and not folder.exists(),
          "the second run made something")
    check(user_inis[0].read_bytes() == user_ini, "the second run changed user.ini")


# A user whose name the Western code page cannot write, and an install folder with Cyrillic and
# Japanese characters.
SCRIPT_USER = "\u0418\u0432\u0430\u043d"  # Ivan in Cyrillic
SCRIPT_PROFILE = "C:\\users\\" + SCRIPT_USER
SCRIPT_TEMP = SCRIPT_PROFILE + "\\Temp"
SCRIPT_PARENT = E2E_FOLDER + "\\\u0418\u0433\u0440\u044b \u30b2\u30fc\u30e0"  # "Games" twice
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
        h.drive(set_env("TEMP", SCRIPT_TEMP), set_env("TMP", SCRIPT_TEMP),
                set_env("USERPROFILE", SCRIPT_PROFILE), set_env("USERNAME", SCRIPT_USER),
                set_env("APPDATA", SCRIPT_PROFILE + "\\AppData\\Roaming"),
                set_env("LOCALAPPDATA", SCRIPT_PROFILE + "\\AppData\\Local"))
        yield profile
    finally:
        # A new driver starts with the prefix's own environment.
        h.close_driver()
        subprocess.run(["wine", "reg", "import", windows_path(saved)], env=h.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(profile, ignore_errors=True)


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
    h.drive(reg_set(UNINSTALL_KEY + LEGACY_NAME, "UninstallString",
                    '"%s\\unins.exe" /u:%s' % (LEGACY_FOLDER, LEGACY_NAME)))
    copies_before = temporary_copies(h)
    with script_profile(h) as profile:
        report = SCRIPT_TEMP + "\\unps.ran"
        h.drive(set_env("ZB_FAKE_UNINSTALLER_REPORT", report))
        h.open_wizard(
            tagged, command(ids.CUSTOM), wait_shown(ids.FOLDER_EDIT, timeout=5),
            set_text(ids.FOLDER_EDIT, SCRIPT_PARENT), command(ids.BROWSE),
            wait_folder_box(timeout=20), shot("folder-browser-script"), folder_ok(),
            wait_text(ids.FOLDER_EDIT, SCRIPT_PARENT + "\\Zembrico.RUSO", timeout=10),
            click(ids.LICENCE), command(ids.PRIMARY),
            # Remove the older edition first; later the WebView2 offer of the finished screen.
            wait_box(timeout=30), shot("box-legacy-script"), answer("first"),
            wait_box(timeout=INSTALL_TIMEOUT), answer("close"), no_box(), shot_prefix="e2e-")
        # "folderok" fails when the browser does not accept the folder.
        ran = h.unix_path(report)
        check(ran.is_file(), "the legacy uninstaller did not run")
        # From a copy in a folder of its own that only administrators can open, in the system
        # folder, and gone afterwards.
        recorded, copy, current = ran.read_bytes().decode("utf-16-le").split("\n")[:3]
        # The folder named as the Windows folder gives it, the module as the disk has it.
        check(re.fullmatch(r"C:\\windows\\temp\\zbremove-[0-9a-f]{16}\\_unps\.exe", copy,
                           re.IGNORECASE) and
              recorded.lower() == ("%s /u:%s" % (copy, LEGACY_NAME)).lower(),
              "the legacy uninstaller's record: %r" % [recorded, copy])
        check(current.lower() == "c:\\windows\\system32", "run in %r" % current)
        check(temporary_copies(h) == copies_before, "the old uninstaller's copy stays")
        entry, folder = check_script_installation(h, profile)
        user_ini = next(profile.glob("AppData/Local/*/user.ini"))
        kept = user_ini.read_bytes()

        h.drive(command(ids.PRIMARY), wait_gone(timeout=30))
        check(h.exit_code() == ids.EXIT_LAUNCHED, "Launch did not end with 0")
        client = [line[6:] for line in h.drive(window_lines(CLIENT_CLASS, timeout=WINDOW_TIMEOUT))
                  if line.startswith("line: ")]
        check(client[:2] == [SCRIPT_NAME, "Site: RUSO"], "the client shows %s" % client)
        h.drive(close_class(CLIENT_CLASS, timeout=30))
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


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    sys.exit(main(CASES, "e2e"))
