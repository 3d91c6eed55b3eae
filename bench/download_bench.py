#!/usr/bin/python3
"""zbserve's tagged downloads against nginx serving the untagged file, on the same machine.

    bench/download_bench.py --zbserve build/release/bin/zbserve [--work build/bench] [--runs 3]

Run by `./zb bench`. A signed installer of 40 MiB is served by zbserve (optimised build), each
request with a code of its own (so each response is tagged anew), and by Debian's nginx-light
(`sendfile on`, one worker per processor, as zbserve has one network thread per processor)
as a static file. Rows, each the median of --runs alternating runs with the spread:

  throughput   32 concurrent downloads (curl) of the whole file, bytes over wall time
  TTFB         time to first byte of 2,000 downloads on new connections, 8 at a time: median
               and 99th percentile
  peak RSS     zbserve's peak resident memory while 256 downloads run at once (its high-water
               mark, reset just before them)

Done when (tagged against untagged): throughput at least 0.8x, p99 TTFB at most 2x, peak RSS at
most 64 MiB.
"""
import argparse
import asyncio
import base64
import hashlib
import hmac
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "server"))
import testbuilds  # noqa: E402
from serverprocess import ServerProcess  # noqa: E402

MIB = 1 << 20
SIZE = 40 * MIB
KEY = b"bench key, thirty-two bytes or more, one line"
NAME = "ZembricoInstall.exe"


def code(i):
    text = ("SITEID=be_zb_ext\nGID=bench~t%08d\nOID=op.%d\n" % (i, i % 7)).encode()
    mac = hmac.new(KEY, text, hashlib.sha256).digest()
    return b64(text) + "." + b64(mac)


