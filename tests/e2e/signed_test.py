#!/usr/bin/env python3
"""End-to-end tests of signed, tagged setup programs under Wine on a virtual display.

    signed_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

The end-to-end installer is signed as a publisher signs it (osslsigncode, throw-away
certificates, offline timestamps) in every signature shape, then tagged, re-tagged and cleared
with zbtag. After each step the signature verifies (osslsigncode), passes Windows' padding rule
(a reader of its own, tests/tools/zbtag/certificate_reader.py) and `zbtag check`, and the
installer reads exactly the tag written. Needs what the harness needs, openssl and osslsigncode.
"""

import pathlib
import subprocess
import sys

from harness import ids
from harness.core import INSTALL_TIMEOUT, check
from harness.installlog import queued_lines, startup_logs
from harness.runner import main
from harness.steps import answer, click, close, command, wait_box, wait_gone, wait_text

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tools" / "zbtag"))
import certificate_reader  # noqa: E402
from signer import Signer  # noqa: E402

BELGIUM = "Zembrico Poker Belgium"


def signed_installers(h):
    """{shape: the end-to-end installer signed in that shape}."""
    folder = h.work / "signed"
    folder.mkdir(parents=True, exist_ok=True)
    signer = Signer(folder)
    return signer, signer.shapes(h.bin / "ZembricoE2E.exe", folder)


def tag(h, exe, text):
    """Writes `text` (bytes) as `exe`'s tag, or clears it when `text` is None."""
    if text is None:
        subprocess.run([h.zbtag, "clear", str(exe)], check=True)
        return
    text_file = exe.parent / "tag.txt"
    text_file.write_bytes(text)
    subprocess.run([h.zbtag, "write", str(exe), str(text_file)], check=True)


def check_signed(signer, h, exe, text):
    """The signature verifies and passes the padding rule; the tag, if any, ends the file."""
    passed, output = signer.verify(exe)
    check(passed and "Signature verification: ok" in output, "osslsigncode: " + output[-400:])
    problems = certificate_reader.problems(exe.read_bytes(), text)
    check(not problems, "%s: %s" % (exe.name, problems))
    checked = subprocess.run([h.zbtag, "check", str(exe)], capture_output=True, text=True)
    check(checked.returncode == 0, "zbtag check: " + checked.stdout)


def site_line_of_a_run(h, exe):
    """Opens the wizard, quits, and returns what the run logged of the site: the lines it keeps
    in its start-up log when no Install.log takes them."""
    for log in startup_logs(h):
        log.unlink()
    h.open_wizard(exe, close(), wait_box(timeout=20), answer("first"),
                  wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "quitting did not end with -1")
    logs = startup_logs(h)
    check(len(logs) == 1, "start-up logs: %s" % logs)
    lines = logs[0].read_bytes().decode("latin-1").split("\r\n")
    return [line for line in lines if line.startswith("Site from TINFO") or "tInfo" in line]


def case_signed_tags(h):
    """Plain, timestamped and dual signatures through write, re-write and clear: each stays
    valid and strict-padded, and the installer reads the tag of the moment."""
    signer, installers = signed_installers(h)
    steps = [(b"SITEID=be_zb_ext\nGID=e2e|signed\n", ["Site from TINFO is:'be_zb_ext'"]),
             (b"SITEID=RUSO\n", ["Site from TINFO is:'RUSO'"]),
             (None, ["No tInfo found.", "Site from TINFO is:''"])]
    for shape, exe in installers.items():
        signed = exe.read_bytes()
        for text, expected in steps:
            tag(h, exe, text)
            check_signed(signer, h, exe, text)
            lines = site_line_of_a_run(h, exe)
            print("  %s, %s: %s" % (shape, text, lines), flush=True)
            check(lines == expected, "%s: the installer logged %s" % (shape, lines))
        check(exe.read_bytes() == signed, "%s: clearing did not give the signed file back" % shape)


def case_signed_tag_site(h):
    """A timestamped, tagged installer installs the site of its tag; Install.log says so."""
    signer, installers = signed_installers(h)
    exe = installers["timestamped"]
    text = b"SITEID=be_zb_ext\nGID=e2e|stamped\n"
    tag(h, exe, text)
    check_signed(signer, h, exe, text)
    h.remember(BELGIUM)
    h.open_wizard(exe, click(ids.LICENCE), command(ids.PRIMARY),
                  wait_text(ids.PRIMARY, "Launch " + BELGIUM, timeout=INSTALL_TIMEOUT),
                  wait_box(timeout=30), answer("close"))
    entry = h.uninstall_entry(BELGIUM)
    folder = h.unix_path(entry.get("InstallLocation", "C:\\missing"))
    check(folder.name == "Zembrico.Belgium", "installed into " + str(folder))
    app_ini = (folder / "app.ini").read_text(errors="replace")
    check("Site=BE_ZB_EXT" in app_ini, "app.ini: " + app_ini)
    queued = queued_lines(folder)
    check("Site from TINFO is:'be_zb_ext'" in queued and
          "Site value found in list:'BE_ZB_EXT'" in queued, "Install.log: %s" % queued)
    tinfo = subprocess.run([h.zbtag, "unscramble", str(folder / "tinfo.dat")],
                           capture_output=True, check=True).stdout
    check(b"GID=e2e|stamped\n" in tinfo, "tinfo.dat: %r" % tinfo)
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}


if __name__ == "__main__":
    sys.exit(main(CASES, "signed"))
