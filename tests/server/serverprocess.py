"""zbserve as a child process of a test or bench: started on a free loopback port, its JSON log
lines collected as they come, waited on by condition, stopped with SIGTERM."""

import ctypes
import json
import os
import signal
import subprocess
import threading
import time


PR_SET_PDEATHSIG = 1


def end_with_parent():
    """For the child: SIGTERM when the thread that started it ends, however the test ends (a
    server left running would hold the test's output open)."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class ServerProcess:
    """`log`: a file for the server's log, which is then read only when asked (wait_for, events):
    no thread of this process competes with a bench's clients for every line."""

    def __init__(self, zbserve, *options, env=None, log=None):
        self.lines = []
        self.changed = threading.Condition()
        # The server writes the file through a descriptor of its own; this one only reads it.
        writing = open(log, "wb") if log else None
        self.log = open(log, "rb") if log else None
        self.process = subprocess.Popen(
            [zbserve, "--listen", "127.0.0.1:0", *options],
            stdout=writing or subprocess.PIPE, stderr=subprocess.STDOUT, env=env,
            preexec_fn=end_with_parent)
        if writing:
            writing.close()
        if not self.log:
            threading.Thread(target=self._read, daemon=True).start()
        listening = self.wait_for(lambda e: e.get("event") == "listening")
        self.address = listening["address"]
        self.url = "http://" + self.address

    def _read(self):
        for raw in self.process.stdout:
            self._add(raw)
        with self.changed:
            self.lines.append({"event": "_ended"})
            self.changed.notify_all()

    def _add(self, raw):
        try:
            event = json.loads(raw)
        except ValueError:
            event = {"event": "unparsed", "line": raw.decode(errors="replace")}
        with self.changed:
            self.lines.append(event)
            self.changed.notify_all()

    def _read_file(self):
        """The log file's new whole lines; the end once the server has ended and all is read."""
        ended = self.process.poll() is not None
        for raw in self.log.readlines():
            if not raw.endswith(b"\n"):
                self.log.seek(-len(raw), os.SEEK_CUR)
                break
            self._add(raw)
        if ended and not self.lines[-1:] == [{"event": "_ended"}]:
            with self.changed:
                self.lines.append({"event": "_ended"})

    def events(self, name):
        if self.log:
            self._read_file()
        with self.changed:
            return [e for e in self.lines if e.get("event") == name]

    def wait_for(self, predicate, timeout=60, start=0):
        """The first log event from index `start` on that `predicate` accepts; fails when the
        server ends first or after `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while True:
            if self.log:
                self._read_file()
            with self.changed:
                for event in self.lines[start:]:
                    if predicate(event):
                        return event
                    if event.get("event") == "_ended":
                        raise AssertionError("zbserve ended: %s" % self.lines[-6:])
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError("zbserve did not log it in time: %s" % self.lines[-6:])
                # A log file has no one to notify: look again shortly.
                self.changed.wait(min(left, 0.02) if self.log else left)

    def mark(self):
        """Where the next log event will stand, for wait_for(start=...)."""
        with self.changed:
            return len(self.lines)

    def peak_rss_kib(self):
        with open("/proc/%d/status" % self.process.pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0

    def reset_peak_rss(self):
        with open("/proc/%d/clear_refs" % self.process.pid, "w") as clear:
            clear.write("5")

    def stop(self, timeout=60):
        """SIGTERM, then the exit status once it has ended."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout)
        finally:
            if self.process.poll() is None:
                os.kill(self.process.pid, signal.SIGKILL)
                self.process.wait()
            (self.log or self.process.stdout).close()
