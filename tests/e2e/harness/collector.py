"""An analytics collection host on the loopback, and what a run's hits must look like."""

import socket
import threading

from .core import check, wait_until



class Collector:
    """An analytics collection host on the loopback: keeps the bodies of the POSTs of each
    connection (one per run of the program) in order. Made `reachable=False`, it answers no
    connection attempt until open(), as a network that drops the packets: its listener's queue
    of one is kept full."""

    def __init__(self, port, reachable=True):
        self.connections = []
        self._open = 0
        self._lock = threading.Lock()
        self._server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._server.bind(("127.0.0.1", port))
        self._server.listen(8 if reachable else 0)
        self._filler = None
        if reachable:
            self.open()
        else:
            self._filler = socket.create_connection(("127.0.0.1", port))

    def open(self):
        """Answers from now on: attempts dropped meanwhile get through at their next retry."""
        if self._filler:
            self._server.accept()[0].close()
            self._filler.close()
            self._filler = None
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                connection, _ = self._server.accept()
            except OSError:
                return
            with self._lock:
                hits = []
                self.connections.append(hits)
                self._open += 1
            threading.Thread(target=self._read, args=(connection, hits), daemon=True).start()

    def _read(self, connection, hits):
        try:
            with connection:
                self._read_hits(connection, hits)
        except OSError:
            pass
        finally:
            with self._lock:
                self._open -= 1

    def _read_hits(self, connection, hits):
        data = b""
        while True:
            chunk = connection.recv(65536)
            if not chunk:
                return
            data += chunk
            while True:
                head_end = data.find(b"\r\n\r\n")
                if head_end < 0:
                    break
                length = 0
                for line in data[:head_end].split(b"\r\n")[1:]:
                    name, _, value = line.partition(b":")
                    if name.strip().lower() == b"content-length":
                        length = int(value.strip())
                if len(data) < head_end + 4 + length:
                    break
                body = data[head_end + 4:head_end + 4 + length]
                with self._lock:
                    hits.append(body.decode("latin-1"))
                data = data[head_end + 4 + length:]

    def all_closed(self):
        """Whether every connection has been closed by its program and read to its end."""
        with self._lock:
            return self._open == 0

    def runs(self):
        """The bodies of each connection so far."""
        with self._lock:
            return [list(hits) for hits in self.connections]

    def close(self):
        if self._filler:
            self._filler.close()
        # Wakes the accepting thread: a socket closed while accept() waits keeps listening.
        try:
            self._server.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self._server.close()

def check_one_runs_hits(collector):
    """The hits of a whole run, launch included, are at the collector in the order of the
    wizard's milestones, each to both accounts."""
    # The program has ended, which closes its connection; the collector reads it to the end.
    wait_until(collector.all_closed)
    runs = []
    for hits in collector.runs():
        run = []
        for body in hits:
            fields = dict(part.partition("=")[::2] for part in body.split("&"))
            run.append((fields.get("tid"), fields.get("cd") or fields.get("ec")))
        runs.append(run)
    expected = []
    for milestone in ("InstallationWindow/SufficientSpace", "InstallationWindow/InstallStarted",
                      "Installation_Language_Change_51569", "InstallationWindow/InstallComplete",
                      "InstallationWindow/WV2Close"):
        expected += [("UA-10000001-1", milestone), ("UA-10000002-1", milestone)]
    print("  hits: %s" % runs, flush=True)
    # Other programs of the shared prefix may connect too: one connection must be this run.
    check(expected in runs, "hits in the wrong order: %s" % runs)

