#!/usr/bin/python3
"""Payload extraction benchmark: peak memory and decode throughput of the installer's LZMA
driver on a 100 MiB payload, next to `xz --format=raw` decoding the same data stream.

    bench/payload_bench.py [--size-mib N] [--build DIR] [--keep DIR]

Builds zbpack in Release (no sanitizers) in --build (default build/bench), writes a sample
client folder of N MiB (default 100: text-like files, some incompressible ones), packs it, and
then, each in a fresh process whose peak resident size is read with getrusage:
  - zbpack --list: loads the archive (as the setup program has its resource) and decodes the
    file table only: the baseline;
  - zbpack --test: the same, then decodes all file data through the driver into a target that
    discards it;
  - xz --format=raw --lzma1=... -d: the data block's stream to /dev/null.
Extraction memory is the --test peak minus the baseline: it must stay within the dictionary
plus the packed data block plus a few MiB. Throughput is the unpacked size over the wall time.
"""
import argparse
import os
import random
import resource
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MIB = 1 << 20


def build_zbpack(build_dir):
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DCMAKE_C_COMPILER=clang", "-DCMAKE_CXX_COMPILER=clang++"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--target", "zbpack", "-j2"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "bin", "zbpack")


def write_sample_folder(folder, total_mib):
    """Text-like files (words with numbers, like logs and tables) and a few random ones."""
    rnd = random.Random(1)
    words = [("".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 9))))
             .encode() for _ in range(4000)]
    written = 0
    index = 0
    while written < total_mib * MIB:
        size = min(rnd.choice([1, 3, 7, 12]) * MIB, total_mib * MIB - written)
        path = os.path.join(folder, "dir%d" % (index % 4), "file%03d.dat" % index)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            if index % 5 == 4:
                out.write(os.urandom(size))
            else:
                chunk = bytearray()
                while len(chunk) < size:
                    chunk += b" ".join(rnd.choice(words) for _ in range(12))
                    chunk += b" %d\r\n" % rnd.randrange(100000)
                out.write(chunk[:size])
        written += size
        index += 1
    return written


def data_stream(archive_path):
    """The data block of an archive: its properties header and its raw LZMA1 stream."""
    with open(archive_path, "rb") as f:
        data = f.read()
    packed_table = struct.unpack_from("<I", data, 8)[0]
    at = 12 + packed_table
    packed_data = struct.unpack_from("<I", data, at)[0]
    block = data[at + 4:at + 4 + packed_data]
    return block[:5], block[5:]


def measure(command, stdin_path=None):
    """Runs `command` in a fresh Python process; returns (seconds, peak resident bytes)."""
    probe = ("import resource, subprocess, sys, time\n"
             "stdin = open(sys.argv[1], 'rb') if sys.argv[1] else None\n"
             "t = time.perf_counter()\n"
             "subprocess.run(sys.argv[2:], stdin=stdin, stdout=subprocess.DEVNULL, check=True)\n"
             "t = time.perf_counter() - t\n"
             "print(t, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n")
    result = subprocess.run([sys.executable, "-c", probe, stdin_path or ""] + command,
                            check=True, capture_output=True, text=True)
    seconds, kib = result.stdout.split()
    return float(seconds), int(kib) * 1024


def best_of(runs, command, stdin_path=None):
    results = [measure(command, stdin_path) for _ in range(runs)]
    return min(r[0] for r in results), max(r[1] for r in results)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--size-mib", type=int, default=100)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "bench"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--keep", help="folder for the sample payload and archive (kept)")
    args = parser.parse_args()

    zbpack = build_zbpack(args.build)
    work = args.keep or tempfile.mkdtemp(prefix="zb_bench_")
    folder = os.path.join(work, "payload")
    archive = os.path.join(work, "payload.bin")
    if not os.path.exists(archive):
        total = write_sample_folder(folder, args.size_mib)
        t = time.perf_counter()
        subprocess.run([zbpack, folder, archive], check=True)
        print("packed %d MiB in %.1f s" % (total // MIB, time.perf_counter() - t))
    properties, stream = data_stream(archive)
    lc_lp_pb, dictionary = properties[0], struct.unpack("<I", properties[1:])[0]
    lc, lp, pb = lc_lp_pb % 9, (lc_lp_pb // 9) % 5, lc_lp_pb // 45
    stream_path = os.path.join(work, "data.lzma1")
    with open(stream_path, "wb") as f:
        f.write(stream)
    unpacked = int(subprocess.run([zbpack, "--list", archive], check=True, capture_output=True,
                                  text=True).stdout.splitlines()[-1].split()[0])

    _, baseline = best_of(1, [zbpack, "--list", archive])
    ours, ours_peak = best_of(args.runs, [zbpack, "--test", archive])
    xz_filter = "--lzma1=lc=%d,lp=%d,pb=%d,dict=%d" % (lc, lp, pb, dictionary)
    theirs, _ = best_of(args.runs, ["xz", "--format=raw", xz_filter, "-d", "-c"], stream_path)

    print("machine: %s, %d CPUs, native Linux Release build, one run at a time"
          % (os.uname().machine, os.cpu_count()))
    print("payload: %.1f MiB unpacked, data block %.1f MiB packed, dictionary %.0f MiB"
          % (unpacked / MIB, (len(stream) + 5) / MIB, dictionary / MIB))
    print("memory: baseline (archive loaded, table decoded) %.1f MiB, peak while extracting "
          "%.1f MiB: extraction adds %.1f MiB (budget: dictionary + packed block = %.1f MiB, "
          "plus a few MiB)" % (baseline / MIB, ours_peak / MIB, (ours_peak - baseline) / MIB,
                                (dictionary + len(stream) + 5) / MIB))
    print("speed: driver %.2f s (%.0f MiB/s), xz --format=raw %.2f s (%.0f MiB/s): "
          "driver at %.2fx of xz" % (ours, unpacked / MIB / ours, theirs,
                                     unpacked / MIB / theirs, theirs / ours))


if __name__ == "__main__":
    main()
