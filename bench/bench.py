#!/usr/bin/python3
"""How fast and how lean the setup program is, next to the installers people already use.

    bench/bench.py --win32 build/win32 [--work build/bench] [--runs 3] [--startup-runs 9] [--many]

Run by `./zb bench` (which builds both trees first and starts a virtual display and the Wine
server). Every row is measured side by side in the same run, ours and the peer's runs alternating;
each figure is the median of --runs runs (--startup-runs for the first window) with the spread
(min-max) beside it. The Wine mode (native or emulated) is the first line of the output; the
table is printed and written to <work>/results.md. A row is (title, ours, peer, ours / peer);
a group of rows may come from a script of its own, as the first window's do (firstwindow.py).

Rows:
  install     a complete installation under Wine of a client-like payload (~100 MiB in several
              hundred files: Windows binaries, text, already-compressed data): our install
              worker, headless, against an NSIS installer of the same files (solid LZMA, same
              dictionary) run silently; every installed file must equal the payload's
  memory      peak working set during that installation
  start-up    process start to the first painted window: our wizard against NSIS's first page,
              and, as the floor under both, a program that only shows a window with the
              wizard's 24 system controls under the setup program's manifest (bench/floor);
              ours against the floor; and the wizard with its analytics collector's packets
              dropped against the same with a collector that answers
  size        the setup program without payload and pictures against NSIS's installer stub
  decode      our LZMA driver (zbpack --test, native Release build) against `xz --format=raw`
              and, where installed, 7-Zip, on the data stream of the client-like payload: time
              and peak resident memory
  small files installations of 5,000 files of 1-20 KiB
  many files  with --many, installations of ~20,000 small files, ~100 MiB (Wine's per-file
              work dominates them)
"""
import argparse
import filecmp
import hashlib
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MIB = 1 << 20
BIG_MIB = 100
SMALL_FILES = 5000

sys.path.insert(0, os.path.join(ROOT, "bench"))
from peresources import payload_and_picture_bytes  # noqa: E402


# --- payloads -----------------------------------------------------------------------------

def copy_tree_budget(sources, patterns, target, budget, sizes=(1, 1 << 40)):
    """Copies files matching `patterns` and of `sizes` (lowest, highest) below `sources` (sorted,
    so runs agree) into `target` until `budget` bytes are copied; returns the bytes copied.
    Copies of a file already taken (packages share change logs) are left out: a dictionary
    that finds whole files again would flatter every decoder."""
    copied = 0
    seen = set()
    for source in sources:
        for folder, dirs, files in os.walk(source):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith(patterns):
                    continue
                path = os.path.join(folder, name)
                if os.path.islink(path) or not os.path.isfile(path):
                    continue
                size = os.path.getsize(path)
                if not sizes[0] <= size <= sizes[1] or copied + size > budget:
                    continue
                with open(path, "rb") as f:
                    digest = hashlib.sha256(f.read()).digest()
                if digest in seen:
                    continue
                seen.add(digest)
                relative = os.path.relpath(path, source).replace(os.sep, "_")
                shutil.copyfile(path, os.path.join(target, relative))
                copied += size
                if copied >= budget - 64 * 1024:
                    return copied
    return copied


def fill_random(target, prefix, missing, rnd):
    """Incompressible files where the machine had too few of a kind."""
    index = 0
    while missing > 0:
        size = min(missing, 4 * MIB)
        with open(os.path.join(target, "%s%03d.bin" % (prefix, index)), "wb") as out:
            out.write(rnd.randbytes(size))
        missing -= size
        index += 1


WINE_DLLS = ["/usr/lib/i386-linux-gnu/wine/i386-windows"]
TEXTS = ["/usr/lib/python3.11", "/usr/include"]
PACKED = ["/usr/share/man", "/usr/share/doc"]


