#!/usr/bin/env python3
"""A PostgreSQL server of a test's own, in a temporary folder, reached by its Unix socket.

    pgserver.py [--durable]

prints its address (postgresql://...) on one line, serves until its standard input ends (so it
ends with the process that started it, however that ends), then stops the server and removes
the folder. As a module: `with PostgresServer() as url: ...`.

PostgreSQL refuses to run as root: as root the server runs as the `postgres` user. Without
--durable it does not sync to disk (tests); with it, it keeps Debian's defaults (bench).
"""

import ctypes
import glob
import os
import pwd
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PR_SET_PDEATHSIG = 1


def bin_dir():
    found = sorted(glob.glob("/usr/lib/postgresql/*/bin/postgres"),
                   key=lambda p: int(p.split("/")[4]))
    if not found:
        raise RuntimeError("no PostgreSQL server in /usr/lib/postgresql (Debian's postgresql)")
    return os.path.dirname(found[-1])


class PostgresServer:
    def __init__(self, durable=False):
        self.durable = durable
        self.folder = None
        self.process = None

    def _as_owner(self):
        """For the child: the postgres user when we are root, and an end when we end."""
        if os.getuid() == 0:
            user = pwd.getpwnam("postgres")
            os.setgid(user.pw_gid)
            os.setuid(user.pw_uid)
        # Set after the change of user, which clears it.
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGQUIT)

    def _run(self, *command):
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                       preexec_fn=self._as_owner)

    def __enter__(self):
        bindir = bin_dir()
        self.folder = tempfile.mkdtemp(prefix="zb-pg-")
        if os.getuid() == 0:
            user = pwd.getpwnam("postgres")
            os.chown(self.folder, user.pw_uid, user.pw_gid)
        data = os.path.join(self.folder, "data")
        self._run(os.path.join(bindir, "initdb"), "-D", data, "-A", "trust", "-U", "zb",
                  "-E", "UTF8", "--locale=C", "--no-sync")
        settings = ["-c", "listen_addresses=", "-c", "unix_socket_directories=" + self.folder,
                    "-c", "max_connections=200"]
        if not self.durable:
            settings += ["-c", "fsync=off", "-c", "synchronous_commit=off"]
        self.process = subprocess.Popen(
            [os.path.join(bindir, "postgres"), "-D", data] + settings,
            stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.folder, "server.log"), "w"),
            preexec_fn=self._as_owner)
        socket = os.path.join(self.folder, ".s.PGSQL.5432")
        end = time.monotonic() + 120
        while not self._ready(bindir):
            if self.process.poll() is not None or time.monotonic() > end:
                self.__exit__(None, None, None)
                raise RuntimeError("PostgreSQL did not start")
            time.sleep(0.1)
        assert os.path.exists(socket)
        return "postgresql://zb@/postgres?host=" + self.folder

    def _ready(self, bindir):
        return subprocess.run([os.path.join(bindir, "pg_isready"), "-q", "-h", self.folder],
                              check=False).returncode == 0

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            # Fast shutdown: sessions are ended, nothing is written that a test would miss.
            self.process.send_signal(signal.SIGINT)
            try:
                self.process.wait(60)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
        return False


def main():
    with PostgresServer(durable="--durable" in sys.argv[1:]) as url:
        print(url, flush=True)
        sys.stdin.read()


if __name__ == "__main__":
    main()
