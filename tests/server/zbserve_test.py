#!/usr/bin/env python3
"""zbserve over the loopback, as the setup program and operators use it.

    zbserve_test.py --zbserve FILE --work DIR CASE[:STORE]...

STORE is sqlite (the default) or postgresql (a PostgreSQL server of the case's own). Each case
starts its own zbserve on a free port and stops it.
"""

import argparse
import os
import random
import signal
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from serverharness import (Server, Store, closed_by_peer, read_response,  # noqa: E402
                           setup_request, wait_until)

# The description's example, both accounts, and what else the setup program sends as it is:
# spaces, commas, parentheses, an ampersand in a value, a byte above 127 (Windows-1252 e-acute),
# an empty account, a one-character group id.
BODIES = [
    b"v=1&tid=g&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=screenview&cd=InstallationWindow/TOS&cd13=c",
    b"v=1&tid=l&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=screenview&cd=InstallationWindow/TOS&cd13=c",
    b"v=1&tid=g&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=screenview"
    b"&cd=InstallationWindow/SufficientSpace&cd13=c&cd12=x",
    b"v=1&tid=&cid=c&an=Zembrico.com&av=182, 5, 8,&t=screenview"
    b"&cd=InstallationWindow/InstallStarted&cd13=c&cd12=x",
    b"v=1&tid=g&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=event&ec=Installation_Language_Change_51569"
    b"&ea=Chinese (Simplified)&el=Serbian & Montenegrin&cd13=c&cd12=x",
    b"v=1&tid=g&cid=c&an=Zembrico.FR&av=caf\xe9 1,2&t=screenview"
    b"&cd=InstallationWindow/InstallComplete&cd13=c&cd12=x",
]


class CaseFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise CaseFailed(message)


def post(connection, server, body):
    connection.sendall(setup_request(server.address, body))
    status, _, _, rest = read_response(connection)
    check(rest == b"", "more than one answer")
    return status


def unique_hit(client, screen="InstallationWindow/SufficientSpace"):
    return ("v=1&tid=g&cid=%s&an=Zembrico.FR&av=1.0.0.0&t=screenview&cd=%s&cd13=%s"
            % (client, screen, client)).encode()


# ---- receiving ----

def case_kept_alive_unread(args, store):
    """The setup program's posts, one kept-alive connection, sent back to back and never read;
    then the program ends."""
    with Server(args.zbserve, store) as server:
        connection = server.connect()
        connection.sendall(b"".join(setup_request(server.address, body) for body in BODIES))
        check(wait_until(lambda: store.count("hits") == len(BODIES)),
              "stored %d of %d" % (store.count("hits"), len(BODIES)))
        connection.close()
        rows = store.rows("SELECT account, app_name, app_version, action, label, group_id "
                          "FROM hits ORDER BY id")
        check([r[0] for r in rows] == ["g", "l", "g", "", "g", "g"], "accounts: %s" % rows)
        check(rows[0][2] == "182, 5, 8,", "version: %r" % rows[0][2])
        check(rows[4][3:5] == ["Chinese (Simplified)", "Serbian & Montenegrin"],
              "event: %s" % rows[4])
        check(rows[5][2] == "caf\u00e9 1,2", "a Windows-1252 byte: %r" % rows[5][2])
        check(store.count("journeys") == 2, "journeys: %d" % store.count("journeys"))
        check(not server.events("hit_refused"), "refused: %s" % server.events("hit_refused"))


def case_refusals(args, store):
    """Junk, oversized bodies and headers are refused and logged; the server keeps serving."""
    with Server(args.zbserve, store) as server:
        expectations = [
            (b"hello", 400), (b"v=1&tid=g&t=pageview&cd=x", 400),
            (b"v=1&t=screenview&cd=" + b"x" * 5000, 413), (BODIES[0], 204),
        ]
        stored = 0
        for body, status in expectations:
            with server.connect() as connection:
                answer = post(connection, server, body)
                check(answer == status, "%r...: %d, not %d" % (body[:20], answer, status))
                stored += status == 204
        with server.connect() as connection:
            connection.sendall(b"GET /collect?" + BODIES[1].replace(b" ", b"%20") +
                               b" HTTP/1.1\r\nHost: x\r\n\r\n")
            check(read_response(connection)[0] == 204, "a hit by GET")
            stored += 1
        with server.connect() as connection:
            connection.sendall(b"GET /collect HTTP/1.1\r\nHost: x\r\nX-Big: " + b"y" * 20000 +
                               b"\r\n\r\n")
            check(read_response(connection)[0] == 431, "a huge header")
            check(closed_by_peer(connection), "the connection stays open after a huge header")
        with server.connect() as connection:
            connection.sendall(b"BREW /pot HTTP/1.1\r\n\r\n")
            check(read_response(connection)[0] in (400, 404), "an unknown method")
        check(store.count("hits") == stored, "stored %d, answered %d" %
              (store.count("hits"), stored))
        reasons = sorted(event["reason"] for event in server.events("hit_refused"))
        check(reasons == ["body too long", "not version 1", "unknown hit type"],
              "logged: %s" % reasons)
        check(server.events("request_refused"), "no line for the huge header")