def make_payload(folder, parts, seed):
    """`parts`: (subfolder, sources, name endings, MiB, file sizes); random files make up what
    the machine lacks."""
    rnd = random.Random(seed)
    for name, sources, patterns, mib, sizes in parts:
        target = os.path.join(folder, name)
        os.makedirs(target, exist_ok=True)
        copied = copy_tree_budget(sources, patterns, target, mib * MIB, sizes)
        fill_random(target, "fill", mib * MIB - copied, rnd)


def make_client_payload(folder):
    """Like the real client: ~100 MiB in several hundred files, Windows binaries, text, and
    data that is already compressed."""
    make_payload(folder, [
        ("bin", WINE_DLLS, (".dll", ".exe"), 45, (16 << 10, 2 * MIB)),
        ("text", TEXTS, (".py", ".h", ".txt"), 30, (32 << 10, MIB)),
        ("data", PACKED, (".gz", ".png", ".jpg"), 25, (64 << 10, 4 * MIB)),
    ], 1)


def make_many_payload(folder):
    """~100 MiB in ~20,000 files, most of them tiny."""
    make_payload(folder, [
        ("bin", WINE_DLLS, (".dll", ".exe"), 45, (1, 1 << 40)),
        ("text", TEXTS, (".py", ".h", ".txt"), 30, (1, 1 << 40)),
        ("data", PACKED, (".gz", ".png", ".jpg"), 25, (1, 1 << 40)),
    ], 1)


def make_small_payload(folder):
    """5,000 files of 1-20 KiB: half text-like, a quarter binary-like, a quarter random."""
    rnd = random.Random(2)
    words = [bytes(rnd.choices(b"abcdefghijklmnopqrstuvwxyz", k=rnd.randint(2, 9)))
             for _ in range(3000)]
    for index in range(SMALL_FILES):
        sub = os.path.join(folder, "d%02d" % (index % 50))
        os.makedirs(sub, exist_ok=True)
        size = rnd.randint(1024, 20 * 1024)
        kind = index % 4
        if kind < 2:
            data = bytearray()
            while len(data) < size:
                data += b" ".join(rnd.choices(words, k=10)) + b" %d\r\n" % rnd.randrange(9999)
        elif kind == 2:
            data = bytes(rnd.choice([0, 0, 0, 0xFF, rnd.randrange(256)]) for _ in range(size))
        else:
            data = rnd.randbytes(size)
        with open(os.path.join(sub, "f%04d.dat" % index), "wb") as out:
            out.write(data[:size])


def folder_size(folder):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(folder) for f in fs)


def file_count(folder):
    return sum(len(fs) for _, _, fs in os.walk(folder))


# --- tools --------------------------------------------------------------------------------

def build_release_zbpack(build_dir):
    """The decode row measures the driver as shipped: optimised, without sanitizers."""
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DCMAKE_C_COMPILER=clang", "-DCMAKE_CXX_COMPILER=clang++"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--target", "zbpack", "-j2"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "bin", "zbpack")


def data_stream(archive_path):
    """The data block of an archive: its 5-byte properties and the raw LZMA1 stream."""
    with open(archive_path, "rb") as f:
        data = f.read()
    packed_table = struct.unpack_from("<I", data, 8)[0]
    at = 12 + packed_table
    packed_data = struct.unpack_from("<I", data, at)[0]
    block = data[at + 4:at + 4 + packed_data]
    return block[:5], block[5:]


def nsis_installer(payload, output, dictionary_mib):
    """Made once per payload: the packing takes as long as ours."""
    script = output + ".nsi"
    if os.path.exists(output) and os.path.getmtime(output) > os.path.getmtime(payload):
        return output
    with open(script, "w") as f:
        f.write('Unicode true\nSetCompressor /SOLID lzma\nSetCompressorDictSize %d\n'
                'Name "ZembricoBench"\nOutFile "%s"\nInstallDir "C:\\zbbench\\nsis"\n'
                'RequestExecutionLevel admin\nPage directory\nPage instfiles\n'
                'Section\n  SetOutPath "$INSTDIR"\n  File /r "%s/*"\n'
                '  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\'
                'ZembricoBench" "DisplayName" "ZembricoBench"\nSectionEnd\n'
                % (dictionary_mib, output, payload))
    subprocess.run(["makensis", "-V1", script], check=True)
    return output


