#!/usr/bin/python3
"""GET /download/ of zbserve over the loopback with curl as the client: tagged downloads (each
checked with `zbtag check` and `osslsigncode verify`, and byte for byte what `zbtag write`
makes), forged and malformed codes, hostile names, Range edges, validators, concurrency,
limits and SIGTERM.

Usage: download_test.py ZBSERVE ZBTAG
"""

import base64
import hashlib
import hmac
import os
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import testbuilds  # noqa: E402
from serverprocess import ServerProcess  # noqa: E402

ZBSERVE = ZBTAG = None
KEY = b"download test key: 32 bytes or more, one line"
OLD_KEY = b"an older key, still accepted by the server.."
BUILD_SIZE = 3 << 20  # several sendfile chunks


def b64(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode()


def mint(text, key=KEY):
    text = text.encode() if isinstance(text, str) else text
    return b64(text) + "." + b64(hmac.new(key, text, hashlib.sha256).digest())


class Response:
    def __init__(self, status, headers, body):
        self.status, self.headers, self.body = status, headers, body

    def header(self, name):
        return self.headers.get(name.lower())


def curl(url, *options):
    """A request by curl: status, the last response's headers (lower-case names) and body."""
    with tempfile.TemporaryDirectory() as folder:
        head, body = Path(folder, "head"), Path(folder, "body")
        result = subprocess.run(["curl", "-sS", "--path-as-is", "-D", head, "-o", body,
                                 "-w", "%{http_code}", *options, url],
                                capture_output=True, text=True, timeout=120)
        headers = {}
        for line in head.read_text(errors="replace").splitlines():
            if line.startswith("HTTP/"):
                headers = {}
            elif ":" in line:
                name, value = line.split(":", 1)
                headers[name.strip().lower()] = value.strip()
        return Response(int(result.stdout or 0), headers, body.read_bytes() if body.exists() else b"")


class DownloadCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = Path(tempfile.mkdtemp(prefix="zb-download-"))
        cls.builds = cls.folder / "builds"
        cls.builds.mkdir()
        cls.build = cls.builds / "ZembricoInstall.exe"
        cls.signer = testbuilds.signed_build(cls.folder, cls.build, BUILD_SIZE)
        cls.original = cls.build.read_bytes()
        (cls.folder / "secret.exe").write_bytes(b"not for download")
        (cls.builds / "outside.exe").symlink_to(cls.folder / "secret.exe")
        (cls.builds / "latest.exe").symlink_to("ZembricoInstall.exe")
        (cls.builds / ".hidden.exe").write_bytes(cls.original)
        cls.key_file = cls.folder / "keys"
        cls.key_file.write_bytes(KEY + b"\n" + OLD_KEY + b"\n")
        cls.store = cls.folder / "store.sqlite"
        cls.server = cls.start()

    @classmethod
    def start(cls, *options):
        return ServerProcess(ZBSERVE, "--builds", str(cls.builds), "--key-file", str(cls.key_file),
                             "--store", str(cls.store), *options)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        subprocess.run(["rm", "-rf", str(cls.folder)], check=True)

    def url(self, name="ZembricoInstall.exe", code=None, server=None):
        query = "" if code is None else "?code=" + code
        return (server or self.server).url + "/download/" + name + query

    def download_event(self, start, **expected):
        """The next download record from log position `start` that has `expected`'s values."""
        return self.server.wait_for(
            lambda e: e.get("event") == "download" and
            all(e.get(k) == v for k, v in expected.items()), start=start)

    def written(self, text, build=None):
        """What `zbtag write` makes of the build with `text`."""
        with tempfile.TemporaryDirectory() as folder:
            exe, tag = Path(folder, "written.exe"), Path(folder, "tag.txt")
            exe.write_bytes((build or self.build).read_bytes())
            tag.write_bytes(text.encode())
            subprocess.run([ZBTAG, "write", exe, tag], check=True)
            return exe.read_bytes()

    def assert_tagged(self, body, text, build=None):
        """`body` is the build tagged with `text`, validly signed, its tag readable."""
        self.assertEqual(body, self.written(text, build), "not what zbtag write makes")
        with tempfile.TemporaryDirectory() as folder:
            exe = Path(folder, "download.exe")
            exe.write_bytes(body)
            checked = subprocess.run([ZBTAG, "check", exe], capture_output=True, text=True)
            self.assertEqual(checked.returncode, 0, checked.stdout)
            if build is None or build == self.build:
                passed, output = self.signer.verify(exe)
                self.assertTrue(passed, output[-400:])
            read = subprocess.run([ZBTAG, "read", exe], capture_output=True, check=True)
            self.assertEqual(read.stdout, text.encode())

    def stored_downloads(self, where, *values):
        with sqlite3.connect(self.store) as db:
            return db.execute("SELECT build, token, tag, bytes_sent, completed FROM downloads "
                              "WHERE " + where, values).fetchall()


class Tagged(DownloadCase):
    def test_a_code_gives_its_tag_the_same_bytes_every_time(self):
        ready = {e["build"]: e for e in self.server.events("build_ready")}
        self.assertEqual(sorted(ready), ["ZembricoInstall.exe", "latest.exe"])
        self.assertEqual(ready["ZembricoInstall.exe"]["untaggable"], "")
        self.assertEqual(ready["ZembricoInstall.exe"]["sha256"],
                         b64(hashlib.sha256(self.original).digest()))
        text = "SITEID=be_zb_ext\nGID=spring~tok-7\nOID=op.1\nONAME=UGFydG5lcg==\n"
        start = self.server.mark()
        first = curl(self.url(code=mint(text)))
        self.assertEqual(first.status, 200)
        self.assert_tagged(first.body, text)
        event = self.download_event(start)
        self.assertEqual((event["token"], event["campaign"], event["site"], event["tag"],
                          event["untagged"], event["completed"]),
                         ("tok-7", "spring", "be_zb_ext", text, "", "yes"))
        again = curl(self.url(code=mint(text)))
        self.assertEqual((again.body, again.header("ETag")), (first.body, first.header("ETag")))
        other = curl(self.url(code=mint(text.replace("tok-7", "tok-8"), key=OLD_KEY)))
        self.assert_tagged(other.body, text.replace("tok-7", "tok-8"))
        self.assertNotEqual(other.header("ETag"), first.header("ETag"))
        self.assertNotEqual(curl(self.url()).header("ETag"), first.header("ETag"))

    def test_ranges_of_a_tagged_download_are_its_bytes(self):
        text = "SITEID=FR\nGID=c~ranged\n"
        code = mint(text)
        tagged = self.written(text)
        size = len(tagged)
        for item, first, last in [("0-399", 0, 399), ("-3000", size - 3000, size - 1),
                                  ("%d-" % (len(self.original) - 50), len(self.original) - 50,
                                   size - 1), ("100-200", 100, 200)]:
            response = curl(self.url(code=code), "-r", item)
            self.assertEqual(response.body, tagged[first:last + 1], item)
            self.assertEqual(response.header("Content-Range"), "bytes %d-%d/%d" % (first, last, size))
        with tempfile.TemporaryDirectory() as folder:
            part = Path(folder, "part.exe")
            part.write_bytes(tagged[:size // 2])
            subprocess.run(["curl", "-sS", "-C", "-", "-o", part, self.url(code=code)], check=True,
                           timeout=60)
            self.assert_tagged(part.read_bytes(), text)

    def test_a_tagged_build_in_the_folder_is_served_untagged_or_retagged(self):
        already = self.builds / "Already.exe"
        already.write_bytes(self.written("SITEID=RUSO\nGID=old~t\n"))
        try:
            untagged = curl(self.url("Already.exe"))
            self.assertEqual(untagged.body, self.original)
            text = "SITEID=FR\nGID=new~t\n"
            self.assert_tagged(curl(self.url("Already.exe", code=mint(text))).body, text)
        finally:
            already.unlink()

    def test_unsigned_and_untaggable_builds(self):
        unsigned = testbuilds.unsigned_build(self.builds / "Unsigned.exe", 100000, seed=3)
        (self.builds / "notes.txt").write_bytes(b"not an installer")
        try:
            text = "SITEID=FR\n"
            body = curl(self.url("Unsigned.exe", code=mint(text))).body
            self.assertEqual(body, self.written(text, unsigned))
            start = self.server.mark()
            self.assertEqual(curl(self.url("notes.txt", code=mint(text))).body,
                             b"not an installer")
            self.assertIn("the build cannot carry a tag", self.download_event(start)["untagged"])
        finally:
            unsigned.unlink()
            (self.builds / "notes.txt").unlink()

    def test_a_text_too_long_for_the_trailer_is_served_untagged(self):
        start = self.server.mark()
        response = curl(self.url(code=mint("SITEID=FR\nNOTE=" + "x" * 1004 + "\n")))
        self.assertEqual(response.body, self.original)
        self.assertIn("refused code", self.download_event(start)["untagged"])


class UntaggedWhenTheCodeIsBad(DownloadCase):
    def test_each_bad_code_serves_the_untagged_build_and_logs_why(self):
        good = mint("SITEID=FR\nGID=spring~tok-1\n")
        cases = [
            (None, "no code"),
            ("", "no code"),
            (good[:-2] + ("AA" if not good.endswith("AA") else "BB"), "forged code"),
            (mint("SITEID=FR\n", key=b"some other key of thirty-two bytes!!"), "forged code"),
            (good.split(".")[0] + "." + mint("SITEID=DE\n").split(".")[1], "forged code"),
            ("not-a-code", "malformed code"),
            (good + "%3D", "malformed code"),
            ("A" * 5000 + "." + good.split(".")[1], "malformed code"),
            (mint("SITEID=../../x\n"), "refused code: the value of SITEID"),
            (mint("OID=a b\n"), "refused code: the value of OID"),
            (good + "&code=" + good, "code given twice"),
        ]
        for code, why in cases:
            with self.subTest(code=code and code[:40]):
                start = self.server.mark()
                response = curl(self.url(code=code))
                self.assertEqual(response.status, 200)
                self.assertEqual(response.body, self.original)
                event = self.download_event(start, completed="yes")
                self.assertIn(why, event["untagged"])
                self.assertEqual(event["tag"], "")
                self.assertEqual(event["bytes_sent"], len(self.original))

    def test_every_download_is_one_row_of_the_store(self):
        start = self.server.mark()
        curl(self.url(code="forged.forged"))
        curl(self.url(), "-r", "0-99")
        self.download_event(start, status=200)
        self.download_event(start, status=206, bytes_sent=100)
        deadline = time.monotonic() + 30
        while len(self.stored_downloads("bytes_sent = ?", 100)) < 1:
            self.assertLess(time.monotonic(), deadline, "the store has no row of the download")
            time.sleep(0.05)
        self.assertEqual(self.stored_downloads("bytes_sent = ?", 100)[0][4], 0)


class MintedElsewhere(DownloadCase):
    def test_the_readmes_python_example_mints_codes_the_server_takes(self):
        readme = (Path(__file__).resolve().parents[2] / "server" / "README.md").read_text()
        example = readme.split("```python\n")[1].split("```")[0]
        with tempfile.TemporaryDirectory() as folder:
            script = Path(folder, "mint.py")
            script.write_text(example)
            path = subprocess.run([sys.executable, script, self.key_file, "tok-42_x"], check=True,
                                  capture_output=True, text=True).stdout.strip()
        start = self.server.mark()
        response = curl(self.server.url + path)
        self.assert_tagged(response.body, "SITEID=be_zb_ext\nGID=spring~tok-42_x\n")
        event = self.download_event(start)
        self.assertEqual((event["untagged"], event["token"], event["campaign"], event["site"]),
                         ("", "tok-42_x", "spring", "be_zb_ext"))


    def test_zbtag_mint_makes_the_same_codes(self):
        with tempfile.TemporaryDirectory() as folder:
            text, short = Path(folder, "tag.txt"), Path(folder, "short")
            text.write_bytes(b"SITEID=FR\nGID=c~zbtag-1\n")
            short.write_bytes(b"short key\n")
            minted = subprocess.run([ZBTAG, "mint", self.key_file, text], check=True,
                                    capture_output=True, text=True).stdout
            self.assertEqual(minted, mint(text.read_bytes()) + "\n")
            refused = subprocess.run([ZBTAG, "mint", short, text], capture_output=True, text=True)
            self.assertNotEqual(refused.returncode, 0)
            self.assertIn("shorter than 32 bytes", refused.stderr)
        self.assert_tagged(curl(self.url(code=minted.strip())).body, "SITEID=FR\nGID=c~zbtag-1\n")


class HostileNames(DownloadCase):
    def test_names_that_are_no_build_of_the_folder_get_404(self):
        for name in ["../secret.exe", "..%2fsecret.exe", "%2e%2e/secret.exe", ".hidden.exe",
                     "outside.exe", "missing.exe", "builds/ZembricoInstall.exe",
                     "ZembricoInstall.exe%00.txt", "ZembricoInstall.exe/", "", ".", "..",
                     "a" * 129, "ZembricoInstall.exe;x", "%5c..%5csecret.exe"]:
            with self.subTest(name=name):
                response = curl(self.url(name, code=mint("SITEID=FR\n")))
                self.assertIn(response.status, (404, 400))
                self.assertNotIn(b"not for download", response.body)
        self.assertEqual(curl(self.url()).body, self.original)

    def test_a_link_to_a_build_of_the_folder_serves_it(self):
        response = curl(self.url("latest.exe"))
        self.assertEqual(response.body, self.original)
        self.assertIn('filename="ZembricoInstall.exe"', response.header("Content-Disposition"))


class Ranges(DownloadCase):
    def test_ranges_of_every_form(self):
        size = len(self.original)
        cases = [("0-99", 0, 100), ("100-", 100, size - 100), ("-500", size - 500, 500),
                 ("%d-%d" % (size - 10, size + 1000), size - 10, 10), ("-%d" % (size * 2), 0, size),
                 ("%d-%d" % (size - 1, size - 1), size - 1, 1)]
        for item, first, length in cases:
            with self.subTest(item=item):
                response = curl(self.url(), "-r", item)
                self.assertEqual(response.status, 206)
                self.assertEqual(response.body, self.original[first:first + length])
                self.assertEqual(response.header("Content-Range"),
                                 "bytes %d-%d/%d" % (first, first + length - 1, size))

    def test_ranges_outside_get_416_and_bad_ones_the_whole_build(self):
        size = len(self.original)
        for item in ["%d-" % size, "%d-%d" % (size + 5, size + 9), "-0"]:
            response = curl(self.url(), "-H", "Range: bytes=" + item)
            self.assertEqual(response.status, 416, item)
            self.assertEqual(response.header("Content-Range"), "bytes */%d" % size)
        for header in ["bytes=9-0", "bytes=x-1", "lines=0-9", "bytes=" + ",".join(["0-0"] * 17)]:
            response = curl(self.url(), "-H", "Range: " + header)
            self.assertEqual((response.status, response.body), (200, self.original), header)

    def test_several_ranges_come_as_multipart(self):
        size = len(self.original)
        response = curl(self.url(), "-r", "%d-,0-9,5-19,1000-1099" % (size - 3))
        self.assertEqual(response.status, 206)
        kind, _, boundary = response.header("Content-Type").partition("; boundary=")
        self.assertEqual(kind, "multipart/byteranges")
        parts = response.body.split(b"\r\n--" + boundary.encode())
        self.assertEqual(parts[0], b"")
        self.assertEqual(parts[-1], b"--\r\n")
        got = []
        for part in parts[1:-1]:
            head, _, data = part.partition(b"\r\n\r\n")
            first, last = head.split(b"bytes ")[1].split(b"/")[0].split(b"-")
            got.append((int(first), int(last)))
            self.assertEqual(data, self.original[int(first):int(last) + 1])
        self.assertEqual(got, [(0, 19), (1000, 1099), (size - 3, size - 1)])

    def test_a_broken_download_resumes_exactly(self):
        with tempfile.TemporaryDirectory() as folder:
            part = Path(folder, "part.exe")
            part.write_bytes(self.original[:1234567])
            subprocess.run(["curl", "-sS", "-C", "-", "-o", part, self.url()], check=True,
                           timeout=60)
            self.assertEqual(part.read_bytes(), self.original)

    def test_validators_head_and_if_range(self):
        first = curl(self.url())
        etag = first.header("ETag")
        self.assertRegex(etag, r'^"[A-Za-z0-9_-]{22}"$')
        self.assertEqual(curl(self.url()).header("ETag"), etag)
        self.assertEqual(curl(self.url(), "-H", "If-None-Match: " + etag).status, 304)
        self.assertEqual(curl(self.url(), "-H", 'If-None-Match: "other"').status, 200)
        stale = curl(self.url(), "-r", "0-9", "-H", 'If-Range: "other"')
        self.assertEqual((stale.status, stale.body), (200, self.original))
        fresh = curl(self.url(), "-r", "0-9", "-H", "If-Range: " + etag)
        self.assertEqual((fresh.status, fresh.body), (206, self.original[:10]))
        start = self.server.mark()
        head = curl(self.url(), "-I")
        self.assertEqual(head.status, 200)
        self.assertEqual(head.header("Content-Length"), str(len(self.original)))
        self.assertEqual(head.header("ETag"), etag)
        curl(self.url(), "-r", "0-0")
        self.assertEqual(self.download_event(start)["status"], 206, "HEAD made a record")


class Concurrency(DownloadCase):
    def test_concurrent_downloads_each_get_their_bytes(self):
        results = [None] * 24

        def fetch(i):
            results[i] = curl(self.url(code=mint("SITEID=FR\nGID=c~t%d\n" % i)),
                              *(["-r", "%d-" % (i * 1000)] if i % 3 == 0 else []))

        threads = [threading.Thread(target=fetch, args=(i,)) for i in range(len(results))]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        for i, response in enumerate(results):
            tagged = self.written("SITEID=FR\nGID=c~t%d\n" % i)
            self.assertEqual(response.body, tagged[i * 1000:] if i % 3 == 0 else tagged, i)
        self.assert_tagged(results[1].body, "SITEID=FR\nGID=c~t1\n")


class Limits(DownloadCase):
    """A server of its own with small limits; each case ends with a download that works."""

    BIG = 24 << 20  # more than the socket buffers on both sides hold

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.big = testbuilds.unsigned_build(cls.builds / "big.exe", cls.BIG, seed=2)

    def setUp(self):
        self.limited = self.start("--request-seconds", "2", "--max-connections", "6",
                                  "--max-header-bytes", "4096", "--shutdown-seconds", "60")

    def tearDown(self):
        self.limited.stop()

    def assert_still_serving(self):
        self.assertEqual(curl(self.url(server=self.limited)).body, self.original)

    def connect(self):
        host, port = self.limited.address.rsplit(":", 1)
        return socket.create_connection((host, int(port)), timeout=30)

    def test_a_client_that_stops_reading_is_dropped_and_logged(self):
        start = self.limited.mark()
        host, port = self.limited.address.rsplit(":", 1)
        with socket.socket() as client:
            client.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            client.connect((host, int(port)))
            client.sendall(b"GET /download/big.exe HTTP/1.1\r\nHost: x\r\n\r\n")
            event = self.limited.wait_for(lambda e: e.get("event") == "download", start=start)
        self.assertEqual(event["completed"], "no")
        self.assertLess(event["bytes_sent"], self.BIG)
        self.assert_still_serving()

    def test_slow_senders_and_large_headers_are_refused(self):
        with self.connect() as client:
            client.sendall(b"GET /download/ZembricoInstall.exe HTTP/1.1\r\nHost: x\r\n")
            self.assertEqual(client.recv(100), b"")  # closed after the request time
        self.assertEqual(curl(self.url(server=self.limited), "-H", "X-Big: " + "a" * 5000).status,
                         431)
        self.assert_still_serving()

    def test_connections_above_the_limit_are_closed(self):
        idle = [self.connect() for _ in range(6)]
        try:
            for connection in idle:
                connection.sendall(b"GET /download/missing.exe HTTP/1.1\r\nHost: x\r\n\r\n")
                self.assertIn(b" 404 ", connection.recv(200))
            start = self.limited.mark()
            self.assertEqual(curl(self.url(server=self.limited)).status, 0)
            self.limited.wait_for(lambda e: e.get("event") == "connection_refused", start=start)
        finally:
            for connection in idle:
                connection.close()
        deadline = time.monotonic() + 30
        while curl(self.url(server=self.limited)).status != 200:
            self.assertLess(time.monotonic(), deadline, "closed connections were not let go")
        self.assert_still_serving()

    def test_sigterm_lets_a_running_download_finish(self):
        with tempfile.TemporaryDirectory() as folder:
            target = Path(folder, "slow.exe")
            slow = subprocess.Popen(["curl", "-sS", "--limit-rate", "8M", "-o", target,
                                     self.url("big.exe", server=self.limited)])
            deadline = time.monotonic() + 30
            while not target.exists() or target.stat().st_size == 0:
                self.assertLess(time.monotonic(), deadline, "the download did not start")
                time.sleep(0.02)
            start = self.limited.mark()
            self.limited.process.terminate()
            self.limited.wait_for(lambda e: e.get("event") == "stopping", start=start)
            self.assertEqual(curl(self.url(server=self.limited)).status, 0)
            self.assertEqual(slow.wait(60), 0)
            self.assertEqual(target.read_bytes(), self.big.read_bytes())
            self.assertEqual(self.limited.process.wait(60), 0)
            # Still sending when the signal came: its record follows the stop.
            event = self.limited.wait_for(lambda e: e.get("event") == "download", start=start)
            self.assertEqual((event["build"], event["completed"]), ("big.exe", "yes"))


def main():
    global ZBSERVE, ZBTAG
    ZBSERVE, ZBTAG = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)


if __name__ == "__main__":
    main()
