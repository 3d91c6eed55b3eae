#!/usr/bin/python3
"""How fast and how lean the setup program is, next to the installers people already use.

    bench/bench.py --win32 build/win32 [--work build/bench] [--runs 3]

Run by `./zb bench` (which builds both trees first and starts a virtual display and the Wine
server). Every row is measured side by side in the same run; each figure is the median of
--runs runs with the spread (min-max) beside it. The table is printed and written to
<work>/results.md.

Rows:
  decode      our LZMA driver (zbpack --test, native Release build) against `xz --format=raw`
              and, where installed, 7-Zip, on the data stream of a ~100 MiB payload
  install     a complete installation under Wine: our install worker, headless, against an
              NSIS installer of the same files (solid LZMA, same dictionary) run silently
  small files the same with 5,000 files of 1-20 KiB
  start-up    process start to the first painted window: our wizard against NSIS's first page
  memory      peak working set during the 100 MiB installation
  size        the setup program without payload and pictures against NSIS's installer stub
"""
import argparse
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

def copy_tree_budget(sources, patterns, target, budget, rnd):
    """Copies files matching `patterns` below `sources` (sorted, so runs agree) into `target`
    until `budget` bytes are copied; returns the bytes copied."""
    copied = 0
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
                if size == 0 or copied + size > budget:
                    continue
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


def make_big_payload(folder):
    """A client-like ~100 MiB: Windows binaries, text, and data that is already compressed."""
    rnd = random.Random(1)
    parts = [
        ("bin", ["/usr/lib/i386-linux-gnu/wine/i386-windows"], (".dll", ".exe"), 45),
        ("text", ["/usr/lib/python3.11", "/usr/include"], (".py", ".h", ".txt"), 30),
        ("data", ["/usr/share/man", "/usr/share/doc"], (".gz", ".png", ".jpg"), 25),
    ]
    for name, sources, patterns, mib in parts:
        target = os.path.join(folder, name)
        os.makedirs(target, exist_ok=True)
        copied = copy_tree_budget(sources, patterns, target, mib * MIB, rnd)
        fill_random(target, "fill", mib * MIB - copied, rnd)


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
    script = output + ".nsi"
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
    with open(stdin_path or os.devnull, "rb") as stdin:
        start = time.perf_counter()
        subprocess.run(command, stdin=stdin, stdout=subprocess.DEVNULL, check=True)
        return time.perf_counter() - start


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

    def __init__(self, values):
        self.values = sorted(values)

    @property
    def median(self):
        return statistics.median(self.values)

    def text(self, unit_format):
        low, high = self.values[0], self.values[-1]
        return "%s (%s-%s)" % (unit_format(self.median), unit_format(low), unit_format(high))


def install_runs(zbbench, command, target, runs):
    """Timed silent installations into `target` (cleared before each); (seconds, peak bytes)."""
    seconds, peaks = [], []
    for _ in range(runs):
        shutil.rmtree(target, ignore_errors=True)
        # The last line is the runner's; the program's own output comes before it.
        out = wine([zbbench, "run"] + command).split()[-3:]
        if len(out) != 3 or out[2] != "0":
            raise SystemExit("bench: %s ended with %s" % (" ".join(command), out))
        seconds.append(float(out[0]))
        peaks.append(int(out[1]))
    return Series(seconds), Series(peaks)


# --- the table ----------------------------------------------------------------------------

def fmt_s(v):
    return "%.2f s" % v


def fmt_mib(v):
    return "%.1f MiB" % (v / MIB)