# --- measuring ----------------------------------------------------------------------------

def timed(command, stdin_path=None):
    """Runs `command` to its end: (wall seconds, processor seconds, peak resident bytes). On a
    machine that others share, the processor time is the steadier of the two."""
    # GNU time reads the peak: a child started from here would count this process's memory,
    # which it shares until it starts its program, into its own peak.
    with open(stdin_path or os.devnull, "rb") as stdin:
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-f", "%e %U %S %M"] + command, stdin=stdin,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        seconds = time.perf_counter() - start
    if result.returncode != 0:
        raise SystemExit("bench: %s ended with %d: %s" % (" ".join(command), result.returncode,
                                                         result.stderr))
    _, user, system, peak_kib = result.stderr.split()[-4:]
    return seconds, float(user) + float(system), int(peak_kib) * 1024


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(args, check=True):
    result = subprocess.run(["wine"] + args, capture_output=True, text=True)
    if check and result.returncode != 0:
        raise SystemExit("bench: wine %s failed (%d): %s%s" % (
            " ".join(args), result.returncode, result.stdout, result.stderr))
    return result.stdout


def drive_c(*parts):
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", *parts)


class Series:
    """Runs of one measurement: median and spread."""

    def __init__(self, values=()):
        self.values = sorted(values)

    def add(self, value):
        self.values = sorted(self.values + [value])

    @property
    def median(self):
        return statistics.median(self.values)

    def text(self, unit_format):
        low, high = self.values[0], self.values[-1]
        return "%s (%s-%s)" % (unit_format(self.median), unit_format(low), unit_format(high))


def alternate(runs, measures):
    """Runs each of `measures` (name -> function returning a tuple of numbers) `runs` times,
    alternating them and the order they start in, so that a slow spell of the machine falls
    on all alike; returns name -> one Series per tuple element."""
    names = list(measures)
    series = {name: None for name in names}
    for run in range(runs):
        for name in (names if run % 2 == 0 else names[::-1]):
            values = measures[name]()
            if series[name] is None:
                series[name] = [Series() for _ in values]
            for each, value in zip(series[name], values):
                each.add(value)
    return series


def install_once(zbbench, command, target):
    """One timed silent installation into `target` (cleared first): (seconds, peak bytes)."""
    shutil.rmtree(target, ignore_errors=True)
    # The last line is the runner's; the program's own output comes before it.
    out = wine([zbbench, "run"] + command).split()[-3:]
    if len(out) != 3 or out[2] != "0":
        raise SystemExit("bench: %s ended with %s" % (" ".join(command), out))
    return float(out[0]), int(out[1])


def check_installed(payload, target):
    """Every file of the payload must be in `target`, byte for byte."""
    for folder, _, files in os.walk(payload):
        for name in files:
            source = os.path.join(folder, name)
            installed = os.path.join(target, os.path.relpath(source, payload))
            if not os.path.isfile(installed) or not filecmp.cmp(source, installed, shallow=False):
                raise SystemExit("bench: %s was not installed as it is in the payload" % installed)


# --- the table ----------------------------------------------------------------------------

def fmt_s(v):
    return "%.2f s" % v


def fmt_mib(v):
    return "%.1f MiB" % (v / MIB)


def fmt_kib(v):
    return "%.0f KiB" % (v / 1024)


def prepare_payloads(work, zbpack, names):
    """name -> (folder, archive); made once and kept in `work`."""
    makers = {"big": make_client_payload, "small": make_small_payload, "many": make_many_payload}
    payloads = {}
    for name in names:
        folder = os.path.join(work, "payload-" + name)
        archive = os.path.join(work, name + ".bin")
        if not os.path.exists(archive):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            makers[name](folder)
            subprocess.run([zbpack, folder, archive], check=True, stdout=subprocess.DEVNULL)
        payloads[name] = (folder, archive)
    return payloads


