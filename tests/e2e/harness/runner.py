"""The command line of every case script: runs the named cases, each cleaned up after."""

import argparse
import os
import sys
import time

from .core import CaseFailed
from .wine import Harness


def main(cases, label="e2e"):
    """Runs the cases of `cases` ({name: function(harness)}) named on the command line."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--zbtag", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("cases", nargs="+", choices=sorted(cases))
    options = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("%s: no DISPLAY" % label, file=sys.stderr)
        return 1
    harness = Harness(options)
    failed = 0
    for name in options.cases:
        print("%s %s: %s" % (label, name, cases[name].__doc__), flush=True)
        started = time.time()
        try:
            cases[name](harness)
            print("%s %s: passed in %.1f s" % (label, name, time.time() - started), flush=True)
        except CaseFailed as failure:
            failed += 1
            print("%s %s: FAILED: %s" % (label, name, failure), flush=True)
        finally:
            if harness.collector:
                harness.collector.close()
                harness.collector = None
            try:
                harness.clean_up()
            except CaseFailed as failure:
                failed += 1
                print("%s %s: clean-up FAILED: %s" % (label, name, failure), flush=True)
    harness.close_driver()
    return 1 if failed else 0
