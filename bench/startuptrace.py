#!/usr/bin/python3
"""Where the setup program's start-up time goes: its trace lines, phase by phase.

    bench/startuptrace.py --win32 build/win32 [--runs 9] [PROGRAM...]

Starts each PROGRAM (default: the setup program of the build) `--runs` times under zbbench's
first-paint timer with Wine's debug strings on, alternating them and the floor program, and
prints for each a table of the time since process creation at which each phase of start-up
ended (median and spread) and the phase's own time (median of its runs), then the first painted
window as zbbench saw it beside the floor's. Needs what `./zb bench` needs: a display and the
Wine server of the prefix; Wine reports Windows 10 to the programs it starts (their file names
in the prefix's AppDefaults).
"""
import argparse
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench import Series, alternate, windows_path  # noqa: E402

TRACE = re.compile(r'ZembricoInstall start-up: (.*) at (\d+) ms')


def traced_start(zbbench, program):
    """One start to the first painted window: ([(phase, ms)], zbbench's seconds)."""
    env = dict(os.environ, WINEDEBUG="-all,+debugstr")
    result = subprocess.run(["wine", zbbench, "startup", windows_path(program)], env=env,
                            capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        raise SystemExit("startuptrace: %s: %s" % (program, result.stderr[-500:]))
    phases = [(m.group(1), int(m.group(2))) for m in TRACE.finditer(result.stderr)]
    return phases, float(result.stdout.split()[-1])


class Phases:
    """The trace lines of one program's runs: when each phase ended and how long it took."""

    def __init__(self):
        self.order, self.ends, self.lengths = [], {}, {}

    def add(self, found):
        previous = 0
        for name, ms in found:
            if name not in self.ends:
                self.order.append(name)
                self.ends[name], self.lengths[name] = Series(), Series()
            self.ends[name].add(ms)
            self.lengths[name].add(ms - previous)
            previous = ms

    def table(self, runs):
        lines = ["| phase ends | at, ms (spread) | the phase's own ms |", "|---|---|---|"]
        for name in self.order:
            ends = self.ends[name]
            missing = "" if len(ends.values) == runs else ", in %d runs" % len(ends.values)
            lines.append("| %s | %d (%d-%d)%s | %d |" % (name, ends.median, ends.values[0],
                                                         ends.values[-1], missing,
                                                         self.lengths[name].median))
        return lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--win32", required=True, help="the Windows build tree")
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("programs", nargs="*")
    args = parser.parse_args()
    bin_dir = os.path.join(args.win32, "bin")
    zbbench = os.path.join(bin_dir, "zbbench.exe")
    programs = args.programs or [os.path.join(bin_dir, "ZembricoInstall.exe")]
    floor = os.path.join(bin_dir, "zbfloor.exe")
    traces = {program: Phases() for program in programs}

    def traced(program):
        def run():
            found, seconds = traced_start(zbbench, program)
            traces[program].add(found)
            return (seconds,)
        return run

    measures = {program: traced(program) for program in programs}
    measures[floor] = lambda: (traced_start(zbbench, floor)[1],)
    series = alternate(args.runs, measures)
    floor_paint = series[floor][0]
    for program in programs:
        paint = series[program][0]
        print("\n%s: %d runs alternating with %s; ms since the process was created\n" %
              (program, args.runs, ", ".join(os.path.basename(p) for p in measures
                                             if p != program)))
        print("\n".join(traces[program].table(args.runs)))
        print("| zbbench: start to first painted window | %d (%d-%d) | |" % (
            paint.median * 1000, paint.values[0] * 1000, paint.values[-1] * 1000))
        print("| zbbench: the floor's first painted window | %d (%d-%d) | |" % (
            floor_paint.median * 1000, floor_paint.values[0] * 1000, floor_paint.values[-1] * 1000))
        print("| ours / floor | %.2f | |" % (paint.median / floor_paint.median))


if __name__ == "__main__":
    main()
