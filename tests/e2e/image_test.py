#!/usr/bin/env python3
"""End-to-end tests of what the running setup program trusts: its image, not its file.

    image_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

Needs what the harness needs.
"""

import filecmp
import os
import pathlib
import shutil
import struct
import subprocess
import sys

from harness import ids
from harness.core import check
from harness.runner import main
from harness.steps import close, wait_gone



def archive_blocks(archive):
    """The payload archive's file table block and data block, each with its properties."""
    table_packed = struct.unpack_from("<I", archive, 8)[0]
    table = archive[12:12 + table_packed]
    data_packed = struct.unpack_from("<I", archive, 12 + table_packed)[0]
    data_start = 16 + table_packed
    return table, archive[data_start:data_start + data_packed], data_start


def tampered_installer(h, genuine_exe, folder):
    """A copy of `genuine_exe` whose payload's data stream, where it lies in the file, decodes
    to other bytes of the same files: what an attacker would put in place of the running
    program's file. Every file of the end-to-end payload is overwritten with "TAMPERED"."""
    payload = h.work / "payload"
    fake = folder / "tampered-payload"
    shutil.rmtree(fake, ignore_errors=True)
    for source in payload.rglob("*"):
        if source.is_file():
            target = fake / source.relative_to(payload)
            target.parent.mkdir(parents=True, exist_ok=True)
            size = source.stat().st_size
            target.write_bytes((b"TAMPERED" * (size // 8 + 1))[:size])
    fake_archive = folder / "tampered.bin"
    subprocess.run([str(pathlib.Path(h.zbtag).parent / "zbpack"), str(fake), str(fake_archive)],
                   check=True, stdout=subprocess.DEVNULL)
    genuine = (h.bin.parent / "installers" / "ZembricoE2E" / "payload.bin").read_bytes()
    exe = bytearray(genuine_exe.read_bytes())
    at = exe.find(genuine)
    check(at >= 0, "the packed payload is not in %s" % genuine_exe)
    table, data, data_start = archive_blocks(genuine)
    fake_table, fake_data, _ = archive_blocks(fake_archive.read_bytes())
    check(fake_table == table and len(fake_data) <= len(data),
          "the tampered payload does not fit the genuine one's place")
    exe[at + data_start:at + data_start + len(fake_data)] = fake_data
    return bytes(exe)


def case_swapped_exe(h):
    """While the wizard is open its file is renamed and a tampered copy put at its path;
    Install installs the genuine payload all the same."""
    folder = h.work / "swapped"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    running = folder / "ZembricoSetup.exe"
    shutil.copyfile(h.bin / "ZembricoE2E.exe", running)
    tampered = tampered_installer(h, running, folder)
    h.open_wizard(running)
    # Windows lets a running program's file be renamed, though not written.
    os.rename(running, folder / "ZembricoSetup.old.exe")
    running.write_bytes(tampered)
    h.install_and_wait()
    entry = h.uninstall_entry()
    installed = h.unix_path(entry.get("InstallLocation", "C:\\missing"))
    payload = h.work / "payload"
    files = [p.relative_to(payload) for p in payload.rglob("*") if p.is_file()]
    check(files, "no payload files in " + str(payload))
    for name in files:
        check((installed / name).is_file(), "%s was not installed" % name)
        check(filecmp.cmp(payload / name, installed / name, shallow=False),
              "%s was installed from the swapped file, not the running image" % name)
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    sys.exit(main(CASES, "image"))
