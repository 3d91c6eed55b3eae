"""zbserve for a test: started on a free port with a store of its own, its JSON log collected,
and what its store holds read back.

    with Server(zbserve, "sqlite", work) as server: server.post(...); server.count("hits")

A "postgresql" server gets a database on a PostgreSQL server of the test's own (pgserver.py).
"""

import os
import shutil
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pgserver import PostgresServer  # noqa: E402
from serverprocess import ServerProcess  # noqa: E402

PASSWORD = "test password"
# A wait for something that takes a moment, even on a busy machine: a safety net, not a measure.
WOULD_HANG = 60


def wait_until(condition, seconds=WOULD_HANG, every=0.05):
    end = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > end:
            return False
        time.sleep(every)
    return True


def _unread_counts(port):
    """For each TCP socket whose local port is `port`: what it holds that the server has not
    taken, a listening socket's connections not yet accepted or a connection's unread bytes."""
    counts = []
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        try:
            with open(table) as lines:
                rows = lines.read().splitlines()[1:]
        except FileNotFoundError:
            continue
        for row in rows:
            fields = row.split()
            if int(fields[1].rsplit(":", 1)[1], 16) == port:
                counts.append(int(fields[4].split(":")[1], 16))
    return counts


def setup_request(host_port, body):
    """A POST of `body` (bytes) as the setup program sends it: its head lines in its order."""
    head = ("POST /collect HTTP/1.1\r\nHost: %s\r\nPragma: no-cache\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: %d\r\n\r\n"
            % (host_port, len(body)))
    return head.encode("ascii") + body


class Store:
    """A fresh store of one kind: a SQLite file, or a database on a test PostgreSQL server."""

    def __init__(self, kind, work):
        self.kind = kind
        self.folder = tempfile.mkdtemp(prefix="zbserve-", dir=work)
        self._postgres = None
        if kind == "sqlite":
            self.location = os.path.join(self.folder, "store.sqlite")
        else:
            self._postgres = PostgresServer()
            self.location = self._postgres.__enter__()

    def rows(self, sql):
        """The rows of a query, as lists of texts (PostgreSQL) or values (SQLite)."""
        if self.kind == "sqlite":
            with sqlite3.connect(self.location, timeout=30) as db:
                return [list(row) for row in db.execute(sql).fetchall()]
        out = subprocess.run(["psql", self.location, "-At", "-F", "\t", "-c", sql], check=True,
                             capture_output=True, text=True).stdout
        return [line.split("\t") for line in out.splitlines()]

    def count(self, table, where="TRUE"):
        return int(self.rows("SELECT COUNT(*) FROM %s WHERE %s" % (table, where))[0][0])

    def close(self):
        if self._postgres:
            self._postgres.__exit__(None, None, None)
        shutil.rmtree(self.folder, ignore_errors=True)


class Server:
    """zbserve with `store`, the dashboard's password and `options` (a later flag wins)."""

    def __init__(self, binary, store, *options):
        self.binary = binary
        self.store = store
        self.options = list(options)
        self.process = None
        self.address = None
        self._server = None

    def start(self):
        self._server = ServerProcess(self.binary, "--store", self.store.location,
                                     "--shutdown-seconds", "20", *self.options,
                                     env=dict(os.environ, ZBSERVE_PASSWORD=PASSWORD))
        self.process = self._server.process
        self.address = self._server.address
        return self

    def events(self, name):
        return self._server.events(name)

    def caught_up(self):
        """Whether the server has accepted every connection made to it and read all that was
        sent on them."""
        counts = _unread_counts(int(self.address.rsplit(":", 1)[1]))
        return bool(counts) and not any(counts)

    def connect(self):
        host, port = self.address.rsplit(":", 1)
        return socket.create_connection((host, int(port)), timeout=WOULD_HANG)

    def stop(self, sig=signal.SIGTERM):
        if sig != signal.SIGTERM and self.process.poll() is None:
            self.process.send_signal(sig)
        return self._server.stop(WOULD_HANG)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop(signal.SIGKILL if exc[0] else signal.SIGTERM)
        return False


def read_response(connection, buffered=b""):
    """One HTTP response from `connection` (status, headers dict, body), and what follows it.
    Only for the answers this server gives: Content-Length or none."""
    data = buffered
    while b"\r\n\r\n" not in data:
        chunk = connection.recv(65536)
        if not chunk:
            raise ConnectionError("closed before an answer")
        data += chunk
    head, _, rest = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    status = int(lines[0].split()[1])
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    length = int(headers.get("content-length", "0"))
    while len(rest) < length:
        chunk = connection.recv(65536)
        if not chunk:
            raise ConnectionError("closed inside a body")
        rest += chunk
    return status, headers, rest[:length], rest[length:]


def closed_by_peer(connection, seconds=WOULD_HANG):
    """Whether the server closes `connection` (reads to its end) within `seconds`."""
    connection.settimeout(seconds)
    try:
        while connection.recv(65536):
            pass
        return True
    except (socket.timeout, TimeoutError):
        return False
    except ConnectionResetError:
        return True
