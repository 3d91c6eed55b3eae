#!/usr/bin/python3
"""Fuzzing soak: every fuzz target of a native build run for a number of executions each, with
the numbers reported. Not part of the test command (that runs each target briefly).

    fuzz/soak.py [--build DIR] [--runs N] [--parallel P] [--workers W] [--max-seconds S]
                 [--timeout S] [--only NAME ...]

Each target of fuzz/*_fuzz.cpp (or of --only, in that order) found in DIR/bin (DIR defaults to
build/fuzz, made by `cmake --preset fuzz && cmake --build --preset fuzz`) runs once with
-runs=N (default 10,000,000) over a scratch corpus in build/fuzz-soak/<name>, seeded from the
committed fuzz/corpus/<name>, which stays as it is; crash inputs land in
build/fuzz-soak/<name>/artifacts. P targets run at a time (default 1), each at the lowest CPU
priority. W processes (default 1) share each target's N executions and its corpus, each taking up
what the others find, for a target too slow for one core. --max-seconds bounds each run
(libFuzzer's -max_total_time); a run stopped by it is reported with the executions it reached,
and counts as short of N. An input that runs longer than --timeout seconds (default 300;
generous, because a loaded machine starves the lowest-priority runs) is kept as a timeout
artifact.

Prints one row a target: executions, seconds, executions a second, the corpus size at the end,
the peak memory and the verdict (ok, short of N, crash, timeout or missing); the exit code is 1
when any target crashed, timed out or is missing.
"""
import argparse
import concurrent.futures
import glob
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def target_names():
    return sorted(os.path.basename(p)[:-len(".cpp")]
                  for p in glob.glob(os.path.join(ROOT, "fuzz", "*_fuzz.cpp")))


def final_stat(text, name):
    found = re.findall(r"^stat::%s:\s*(\d+)" % name, text, re.M)
    return int(found[-1]) if found else None


def worker_command(binary, corpus, seeds, artifacts, runs, max_seconds, timeout):
    command = ["nice", "-n", "19", binary, "-runs=%d" % runs, "-print_final_stats=1",
               "-rss_limit_mb=2048", "-timeout=%d" % timeout, "-artifact_prefix=" + artifacts]
    if max_seconds:
        command.append("-max_total_time=%d" % max_seconds)
    command.append(corpus)
    if os.path.isdir(seeds):
        command.append(seeds)
    return command


def soak(name, binary, work, runs, workers, max_seconds, timeout):
    scratch = os.path.join(work, name)
    artifacts = os.path.join(scratch, "artifacts") + os.sep
    corpus = os.path.join(scratch, "corpus")
    os.makedirs(artifacts, exist_ok=True)
    os.makedirs(corpus, exist_ok=True)
    seeds = os.path.join(ROOT, "fuzz", "corpus", name)
    share = -(-runs // workers)
    command = worker_command(binary, corpus, seeds, artifacts, share, max_seconds, timeout)
    logs = [os.path.join(scratch, "log.txt" if workers == 1 else "log-%d.txt" % i)
            for i in range(workers)]
    started = time.monotonic()
    processes = []
    for path in logs:
        with open(path, "w") as log:
            processes.append(subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT))
    codes = [process.wait() for process in processes]
    seconds = time.monotonic() - started
    texts = []
    for path in logs:
        with open(path) as log:
            texts.append(log.read())
    executions = sum(final_stat(text, "number_of_executed_units") or 0 for text in texts)
    found = os.listdir(artifacts)
    crashes = [f for f in found if f.startswith(("crash-", "leak-", "oom-"))]
    timeouts = [f for f in found if f.startswith("timeout-")]
    failed = [code for code in codes if code != 0]
    if crashes or (failed and not timeouts):
        verdict = "crash (exit %d, see %s)" % (failed[0] if failed else 0, artifacts)
    elif timeouts:
        verdict = "timeout: one input ran over %d s (replay %s)" % (timeout, artifacts)
    else:
        verdict = "ok" if executions >= runs else "short of %d" % runs
    return {
        "name": name,
        "executions": executions,
        "seconds": seconds,
        "rate": executions / seconds if seconds else 0.0,
        "corpus": len(os.listdir(corpus)),
        "peak_mb": max(final_stat(text, "peak_rss_mb") or 0 for text in texts),
        "verdict": verdict,
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "fuzz"))
    parser.add_argument("--runs", type=int, default=10_000_000)
    parser.add_argument("--parallel", type=int, default=1)
    parser.add_argument("--workers", type=int, default=1)
    parser.add_argument("--max-seconds", type=int, default=0)
    parser.add_argument("--timeout", type=int, default=300)
    parser.add_argument("--only", nargs="*", default=None)
    args = parser.parse_args()

    work = os.path.join(ROOT, "build", "fuzz-soak")
    names = args.only or target_names()
    rows, jobs = [], {}
    print("fuzz soak: %d targets, %d executions each, %d at a time, %d process(es) a target"
          % (len(names), args.runs, args.parallel, args.workers), flush=True)
    with concurrent.futures.ThreadPoolExecutor(args.parallel) as pool:
        for name in names:
            binary = os.path.join(args.build, "bin", name)
            if not os.access(binary, os.X_OK):
                rows.append({"name": name, "verdict": "missing: build %s first" % binary})
                continue
            jobs[pool.submit(soak, name, binary, work, args.runs, args.workers,
                              args.max_seconds, args.timeout)] = name
        for done in concurrent.futures.as_completed(jobs):
            row = done.result()
            rows.append(row)
            print("  %s done: %d executions in %.0f s" % (row["name"], row["executions"],
                                                           row["seconds"]), flush=True)

    print("%-20s %14s %9s %10s %8s %8s  %s"
          % ("target", "executions", "seconds", "exec/s", "corpus", "peak MB", "verdict"))
    for row in sorted(rows, key=lambda r: r["name"]):
        if "executions" not in row:
            print("%-20s %14s %9s %10s %8s %8s  %s" % (row["name"], "-", "-", "-", "-", "-",
                                                        row["verdict"]))
            continue
        print("%-20s %14d %9.0f %10.0f %8d %8d  %s"
              % (row["name"], row["executions"], row["seconds"], row["rate"], row["corpus"],
                 row["peak_mb"], row["verdict"]))
    failed = [r for r in rows if r["verdict"].startswith(("crash", "timeout", "missing"))]
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