def install_rows(zbbench, work, name, payload, dictionary_mib, runs):
    """Rows of ours against NSIS installing `payload`; also (ours, NSIS) peak Series."""
    folder, archive = payload
    nsis = nsis_installer(folder, os.path.join(work, "nsis-%s.exe" % name), dictionary_mib)
    ours_dir, nsis_dir = drive_c("zbbench", "ours"), drive_c("zbbench", "nsis")
    series = alternate(runs, {
        "ours": lambda: install_once(zbbench, [windows_path(zbbench), "install",
                                               windows_path(archive), "C:\\zbbench\\ours"],
                                     ours_dir),
        "nsis": lambda: install_once(zbbench, [windows_path(nsis), "/S", "/D=C:\\zbbench\\nsis"],
                                     nsis_dir),
    })
    check_installed(folder, ours_dir)
    check_installed(folder, nsis_dir)
    shutil.rmtree(drive_c("zbbench"), ignore_errors=True)
    (ours_s, ours_peak), (nsis_s, nsis_peak) = series["ours"], series["nsis"]
    title = "install %.0f MiB, %d files" % (folder_size(folder) / MIB, file_count(folder))
    rows = [(title, ours_s.text(fmt_s), nsis_s.text(fmt_s), ours_s.median / nsis_s.median),
            ("  payload size", fmt_mib(os.path.getsize(archive)), fmt_mib(os.path.getsize(nsis)),
             os.path.getsize(archive) / os.path.getsize(nsis))]
    return rows, (ours_peak, nsis_peak)


def setup_peer(work, zbpack, win32, dictionary_mib):
    """An NSIS installer of the files in our setup program's own payload."""
    folder = os.path.join(work, "payload-setup")
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([zbpack, "--extract", os.path.join(win32, "resources", "payload.bin"), folder],
                   check=True, stdout=subprocess.DEVNULL)
    return nsis_installer(folder, os.path.join(work, "nsis-setup.exe"), dictionary_mib)


