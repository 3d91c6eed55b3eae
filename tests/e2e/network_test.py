#!/usr/bin/env python3
"""End-to-end tests of the setup program on a network that drops the analytics collector's
packets (a firewall, a captive portal), under Wine on a virtual display.

    network_test.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

The collector on the loopback keeps its listener's queue full, so that the program's connection
attempt gets no answer (the system retries it after 1 and 3 seconds; the program gives up after
5). Needs what the harness needs.
"""

import sys
import time

from harness import ids
from harness.collector import Collector, check_one_runs_hits
from harness.core import check
from harness.installlog import ANALYTICS_OFF, UNTAGGED_SITE_LINES, check_queued, queued_lines
from harness.runner import main
from harness.steps import close, command, wait_gone


SYN_SENT = "02"


def attempts_to(port):
    """How many connections to 127.0.0.1:`port` wait for an answer to their first packet."""
    local_port = ":%04X" % port
    count = 0
    with open("/proc/net/tcp") as table:
        for line in table.readlines()[1:]:
            fields = line.split()
            if fields[2] == "0100007F" + local_port and fields[3] == SYN_SENT:
                count += 1
    return count


def open_wizard_while_unreachable(h, exe):
    """Starts `exe` with the collector unreachable and waits for its wizard, which must show
    while the program still tries to reach the collector."""
    h.collector = Collector(h.port, reachable=False)
    started = time.monotonic()
    h.open_wizard(exe)
    seconds = time.monotonic() - started
    pending = attempts_to(h.port)
    print("  the wizard showed after %.1f s; connection attempts waiting: %d" % (seconds, pending),
          flush=True)
    check(pending >= 1, "the wizard showed after %.1f s, but no connection attempt was waiting "
          "for the collector then: it waited for the network, or took longer than the program "
          "tries" % seconds)


def case_collector_reachable_midway(h):
    """The collector drops the packets when the program starts and answers once the wizard is
    up: the wizard does not wait for it, and every hit, those asked for before the connection
    was made too, reaches it in the wizard's order."""
    open_wizard_while_unreachable(h, h.bin / "ZembricoE2E.exe")
    h.collector.open()
    h.install_and_wait()
    entry = h.uninstall_entry()
    queued = queued_lines(h.unix_path(entry["InstallLocation"]))
    # Analytics connected: no line about it.
    check(queued == UNTAGGED_SITE_LINES, "queued lines: %s" % queued)
    h.drive(command(ids.PRIMARY), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_LAUNCHED, "Launch did not end with 0")
    check(h.collector.runs(), "no connection reached the collector once it answered")
    check_one_runs_hits(h.collector)


def case_collector_unreachable(h):
    """The collector never answers: the wizard shows at once, an installation started while the
    program still tries completes, and Install.log says why analytics is off right after the
    site lines, where the program's start logged it before."""
    open_wizard_while_unreachable(h, h.bin / "ZembricoE2E.exe")
    h.install_and_wait()
    entry, folder = h.check_standard_installation()
    check_queued(folder, UNTAGGED_SITE_LINES + [ANALYTICS_OFF + "Unable to connect: "])
    h.drive(close(), wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "closing after completion did not end with -1")
    check(not h.collector.runs(), "a connection reached the collector")


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}


if __name__ == "__main__":
    sys.exit(main(CASES, "network"))
