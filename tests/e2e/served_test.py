#!/usr/bin/env python3
"""End-to-end: an installer downloaded from zbserve, tagged by it at request time, runs under
Wine and picks the site of its tag.

    served_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

The end-to-end installer is signed (timestamped) as a publisher signs it and put in a builds
folder; zbserve (beside zbtag in the native tree) serves it with a code minted as a web front
mints one; curl downloads it. The download passes `zbtag check` and `osslsigncode verify` and
is byte for byte what `zbtag write` makes; then the wizard opens and logs the tag's site.
"""

import base64
import hashlib
import hmac
import pathlib
import shutil
import subprocess
import sys

from harness.core import check
from harness.runner import main

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tools" / "zbtag"))
sys.path.insert(0, str(HERE.parent / "server"))
import signed_test  # noqa: E402
from serverprocess import ServerProcess  # noqa: E402
from signer import Signer  # noqa: E402

KEY = b"end-to-end download key, thirty-two bytes or more"


def mint(text):
    b64 = lambda data: base64.urlsafe_b64encode(data).rstrip(b"=").decode()  # noqa: E731
    return b64(text) + "." + b64(hmac.new(KEY, text, hashlib.sha256).digest())


def download(h, builds, text):
    """The installer as zbserve serves it with a code of `text`, and its download record."""
    zbserve = pathlib.Path(h.zbtag).parent / "zbserve"
    (builds.parent / "keys").write_bytes(KEY + b"\n")
    server = ServerProcess(str(zbserve), "--builds", str(builds), "--key-file",
                           str(builds.parent / "keys"), "--store",
                           str(builds.parent / "store.sqlite"))
    target = builds.parent / "downloaded" / "ZembricoE2E.exe"
    target.parent.mkdir(exist_ok=True)
    try:
        subprocess.run(["curl", "-sSf", "-o", target, server.url +
                        "/download/ZembricoE2E.exe?code=" + mint(text)], check=True)
        record = server.wait_for(lambda e: e.get("event") == "download")
    finally:
        check(server.stop() == 0, "zbserve did not stop cleanly")
    return target, record


def case_served_tag_site(h):
    """A timestamped installer downloaded from zbserve with a code is what zbtag writes, passes
    the signature checks and picks the site of its tag."""
    folder = h.work / "served"
    shutil.rmtree(folder, ignore_errors=True)
    builds = folder / "builds"
    builds.mkdir(parents=True)
    signer = Signer(folder)
    build = builds / "ZembricoE2E.exe"
    signer.sign(h.bin / "ZembricoE2E.exe", build, *signer.timestamp())
    text = b"SITEID=be_zb_ext\nGID=e2e~tok-served-1\n"
    exe, record = download(h, builds, text)
    check(record["untagged"] == "" and record["token"] == "tok-served-1" and
          record["completed"] == "yes", "record: %s" % record)
    written = folder / "written.exe"
    shutil.copyfile(build, written)
    signed_test.tag(h, written, text)
    check(written.read_bytes() == exe.read_bytes(), "the download is not what zbtag writes")
    signed_test.check_signed(signer, h, exe, text)
    lines = signed_test.site_line_of_a_run(h, exe)
    check(lines == ["Site from TINFO is:'be_zb_ext'"], "the installer logged %s" % lines)


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}


if __name__ == "__main__":
    sys.exit(main(CASES, "served"))
