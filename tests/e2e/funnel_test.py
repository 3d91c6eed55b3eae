#!/usr/bin/env python3
"""The install funnel end to end, as an operator and a player meet it:

    funnel_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N funnel

zbserve (beside zbtag in the native tree) serves the signed end-to-end installer from its builds
folder, tagged by a download code that `zbtag mint` makes (site UK, a campaign and a download
token in the GID), and receives the installer's hits on the port that installer sends them to.
The downloaded installer runs under Wine: install, launch. Then headless Chromium logs in to the
dashboard and reads the funnel of that site and campaign: one download, one first screen, one
start, one completion, joined on the token. The dashboard's screenshots go to the screenshots
folder.
"""

import pathlib
import secrets
import shutil
import subprocess
import sys
import urllib.request

from harness import ids
from harness.core import INSTALL_TIMEOUT, WINDOW_TIMEOUT, check
from harness.runner import main
from harness.steps import (answer, click, command, no_box, wait_box, wait_gone, wait_text,
                           wait_window)

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "server"))
sys.path.insert(0, str(HERE.parent / "tools" / "zbtag"))
from dashboard_test import browser, card, follow, log_in  # noqa: E402
from serverharness import Server, Store, wait_until  # noqa: E402
from signer import Signer  # noqa: E402

SITE, CAMPAIGN, DISPLAY_NAME = "UK", "e2efunnel", "Zembrico Poker UK"
BUILD = "ZembricoE2E.exe"


def mint(zbtag, folder, text):
    """A download code for `text` as the web front mints it, and the key file zbserve shares."""
    key_file, text_file = folder / "download.key", folder / "tag.txt"
    key_file.write_text(secrets.token_hex(32) + "\n")
    text_file.write_bytes(text)
    code = subprocess.run([zbtag, "mint", str(key_file), str(text_file)], check=True,
                          capture_output=True, text=True).stdout.strip()
    return code, key_file


def download(server, code, target):
    url = "http://%s/download/%s?code=%s" % (server.address, BUILD, code)
    with urllib.request.urlopen(url, timeout=120) as response, open(target, "wb") as out:
        check(response.status == 200, "download: %d" % response.status)
        shutil.copyfileobj(response, out)


def case_funnel(h):
    """A download from zbserve, installed and launched, is one journey on the dashboard."""
    folder = h.work / "funnel"
    shutil.rmtree(folder, ignore_errors=True)
    builds = folder / "builds"
    builds.mkdir(parents=True)
    signer = Signer(folder)
    signer.sign(h.bin / BUILD, builds / BUILD, *signer.timestamp())
    token = secrets.token_urlsafe(12)
    tag = ("SITEID=%s\nGID=%s~%s\n" % (SITE, CAMPAIGN, token)).encode()
    code, key_file = mint(h.zbtag, folder, tag)
    store = Store("sqlite", str(folder))
    # The address the end-to-end installer sends its hits to; a later flag wins.
    server = Server(str(pathlib.Path(h.zbtag).parent / "zbserve"), store,
                    "--listen", "127.0.0.1:%d" % h.port, "--builds", str(builds),
                    "--key-file", str(key_file))
    try:
        server.start()
        downloaded = folder / "downloaded" / BUILD
        downloaded.parent.mkdir()
        download(server, code, downloaded)
        read_back = subprocess.run([h.zbtag, "read", str(downloaded)], check=True,
                                   capture_output=True).stdout
        check(tag.strip() in read_back, "the download's tag: %r" % read_back)
        check(wait_until(lambda: store.count(
            "downloads", "completed = 1 AND token = '%s'" % token) == 1),
            "the download was not logged with its token")
        install_and_launch(h, downloaded)
        check(wait_until(lambda: store.count(
            "hits", "screen = 'InstallationWindow/InstallComplete'") == 2),
            "the completion hits did not arrive")
        read_dashboard(server, token, h.shots)
    finally:
        server.stop()
        store.close()


def install_and_launch(h, installer):
    h.remember(DISPLAY_NAME)
    h.start(installer)
    h.drive(wait_window(timeout=WINDOW_TIMEOUT), click(ids.LICENCE), command(ids.PRIMARY),
            wait_text(ids.PRIMARY, "Launch " + DISPLAY_NAME, timeout=INSTALL_TIMEOUT),
            wait_box(timeout=30), answer("close"), no_box())
    h.drive(command(ids.PRIMARY), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_LAUNCHED, "Launch did not end the installer with 0")
    folder = h.unix_path(h.uninstall_entry(DISPLAY_NAME)["InstallLocation"])
    check(wait_until((folder / "launched.txt").exists), "the launcher was not started")


def read_dashboard(server, token, shots):
    driver = browser()
    try:
        base = "http://" + server.address
        log_in(driver, base)
        driver.get(base + "/dashboard?site=%%3D%s&campaign=%%3D%s" % (SITE, CAMPAIGN))
        for label, expected in (("Downloads", "1"), ("First screen", "1"),
                                ("Installation started", "1"), ("Installation complete", "1")):
            check(card(driver, label) == expected, "%s: %s" % (label, card(driver, label)))
        driver.save_screenshot(str(shots / "funnel-dashboard.png"))
        driver.get(base + "/dashboard/installations?by=token&value=" + token)
        follow(driver, driver.find_element("css selector", "td a"))
        page = driver.find_element("tag name", "main").text
        check("Downloaded" in page and "Complete" in page and token in page,
              "the installation's page: %s" % page[:300])
        driver.save_screenshot(str(shots / "funnel-installation.png"))
    finally:
        driver.quit()


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}


if __name__ == "__main__":
    sys.exit(main(CASES, "funnel"))
