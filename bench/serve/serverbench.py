#!/usr/bin/env python3
"""The server's rows of ./zb bench: hits received per second and their answer times, and the
dashboard's views on a store of 10 million hits.

    serverbench.py --work DIR [--seconds N] [--hits N]

Builds the optimised zbserve and zbhitload (build/release), then:
  - ingestion: 32 clients, each on one kept-alive connection, send hits and wait for each
    answer; the hits answered as stored are then counted back from the store. SQLite with
    both sync settings, and PostgreSQL (a server of the bench's own, with its default
    durability);
  - the dashboard: every view on a SQLite store of 10 million made-up hits (made once, kept
    in DIR), median and slowest of five requests each.
Prints a table with the machine's load beside each row and writes DIR/results.md.
"""

import argparse
import json
import os
import signal
import statistics
import subprocess
import sys
import time
import urllib.parse
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "server"))
from pgserver import PostgresServer  # noqa: E402

BIN = os.path.join(ROOT, "build", "release", "bin")
PASSWORD = "bench"


def load():
    return "%.1f" % os.getloadavg()[0]


def build():
    if not os.path.exists(os.path.join(ROOT, "build", "release", "CMakeCache.txt")):
        subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "release", "--target", "zbserve",
                    "zbhitload", "-j2"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


class Zbserve:
    def __init__(self, store, *options):
        self.process = subprocess.Popen(
            [os.path.join(BIN, "zbserve"), "--listen", "127.0.0.1:0", "--store", store,
             "--password", PASSWORD, "--collect-rate", "0"] + list(options),
            stdout=subprocess.PIPE, text=True)
        for line in self.process.stdout:
            event = json.loads(line)
            if event["event"] == "listening":
                self.address = event["address"]
                return
        raise RuntimeError("zbserve did not start")

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait(120)


def hitload(*args):
    out = subprocess.run([os.path.join(BIN, "zbhitload")] + [str(a) for a in args], check=True,
                         capture_output=True, text=True).stdout
    return out.strip()


def ingestion(name, store, seconds, *options):
    server = Zbserve(store, *options)
    try:
        hitload("send", server.address, 32, 2, 1)  # warm-up: connections, caches, WAL
        before = load()
        result = json.loads(hitload("send", server.address, 32, seconds, 2))
    finally:
        server.stop()
    counted = int(hitload("count", store))
    warmed = counted - result["stored"]
    return ("ingestion, %s, 32 kept-alive clients" % name,
            "%d hits/s" % result["hits_per_second"],
            "99th percentile %.1f ms (median %.1f)" % (result["p99_ms"], result["p50_ms"]),
            "%d answered stored, %d counted back%s" % (
                result["stored"], counted - warmed,
                "" if result["other"] == 0 else ", %d other answers" % result["other"]),
            before)


def ingestion_rows(work, seconds):
    rows = []
    for sync in ("normal", "full"):
        store = os.path.join(work, "ingest-%s.sqlite" % sync)
        for suffix in ("", "-wal", "-shm"):
            if os.path.exists(store + suffix):
                os.remove(store + suffix)
        rows.append(ingestion("SQLite (WAL, synchronous=%s)" % sync.upper(), store, seconds,
                              "--sync", sync))
    with PostgresServer(durable=True) as url:
        rows.append(ingestion("PostgreSQL (synchronous_commit on)", url, seconds))
    return rows


def big_store(work, hits):
    store = os.path.join(work, "hits-%d.sqlite" % hits)
    if not os.path.exists(store) or int(hitload("count", store)) < hits:
        for suffix in ("", "-wal", "-shm"):
            if os.path.exists(store + suffix):
                os.remove(store + suffix)
        print("serverbench: making %d hits in %s (once)" % (hits, store), flush=True)
        print("serverbench: " + hitload("generate", store, hits, 90), flush=True)
    return store


def timed_views(address, views):
    opener = urllib.request.build_opener()
    opener.add_handler(urllib.request.HTTPCookieProcessor())
    login = urllib.request.Request("http://%s/login" % address,
                                   data=urllib.parse.urlencode({"password": PASSWORD}).encode())
    opener.open(login).read()
    rows = []
    for title, path in views:
        times = []
        for _ in range(5):
            start = time.monotonic()
            with opener.open("http://%s%s" % (address, path)) as response:
                response.read()
                assert response.status == 200, path
            times.append(1000 * (time.monotonic() - start))
        rows.append(("dashboard: " + title, "%.0f ms" % statistics.median(times),
                     "slowest %.0f ms" % max(times), "", load()))
    return rows


def dashboard_rows(work, hits):
    store = big_store(work, hits)
    server = Zbserve(store)
    try:
        import sqlite3
        with sqlite3.connect(store) as db:
            site, language = db.execute(
                "SELECT site, language FROM journeys WHERE language <> '' "
                "GROUP BY site, language ORDER BY COUNT(*) DESC LIMIT 1").fetchone()
            client, journey = db.execute(
                "SELECT client_id, id FROM journeys WHERE client_id <> '' "
                "ORDER BY id DESC LIMIT 1").fetchone()
        q = urllib.parse.quote
        views = [
            ("funnel, 30 days", "/dashboard"),
            ("funnel, 90 days", "/dashboard?from=%s" % time.strftime(
                "%Y-%m-%d", time.gmtime(time.time() - 89 * 86400))),
            ("funnel, 90 days, one site", "/dashboard?from=%s&site=%s" % (
                time.strftime("%Y-%m-%d", time.gmtime(time.time() - 89 * 86400)), q("=" + site))),
            ("funnel, 90 days, site and language", "/dashboard?from=%s&site=%s&language=%s" % (
                time.strftime("%Y-%m-%d", time.gmtime(time.time() - 89 * 86400)), q("=" + site),
                q("=" + language))),
            ("funnel, 90 days, all four filters",
             "/dashboard?from=%s&site=%s&language=%s&campaign=%s&version=%s" % (
                 time.strftime("%Y-%m-%d", time.gmtime(time.time() - 89 * 86400)),
                 q("=" + site), q("=" + language), q("=camp0"), q("=182, 5, 8,"))),
            ("funnel CSV, 90 days", "/dashboard/funnel.csv?from=%s" % time.strftime(
                "%Y-%m-%d", time.gmtime(time.time() - 89 * 86400))),
            ("newest installations", "/dashboard/installations"),
            ("installations of a client id", "/dashboard/installations?by=client&value=" + client),
            ("one installation", "/dashboard/installation?id=%d" % journey),
        ]
        return timed_views(server.address, [(t + " (%d million hits)" % (hits // 1000000), p)
                                            for t, p in views])
    finally:
        server.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", default=os.path.join(ROOT, "build", "bench", "serve"))
    parser.add_argument("--seconds", type=int, default=10)
    parser.add_argument("--hits", type=int, default=10_000_000)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    build()
    rows = ingestion_rows(args.work, args.seconds) + dashboard_rows(args.work, args.hits)
    lines = ["zbserve on %d CPUs; load = the 1-minute load average when the row was measured" %
             os.cpu_count(), "", "| measure | result | time | check | load |",
             "|---|---|---|---|---|"]
    lines += ["| %s | %s | %s | %s | %s |" % row for row in rows]
    text = "\n".join(lines) + "\n"
    print(text)
    with open(os.path.join(args.work, "results.md"), "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