def fmt_kib(v):
    return "%.0f KiB" % (v / 1024)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--win32", required=True, help="the Windows build tree")
    parser.add_argument("--work", default=os.path.join(ROOT, "build", "bench"))
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    runs = args.runs
    args.work = os.path.abspath(args.work)
    os.makedirs(args.work, exist_ok=True)
    zbbench = os.path.join(args.win32, "bin", "zbbench.exe")
    setup = os.path.join(args.win32, "bin", "ZembricoInstall.exe")
    zbpack = build_release_zbpack(os.path.join(args.work, "native-release"))

    payloads = {}
    for name, make in (("big", make_big_payload), ("small", make_small_payload)):
        folder = os.path.join(args.work, "payload-" + name)
        archive = os.path.join(args.work, name + ".bin")
        if not os.path.exists(archive):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            make(folder)
            subprocess.run([zbpack, folder, archive], check=True, stdout=subprocess.DEVNULL)
        payloads[name] = (folder, archive)

    rows = []
    mode = "emulated (qemu-i386)" if os.path.exists("/proc/sys/fs/binfmt_misc/qemu-i386") and \
        open("/proc/sys/fs/binfmt_misc/qemu-i386").readline().startswith("enabled") else "native"

    # Decode.
    folder, archive = payloads["big"]
    properties, stream = data_stream(archive)
    lc_lp_pb, dictionary = properties[0], struct.unpack("<I", properties[1:])[0]
    lc, lp, pb = lc_lp_pb % 9, (lc_lp_pb // 9) % 5, lc_lp_pb // 45
    unpacked = folder_size(folder)
    raw = os.path.join(args.work, "big.lzma1")
    with open(raw, "wb") as f:
        f.write(stream)
    ours = Series([timed([zbpack, "--test", archive]) for _ in range(runs)])
    xz_filter = "--lzma1=lc=%d,lp=%d,pb=%d,dict=%d" % (lc, lp, pb, dictionary)
    xz = Series([timed(["xz", "--format=raw", xz_filter, "-d", "-c"], raw) for _ in range(runs)])
    speed = lambda s: "%.0f MB/s" % (unpacked / 1e6 / s)  # noqa: E731
    rows.append(("decode %.0f MiB: ours vs xz --format=raw" % (unpacked / MIB),
                 ours.text(fmt_s) + ", " + speed(ours.median),
                 xz.text(fmt_s) + ", " + speed(xz.median), xz.median / ours.median))
    seven = shutil.which("7z") or shutil.which("7zz")
    if seven:
        alone = os.path.join(args.work, "big.lzma")
        with open(alone, "wb") as f:
            f.write(properties + struct.pack("<Q", unpacked) + stream)
        sz = Series([timed([seven, "e", "-so", "-tlzma", alone]) for _ in range(runs)])
        rows.append(("decode: ours vs 7-Zip", ours.text(fmt_s) + ", " + speed(ours.median),
                     sz.text(fmt_s) + ", " + speed(sz.median), sz.median / ours.median))
    else:
        rows.append(("decode: ours vs 7-Zip", "-", "7-Zip not installed", None))

    # Installations under Wine.
    dictionary_mib = max(1, dictionary // MIB)
    memory = None
    for name, label in (("big", "install %.0f MiB, %d files"), ("small", "install %d small files")):
        folder, archive = payloads[name]
        nsis = nsis_installer(folder, os.path.join(args.work, "nsis-%s.exe" % name), dictionary_mib)
        ours_s, ours_peak = install_runs(
            zbbench, [windows_path(zbbench), "install", windows_path(archive), "C:\\zbbench\\ours"],
            drive_c("zbbench", "ours"), runs)
        nsis_s, nsis_peak = install_runs(
            zbbench, [windows_path(nsis), "/S", "/D=C:\\zbbench\\nsis"],
            drive_c("zbbench", "nsis"), runs)
        title = label % ((folder_size(folder) / MIB, file_count(folder)) if name == "big"
                         else file_count(folder))
        rows.append((title, ours_s.text(fmt_s), nsis_s.text(fmt_s), nsis_s.median / ours_s.median))
        rows.append(("  payload size", fmt_mib(os.path.getsize(archive)),
                     fmt_mib(os.path.getsize(nsis)), os.path.getsize(nsis) / os.path.getsize(archive)))
        if name == "big":
            memory = (ours_peak, nsis_peak)
    shutil.rmtree(drive_c("zbbench"), ignore_errors=True)

    # Start-up.
    nsis_small = os.path.join(args.work, "nsis-small.exe")
    if os.path.exists(setup):
        ours_up = Series([float(wine([zbbench, "startup", windows_path(setup)])) for _ in range(runs)])
        nsis_up = Series([float(wine([zbbench, "startup", windows_path(nsis_small)]))
                          for _ in range(runs)])
        rows.append(("start-up to first painted window", ours_up.text(fmt_s), nsis_up.text(fmt_s),
                     nsis_up.median / ours_up.median))
    else:
        rows.append(("start-up to first painted window", "setup program not built", "-", None))

    ours_peak, nsis_peak = memory
    rows.append(("peak working set, 100 MiB install", ours_peak.text(fmt_mib),
                 nsis_peak.text(fmt_mib), nsis_peak.median / ours_peak.median))

    # Size without payload and pictures.
    stub = "/usr/share/nsis/Stubs/lzma_solid-x86-unicode"
    if os.path.exists(setup):
        with open(setup, "rb") as f:
            image = f.read()
        own = len(image) - payload_and_picture_bytes(image)
        rows.append(("setup program without payload and pictures", fmt_kib(own),
                     fmt_kib(os.path.getsize(stub)) + " (NSIS stub)", os.path.getsize(stub) / own))
    else:
        rows.append(("setup program without payload and pictures", "setup program not built",
                     fmt_kib(os.path.getsize(stub)), None))

    lines = ["Wine mode: %s; %d CPUs; median of %d runs, (min-max); ratio = peer / ours "
             "(above 1: we are faster or smaller)" % (mode, os.cpu_count(), runs), "",
             "| measure | ours | peer | ratio |", "|---|---|---|---|"]
    for title, a, b, ratio in rows:
        lines.append("| %s | %s | %s | %s |" % (title, a, b, "-" if ratio is None else "%.2f" % ratio))
    text = "\n".join(lines) + "\n"
    print(text)
    with open(os.path.join(args.work, "results.md"), "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
