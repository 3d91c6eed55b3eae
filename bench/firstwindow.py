"""The first-window rows of `./zb bench`: process start to the first painted window.

Measured in one alternation: our setup program against an NSIS installer of the payload it
carries (both check or read the same bytes before their first page); the floor under both, a
program that only shows a window of the wizard's 24 system controls under our manifest
(bench/floor); and the bench's variant of our setup program (ZembricoBench.exe, its analytics
sent to the loopback) with a collector that answers and with one whose packets are dropped (its
listener's queue is kept full, so that the connection attempt gets no answer).
"""
import os
import re
import socket
import threading

from bench import alternate, fmt_s, wine, windows_path

# Wine reports Windows 7 unless told per program; the build options ask for Windows 10, below
# which our programs show only the minimum-version box.
WINDOWS_10_PROGRAMS = ["ZembricoInstall.exe", "ZembricoBench.exe"]


class LoopbackCollector:
    """An analytics collector on 127.0.0.1:`port` for one run: it reads and drops what arrives,
    or, `answering` False, answers no connection attempt."""

    def __init__(self, port, answering):
        self._server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._server.bind(("127.0.0.1", port))
        self._server.listen(8 if answering else 0)
        self._filler = None
        if answering:
            threading.Thread(target=self._accept, daemon=True).start()
        else:
            self._filler = socket.create_connection(("127.0.0.1", port))

    def _accept(self):
        while True:
            try:
                connection, _ = self._server.accept()
            except OSError:
                return
            threading.Thread(target=self._drain, args=(connection,), daemon=True).start()

    @staticmethod
    def _drain(connection):
        with connection:
            try:
                while connection.recv(65536):
                    pass
            except OSError:
                pass

    def close(self):
        if self._filler:
            self._filler.close()
        try:
            self._server.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self._server.close()


def collector_port(win32):
    """The loopback port the build gave its test and bench variants' analytics."""
    with open(os.path.join(win32, "CMakeCache.txt")) as cache:
        found = re.search(r"^ZB_E2E_COLLECTOR_PORT:\w+=(\d+)$", cache.read(), re.M)
    if not found:
        raise SystemExit("bench: no ZB_E2E_COLLECTOR_PORT in the build's cache")
    return int(found.group(1))


def first_paint(zbbench, program):
    return lambda: (float(wine([zbbench, "startup", windows_path(program)])),)


def with_collector(port, answering, measure):
    def run():
        collector = LoopbackCollector(port, answering)
        try:
            return measure()
        finally:
            collector.close()
    return run


def first_window_rows(win32, zbbench, nsis_setup, runs):
    """Rows (title, ours, peer, ours / peer) of the first painted window."""
    for name in WINDOWS_10_PROGRAMS:
        wine(["reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\" + name, "/v", "Version",
              "/d", "win10", "/f"])
    bin_dir = os.path.join(win32, "bin")
    setup = os.path.join(bin_dir, "ZembricoInstall.exe")
    variant = first_paint(zbbench, os.path.join(bin_dir, "ZembricoBench.exe"))
    port = collector_port(win32)
    series = alternate(runs, {
        "ours": first_paint(zbbench, setup),
        "nsis": first_paint(zbbench, nsis_setup),
        "floor": first_paint(zbbench, os.path.join(bin_dir, "zbfloor.exe")),
        "answering": with_collector(port, True, variant),
        "dropped": with_collector(port, False, variant),
    })
    ours, nsis, floor = series["ours"][0], series["nsis"][0], series["floor"][0]
    answering, dropped = series["answering"][0], series["dropped"][0]
    return [
        ("start to first painted window", ours.text(fmt_s), nsis.text(fmt_s),
         ours.median / nsis.median),
        ("  floor: 24 system controls, same manifest, nothing else", floor.text(fmt_s),
         nsis.text(fmt_s), floor.median / nsis.median),
        ("  start to first painted window against the floor", ours.text(fmt_s),
         floor.text(fmt_s) + " (floor)", ours.median / floor.median),
        ("  first painted window, collector's packets dropped, against one that answers",
         dropped.text(fmt_s), answering.text(fmt_s) + " (answering)",
         dropped.median / answering.median),
    ]