def case_flood(args, store):
    """One address sending far more than its rate gets 429s, logged a line at a time; what was
    answered 204 is exactly what is stored."""
    with Server(args.zbserve, store, "--collect-rate", "20", "--collect-burst", "40") as server:
        answers = {204: 0, 429: 0}
        with server.connect() as connection:
            for i in range(400):
                answers[post(connection, server, unique_hit("flood%03d" % i))] += 1
        check(answers[204] >= 40 and answers[429] > 300, "answers: %s" % answers)
        check(store.count("hits") == answers[204],
              "stored %d, answered %d" % (store.count("hits"), answers[204]))
        lines = server.events("hit_refused")
        check(1 <= len(lines) <= 3, "%d lines for %d refusals" % (len(lines), answers[429]))
        # The address is served again once its rate has refilled the bucket.
        def served_again():
            with server.connect() as connection:
                return post(connection, server, unique_hit("later")) == 204
        check(wait_until(served_again), "refused for good")


def case_kill9(args, store):
    """zbserve killed during ingestion loses no hit it answered."""
    # The weaker setting: what it keeps, "full" keeps too.
    server = Server(args.zbserve, store, "--collect-rate", "0", "--sync", "normal").start()
    answered = []
    lock = threading.Lock()
    stop = threading.Event()

    def client(number):
        try:
            with server.connect() as connection:
                for i in range(100000):
                    if stop.is_set():
                        return
                    name = "k%02d%06d" % (number, i)
                    if post(connection, server, unique_hit(name)) == 204:
                        with lock:
                            answered.append(name)
        except (ConnectionError, OSError):
            return

    threads = [threading.Thread(target=client, args=(n,)) for n in range(8)]
    for thread in threads:
        thread.start()
    check(wait_until(lambda: len(answered) >= 300 + random.randrange(300)), "no hits answered")
    server.process.kill()
    server.process.wait()
    stop.set()
    for thread in threads:
        thread.join()
    stored = {row[0] for row in store.rows("SELECT client_id FROM hits")}
    lost = [name for name in answered if name not in stored]
    check(not lost, "%d answered hits lost, e.g. %s" % (len(lost), lost[:3]))
    print("  %d answered, %d stored" % (len(answered), len(stored)))
    # The store opens again after the crash, with the same hits.
    with Server(args.zbserve, store) as again:
        with again.connect() as connection:
            check(post(connection, again, unique_hit("after")) == 204, "no hit after the crash")
    check(store.count("hits") == len(stored) + 1, "the hits changed across the restart")


# ---- limits and stopping ----

def case_limits(args, store):
    with Server(args.zbserve, store, "--request-seconds", "1", "--idle-seconds", "2",
                "--max-connections", "4") as server:
        slow = server.connect()
        slow.sendall(setup_request(server.address, BODIES[0])[:30])
        started = time.monotonic()
        check(closed_by_peer(slow, 30), "a request sent slowly is never given up")
        check(time.monotonic() - started < 15, "the request time is not kept")
        idle = [server.connect() for _ in range(4)]
        check(wait_until(server.caught_up), "the four connections were never accepted")
        extra = server.connect()
        check(closed_by_peer(extra, 10), "a fifth connection was served")
        check(wait_until(lambda: server.events("connection_refused")),
              "no line for the refused connection")
        for connection in idle:
            check(closed_by_peer(connection, 30), "an idle connection stays open")
            connection.close()
        with server.connect() as connection:
            check(post(connection, server, BODIES[0]) == 204, "not served after the limits")


def case_sigterm(args, store):
    """SIGTERM lets a request under way finish, closes idle connections and ends the server."""
    server = Server(args.zbserve, store).start()
    idle = server.connect()
    busy = server.connect()
    request = setup_request(server.address, BODIES[0])
    busy.sendall(request[:40])
    check(wait_until(server.caught_up), "the start of the request was never read")
    server.process.send_signal(signal.SIGTERM)
    check(wait_until(lambda: server.events("stopping")), "no stopping line")
    check(closed_by_peer(idle, 10), "an idle connection outlives SIGTERM")
    busy.sendall(request[40:])
    status, headers, _, _ = read_response(busy)
    check(status == 204 and headers.get("connection") == "close",
          "the request under way: %d %s" % (status, headers))
    check(server.process.wait(30) == 0, "exit code %s: %s" % (server.process.returncode,
                                                           server.events("failed")))
    check(store.count("hits") == 1, "the last hit was not stored")
    check(server.events("stopped"), "no stopped line")


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zbserve", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("cases", nargs="+")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    failed = []
    for case in args.cases:
        name, _, kind = case.partition(":")
        print("case %s (%s)" % (name, kind or "sqlite"), flush=True)
        store = Store(kind or "sqlite", args.work)
        try:
            CASES[name](args, store)
            print("  passed", flush=True)
        except (CaseFailed, AssertionError, OSError) as error:
            print("  FAILED: %s" % error, flush=True)
            failed.append(case)
        finally:
            store.close()
    if failed:
        print("failed: %s" % " ".join(failed))
        sys.exit(1)


if __name__ == "__main__":
    main()