def b64(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Nginx:
    def __init__(self, folder, builds):
        self.port = free_port()
        config = folder / "nginx.conf"
        config.write_text(
            "daemon off; user root; worker_processes auto; pid %s/nginx.pid;\n"
            "error_log %s/error.log;\n"
            "events { worker_connections 4096; }\n"
            "http { access_log off; sendfile on; tcp_nopush on; keepalive_timeout 60;\n"
            "  client_body_temp_path %s; proxy_temp_path %s; fastcgi_temp_path %s;\n"
            "  uwsgi_temp_path %s; scgi_temp_path %s;\n"
            "  server { listen 127.0.0.1:%d; root %s; location / { } } }\n"
            % ((folder,) * 7 + (self.port, builds)))
        self.process = subprocess.Popen(["nginx", "-c", str(config), "-p", str(folder)])
        deadline = time.monotonic() + 30
        while True:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                break
            except OSError:
                if time.monotonic() > deadline or self.process.poll() is not None:
                    raise SystemExit("bench: nginx did not start (%s)" % folder)
                time.sleep(0.05)
        self.url = "http://127.0.0.1:%d" % self.port

    def stop(self):
        self.process.terminate()
        self.process.wait(30)


class Series:
    def __init__(self):
        self.values = []

    def text(self, unit):
        v = self.values
        return "%s (%s-%s)" % (unit(statistics.median(v)), unit(min(v)), unit(max(v)))

    @property
    def median(self):
        return statistics.median(self.values)


def throughput(urls):
    """Bytes a second of the downloads of `urls`, all started at once."""
    start = time.perf_counter()
    downloads = [subprocess.Popen(["curl", "-sS", "-o", "/dev/null", "-w", "%{size_download}",
                                   url], stdout=subprocess.PIPE, text=True) for url in urls]
    sizes = [int(d.communicate()[0]) for d in downloads]
    elapsed = time.perf_counter() - start
    if any(size != sizes[0] or size < SIZE for size in sizes):
        raise SystemExit("bench: a download came short: %s" % sizes)
    return sum(sizes) / elapsed


def first_byte(host, port, path):
    """Seconds from connecting to the response's first byte, on a new connection."""
    start = time.perf_counter()
    with socket.create_connection((host, port)) as s:
        s.sendall(("GET %s HTTP/1.1\r\nHost: bench\r\n\r\n" % path).encode())
        if not s.recv(1):
            raise SystemExit("bench: no answer for %s" % path)
        return time.perf_counter() - start


def ttfb(url, paths, parallel=8):
    host, port = url[len("http://"):].rsplit(":", 1)
    times, lock = [], threading.Lock()

    def worker(mine):
        for path in mine:
            took = first_byte(host, int(port), path)
            with lock:
                times.append(took)

    threads = [threading.Thread(target=worker, args=(paths[i::parallel],)) for i in range(parallel)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    times.sort()
    return statistics.median(times), times[int(len(times) * 0.99) - 1]


async def slow_download(host, port, path, started, release):
    reader, writer = await asyncio.open_connection(host, port)
    writer.write(("GET %s HTTP/1.1\r\nHost: bench\r\n\r\n" % path).encode())
    await reader.read(65536)
    started()
    while not release.is_set():
        await reader.read(65536)
        await asyncio.sleep(0.01)
    writer.close()


async def concurrent_peak(server, count):
    """zbserve's peak RSS (KiB) while `count` downloads run at once."""
    host, port = server.address.rsplit(":", 1)
    server.reset_peak_rss()
    release, running = asyncio.Event(), [0]
    all_started = asyncio.Event()

    def started():
        running[0] += 1
        if running[0] == count:
            all_started.set()

    tasks = [asyncio.create_task(slow_download(host, int(port), "/download/%s?code=%s" %
                                               (NAME, code(100000 + i)), started, release))
             for i in range(count)]
    await asyncio.wait_for(all_started.wait(), 120)
    await asyncio.sleep(2)  # every download sends meanwhile
    peak = server.peak_rss_kib()
    release.set()
    await asyncio.gather(*tasks)
    return peak


def mib_s(v):
    return "%.0f MiB/s" % (v / MIB)


def ms(v):
    return "%.2f ms" % (v * 1000)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zbserve", required=True)
    parser.add_argument("--work", default=str(ROOT / "build" / "bench"))
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    if not shutil.which("nginx") or not shutil.which("curl"):
        raise SystemExit("bench: nginx (nginx-light) and curl are needed")
    os.makedirs(args.work, exist_ok=True)
    folder = Path(tempfile.mkdtemp(prefix="zb-download-bench-"))
    builds = folder / "builds"
    builds.mkdir()
    testbuilds.signed_build(folder, builds / NAME, SIZE)
    (folder / "keys").write_bytes(KEY + b"\n")
    nginx = Nginx(folder, builds)
    server = ServerProcess(args.zbserve, "--builds", str(builds), "--key-file",
                           str(folder / "keys"), "--store", str(folder / "store.sqlite"),
                           "--sync", "normal", "--max-connections", "4096",
                           log=folder / "zbserve.log")
    try:
        rows = measure(args.runs, server, nginx)
    finally:
        server.stop()
        nginx.stop()
        shutil.rmtree(folder)
    with open("/proc/loadavg") as f:
        load = " ".join(f.read().split()[:3])
    lines = ["Downloads: zbserve tagged (a code per request) against nginx untagged, a 40 MiB "
             "signed installer; %d CPUs, load %s; median of %d alternating runs (min-max)"
             % (os.cpu_count(), load, args.runs), "",
             "| measure | zbserve (tagged) | nginx (untagged) | zbserve / nginx | done when |",
             "|---|---|---|---|---|"]
    lines += ["| %s | %s | %s | %s | %s |" % row for row in rows]
    text = "\n".join(lines) + "\n"
    print(text)
    Path(args.work, "download.md").write_text(text)


def measure(runs, server, nginx):
    through = {"zbserve": Series(), "nginx": Series()}
    median = {"zbserve": Series(), "nginx": Series()}
    p99 = {"zbserve": Series(), "nginx": Series()}
    serial = 0
    for _ in range(runs):
        for name in ("zbserve", "nginx"):
            if name == "zbserve":
                urls = ["%s/download/%s?code=%s" % (server.url, NAME, code(serial + i))
                        for i in range(32)]
                paths = ["/download/%s?code=%s" % (NAME, code(serial + 1000 + i))
                         for i in range(2000)]
                serial += 4000
                base = server.url
            else:
                urls = ["%s/%s" % (nginx.url, NAME)] * 32
                paths = ["/" + NAME] * 2000
                base = nginx.url
            through[name].values.append(throughput(urls))
            m, p = ttfb(base, paths)
            median[name].values.append(m)
            p99[name].values.append(p)
    peak = asyncio.run(concurrent_peak(server, 256))
    ratio = through["zbserve"].median / through["nginx"].median
    p99_ratio = p99["zbserve"].median / p99["nginx"].median
    return [
        ("throughput, 32 concurrent downloads", through["zbserve"].text(mib_s),
         through["nginx"].text(mib_s), "%.2f" % ratio, ">= 0.80: %s" % yes(ratio >= 0.8)),
        ("time to first byte, median", median["zbserve"].text(ms), median["nginx"].text(ms),
         "%.2f" % (median["zbserve"].median / median["nginx"].median), "-"),
        ("time to first byte, 99th percentile", p99["zbserve"].text(ms), p99["nginx"].text(ms),
         "%.2f" % p99_ratio, "<= 2.00: %s" % yes(p99_ratio <= 2)),
        ("peak RSS of zbserve, 256 concurrent downloads", "%.1f MiB" % (peak / 1024), "-", "-",
         "<= 64 MiB: %s" % yes(peak <= 64 * 1024)),
    ]


def yes(ok):
    return "met" if ok else "NOT MET"


if __name__ == "__main__":
    main()
