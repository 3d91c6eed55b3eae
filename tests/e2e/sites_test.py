#!/usr/bin/env python3
"""End-to-end tests of tagged installers: the site, the operator's name, a hostile tag, the
lines logged before Install.log exists.

    sites_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Each CASE starts a built installer, plays the user with zbdriver (a Windows program that finds
the "ZembricoInstaller" window and sends what clicks would send), and checks what the machine
holds afterwards. Needs DISPLAY, a Wine prefix (WINEPREFIX, default build/wine) and
ImageMagick's import. Every case cleans up what it installed, also when it fails.
"""

import base64
import pathlib
import shutil
import subprocess
import sys

from harness import ids
from harness.core import (INSTALL_TIMEOUT, LEGACY_NAME, SCRIPT_NAME, UNINSTALL_KEY,
                          WINDOW_TIMEOUT, check)
from harness.installlog import ANALYTICS_OFF, check_queued, listed_sites, queued_lines
from harness.runner import main
from harness.screenshots import background_index
from harness.steps import (answer, click, close, command, no_box, reg_set, shot, wait_box,
                           wait_gone, wait_text, wait_window, window_lines)
from harness.uninstall import (ROUNDTRIP_NAME, ROUNDTRIP_SETTINGS, run_uninstaller,
                               uninstall_and_check)

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tools" / "zbtag"))
from signer import Signer  # noqa: E402


def case_tagged_site(h):
    """A tag with SITEID=be_zb_ext installs the Belgian section."""
    tagged = h.tagged("tagged", "ZembricoE2E.exe", b"SITEID=be_zb_ext\nGID=e2e|x\n")
    display_name = "Zembrico Poker Belgium"
    h.remember(display_name)
    h.start(tagged)
    h.drive(wait_window(timeout=WINDOW_TIMEOUT), shot("options-belgium"), click(ids.LICENCE),
            command(ids.PRIMARY),
            wait_text(ids.PRIMARY, "Launch " + display_name, timeout=INSTALL_TIMEOUT),
            wait_box(timeout=30), answer("close"), shot_prefix="e2e-")
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
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")


def case_long_queued_line(h):
    """A line logged before Install.log exists and longer than 255 characters stands there cut
    at 255: an older edition whose long uninstall string names an uninstaller that is not there
    (the tracking values that once made long lines are refused now)."""
    tagged = h.tagged("long", "ZembricoE2E.exe", b"SITEID=RUSO\n")
    missing = "C:\\" + "x" * 200 + "\\" + "y" * 80 + "\\unins.exe"
    h.remember(LEGACY_NAME)
    h.remember(SCRIPT_NAME)
    h.drive(reg_set(UNINSTALL_KEY + LEGACY_NAME, "UninstallString",
                    '"%s" /u:%s' % (missing, LEGACY_NAME)))
    # The Russian build speaks Russian: the finished screen is known by its WebView2 offer.
    h.open_wizard(tagged, click(ids.LICENCE), command(ids.PRIMARY), wait_box(timeout=30),
                  answer("first"), wait_box(timeout=INSTALL_TIMEOUT), answer("close"),
                  no_box())
    entry = h.uninstall_entry(SCRIPT_NAME)
    check(entry.get("InstallLocation"), "no installation of " + SCRIPT_NAME)
    queued = queued_lines(h.unix_path(entry["InstallLocation"]))
    print("  queued lines: %s" % queued, flush=True)
    failed = ("PError caught in ZembricoInstallWindow::UninstallPreviousVersion(): "
              "Unable to copy file: '" + missing + "' err=")
    check(failed[:255] in queued, "the failed removal's line is not there cut at 255")
    check(all(len(line) <= 255 for line in queued), "a queued line is longer than 255")
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")


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
    h.open_wizard(exe, click(ids.LICENCE), command(ids.PRIMARY), wait_box(timeout=INSTALL_TIMEOUT),
                  answer("close"), no_box())
    entry, folder = h.check_standard_installation(ROUNDTRIP_NAME)
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")

    # The name is only shown: the entry carries it as it is, the files its plain form.
    check(entry.get("DisplayName") == ROUNDTRIP_NAME + " - " + HOSTILE_ONAME,
          "DisplayName: %r" % entry.get("DisplayName"))
    file_name = ROUNDTRIP_NAME + " - " + HOSTILE_ONAME.replace("\\", "_")
    check(pathlib.PureWindowsPath(entry["CSMPGroup"]).name == file_name,
          "the program group: " + entry["CSMPGroup"])
    uninstall_string = entry.get("UninstallString", "")
    check(uninstall_string.endswith('ZembricoUninstall.exe" /u:' + ROUNDTRIP_NAME),
          "the uninstall string: " + uninstall_string)
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

    boxes = run_uninstaller(h, uninstall_string, ROUNDTRIP_NAME, folder)
    check(len(boxes) == 2, "the uninstaller's boxes: %s" % boxes)
    check(not h.uninstall_entry(ROUNDTRIP_NAME), "the uninstall key is still there")
    # user.ini stays by design; everything else the installation made is gone.
    left = outside(files_of_drive_c(h) - before, settings)
    check(not left, "left after uninstall: %s" % left)


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
    lines = h.open_wizard(tagged, shot("options-operator-%d" % number),
                          window_lines("ZembricoInstaller", timeout=5), shot_prefix="e2e-")
    check("line: Operated by " + name in lines, "the operator line: %s" % lines)
    h.drive(click(ids.LICENCE), command(ids.PRIMARY), wait_box(timeout=INSTALL_TIMEOUT),
            answer("close"), no_box())
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
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")
    user_ini = next(h.unix_path("C:\\users").glob(ROUNDTRIP_SETTINGS))
    uninstall_and_check(h, key, entry, folder, "Uninstall " + ROUNDTRIP_NAME + " - " + name,
                        user_ini, user_ini.read_bytes())


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    sys.exit(main(CASES, "e2e"))