def decode_rows(work, zbpack, payload, runs):
    folder, archive = payload
    properties, stream = data_stream(archive)
    lc_lp_pb, dictionary = properties[0], struct.unpack("<I", properties[1:])[0]
    lc, lp, pb = lc_lp_pb % 9, (lc_lp_pb // 9) % 5, lc_lp_pb // 45
    unpacked = folder_size(folder)
    raw = os.path.join(work, "big.lzma1")
    with open(raw, "wb") as f:
        f.write(stream)
    xz_filter = "--lzma1=lc=%d,lp=%d,pb=%d,dict=%d" % (lc, lp, pb, dictionary)
    measures = {
        "ours": lambda: timed([zbpack, "--test", archive]),
        "xz": lambda: timed(["xz", "--format=raw", xz_filter, "-d", "-c"], raw),
    }
    seven = shutil.which("7z") or shutil.which("7zz")
    if seven:
        alone = os.path.join(work, "big.lzma")
        with open(alone, "wb") as f:
            f.write(properties + struct.pack("<Q", unpacked) + stream)
        measures["7-Zip"] = lambda: timed([seven, "e", "-so", "-tlzma", alone])
    series = alternate(runs, measures)

    def text(name):
        seconds, processor, rss = series[name]
        return "%s, %.0f MB/s; processor %s; %s RSS" % (
            seconds.text(fmt_s), unpacked / 1e6 / seconds.median, fmt_s(processor.median),
            fmt_mib(rss.median))

    def ratio(peer):
        return series["ours"][1].median / series[peer][1].median

    title = "decode %.0f MiB (dictionary %s), ratio of processor time: ours vs " % (
        unpacked / MIB, fmt_mib(dictionary))
    rows = [(title + "xz --format=raw", text("ours"), text("xz"), ratio("xz"))]
    rows.append((title + "7-Zip", text("ours"), text("7-Zip"), ratio("7-Zip")) if seven else
                ("decode: ours vs 7-Zip", "-", "7-Zip not installed", None))
    return rows, dictionary


def wine_mode():
    binfmt = "/proc/sys/fs/binfmt_misc/qemu-i386"
    if os.path.exists(binfmt):
        with open(binfmt) as entry:
            if entry.readline().startswith("enabled"):
                return "emulated (qemu-i386)"
    return "native"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--win32", required=True, help="the Windows build tree")
    parser.add_argument("--work", default=os.path.join(ROOT, "build", "bench"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--startup-runs", type=int, default=9,
                        help="runs of the first-window rows (a single start varies by tens of "
                             "per cent)")
    parser.add_argument("--many", action="store_true",
                        help="also install ~20,000 small files (slow: Wine's per-file work)")
    args = parser.parse_args()
    runs = args.runs
    mode = wine_mode()
    print("Wine mode: %s" % mode, flush=True)
    args.work = os.path.abspath(args.work)
    os.makedirs(args.work, exist_ok=True)
    zbbench = os.path.join(args.win32, "bin", "zbbench.exe")
    setup = os.path.join(args.win32, "bin", "ZembricoInstall.exe")
    zbpack = build_release_zbpack(os.path.join(args.work, "native-release"))
    payloads = prepare_payloads(args.work, zbpack,
                                ["big", "small"] + (["many"] if args.many else []))

    decode, dictionary = decode_rows(args.work, zbpack, payloads["big"], runs)
    dictionary_mib = max(1, dictionary // MIB)
    rows, (ours_peak, nsis_peak) = install_rows(zbbench, args.work, "big", payloads["big"],
                                                dictionary_mib, runs)
    rows.append(("peak working set during that installation", ours_peak.text(fmt_mib),
                 nsis_peak.text(fmt_mib), ours_peak.median / nsis_peak.median))

    if os.path.exists(setup):
        # Imported here: it takes its helpers from this file.
        from firstwindow import first_window_rows
        nsis_setup = setup_peer(args.work, zbpack, args.win32, dictionary_mib)
        rows += first_window_rows(args.win32, zbbench, nsis_setup, args.startup_runs)
    else:
        rows.append(("start to first painted window", "setup program not built", "-", None))

    # Size without payload and pictures.
    stub = "/usr/share/nsis/Stubs/lzma_solid-x86-unicode"
    if os.path.exists(setup):
        with open(setup, "rb") as f:
            image = f.read()
        own = len(image) - payload_and_picture_bytes(image)
        rows.append(("setup program without payload and pictures", fmt_kib(own),
                     fmt_kib(os.path.getsize(stub)) + " (NSIS stub)", own / os.path.getsize(stub)))
    else:
        rows.append(("setup program without payload and pictures", "setup program not built",
                     fmt_kib(os.path.getsize(stub)), None))

    rows += decode
    for name in ["small"] + (["many"] if args.many else []):
        rows += install_rows(zbbench, args.work, name, payloads[name], dictionary_mib, runs)[0]

    lines = ["Wine mode: %s; %d CPUs; load %.1f %.1f %.1f at the end; median of %d alternating "
             "runs (first window: %d), (min-max); ratio = ours / peer (below 1: we are faster or "
             "smaller)" % ((mode, os.cpu_count()) + os.getloadavg() + (runs, args.startup_runs)),
             "",
             "| measure | ours | peer | ours / peer |", "|---|---|---|---|"]
    for title, a, b, ratio in rows:
        lines.append("| %s | %s | %s | %s |" % (title, a, b, "-" if ratio is None else "%.2f" % ratio))
    text = "\n".join(lines) + "\n"
    print(text)
    with open(os.path.join(args.work, "results.md"), "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
