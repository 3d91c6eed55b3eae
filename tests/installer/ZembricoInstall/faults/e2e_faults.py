#!/usr/bin/python3
"""Faults the setup program meets in its own resources, end to end: variants of the test
installer (ZembricoE2E.exe) whose resources are damaged on purpose, each driven through the
wizard by the end-to-end harness.

    e2e_faults.py --bin DIR --work DIR --screenshots DIR --zbtag FILE --port N CASE...

A variant is the built installer with one resource rewritten in place (its bytes, and the size
its resource entry gives): the executable stays a valid program, only what it carries is bad.
"""
import lzma
import pathlib
import struct
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[3] / "e2e"))
from harness import ids  # noqa: E402
from harness.core import E2E_FOLDER, WINDOW_TIMEOUT, check  # noqa: E402
from harness.runner import main  # noqa: E402
from harness.steps import (answer, click, close, command, dismiss, is_enabled,  # noqa: E402
                           set_text, shot, wait_any_box, wait_box, wait_gone, wait_hidden,
                           wait_shown)

PAYLOAD, BUILD_OPTIONS, MESSAGES = 130, 131, 205


# ---- resources of a PE file ----

def resource_entry(image, kind, ident):
    """File offsets of the data of resource `kind`/`ident` and of its size field."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count, optional_size = struct.unpack_from("<H", image, pe + 6)[0], struct.unpack_from(
        "<H", image, pe + 20)[0]
    optional = pe + 24
    resource_rva = struct.unpack_from("<I", image, optional + 96 + 2 * 8)[0]
    sections = [struct.unpack_from("<8xIIII", image, optional + optional_size + 40 * i)
                for i in range(count)]

    def offset(rva):
        for virtual_size, address, raw_size, raw_offset in sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError("address outside every section")

    base = offset(resource_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", image, directory + 12)
        for i in range(named + ids):
            yield struct.unpack_from("<II", image, directory + 16 + 8 * i)

    def name(value):
        if not value & 0x80000000:
            return value
        at = base + (value & 0x7FFFFFFF)
        length = struct.unpack_from("<H", image, at)[0]
        return image[at + 2:at + 2 + 2 * length].decode("utf-16-le")

    for type_name, type_target in entries(base):
        if name(type_name) != kind:
            continue
        for id_name, id_target in entries(base + (type_target & 0x7FFFFFFF)):
            if name(id_name) != ident:
                continue
            for _, data in entries(base + (id_target & 0x7FFFFFFF)):
                rva, _size = struct.unpack_from("<II", image, base + data)
                return offset(rva), base + data + 4
    raise KeyError("no resource %s/%s" % (kind, ident))


def read_resource(image, ident):
    data, size_field = resource_entry(image, "ZB", ident)
    return bytes(image[data:data + struct.unpack_from("<I", image, size_field)[0]])


def write_resource(image, ident, content):
    """Puts `content` in the place of the resource; it may be shorter, never longer."""
    data, size_field = resource_entry(image, "ZB", ident)
    room = struct.unpack_from("<I", image, size_field)[0]
    check(len(content) <= room, "the new resource %d is larger than the old one" % ident)
    image[data:data + len(content)] = content
    struct.pack_into("<I", image, size_field, len(content))


def make_variant(h, name, change):
    """A copy of ZembricoE2E.exe whose resources `change(image)` has rewritten."""
    image = bytearray((h.bin / "ZembricoE2E.exe").read_bytes())
    change(image)
    path = h.work / "faults" / (name + ".exe")
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(image)
    return path


# ---- LZMA blocks as the program reads them: a 5-byte properties header, raw LZMA1 ----

LC, LP, PB, DICTIONARY = 3, 0, 2, 1 << 16


def lzma_block(data):
    stream = lzma.compress(data, format=lzma.FORMAT_RAW, filters=[
        {"id": lzma.FILTER_LZMA1, "lc": LC, "lp": LP, "pb": PB, "dict_size": DICTIONARY}])
    return bytes([(PB * 5 + LP) * 9 + LC]) + struct.pack("<I", DICTIONARY) + stream


def lzma_unblock(block, size):
    props, dictionary = block[0], struct.unpack_from("<I", block, 1)[0]
    decoder = lzma.LZMADecompressor(format=lzma.FORMAT_RAW, filters=[
        {"id": lzma.FILTER_LZMA1, "lc": props % 9, "lp": props // 9 % 5, "pb": props // 45,
         "dict_size": dictionary}])
    return decoder.decompress(block[5:], max_length=size)


def payload(files):
    """A payload archive of (name, bytes) pairs, names taken as they are."""
    starts, at = [], 0
    for _, content in files:
        starts.append(at)
        at += len(content)
    table = struct.pack("<%dI" % len(starts), *starts) + struct.pack("<I", 0)
    for name, _ in files:
        table += struct.pack("<H", len(name)) + name
    table += struct.pack("<H", 0)
    table_block = lzma_block(table)
    data_block = lzma_block(b"".join(content for _, content in files))
    return (struct.pack("<III", len(table), at, len(table_block)) + table_block +
            struct.pack("<I", len(data_block)) + data_block)


# ---- the walks ----

def install_into(h, exe, folder, *after_box):
    """Starts `exe`, installs into `folder` and answers the error box; returns the driver's
    lines. The wizard must show its options again, ready for another try."""
    h.remember()
    lines = h.open_wizard(exe, command(ids.CUSTOM), wait_shown(ids.FOLDER_EDIT, timeout=5),
                          set_text(ids.FOLDER_EDIT, folder), click(ids.LICENCE),
                          command(ids.PRIMARY), wait_any_box(timeout=60), shot("box-" + exe.stem),
                          dismiss(), *after_box, wait_hidden(ids.PROGRESS, timeout=20),
                          wait_shown(ids.PRIMARY, timeout=20), is_enabled(ids.PRIMARY), close(),
                          wait_box(timeout=20), answer("first"),
                          wait_gone(timeout=30), shot_prefix="faults-")
    check(h.exit_code() == ids.EXIT_QUIT, "Quit did not end with -1")
    return lines


def box_lines(lines):
    return [line for line in lines if line.startswith(("box:", "sysbox:"))]


def check_nothing_installed(h, folder):
    """No file with content but Install.log (the first file is created before the data stream
    is read, and stays empty), no uninstall entry."""
    unix = h.unix_path(folder)
    installed = sorted(p.name for p in unix.rglob("*")
                       if p.is_file() and p.name != "Install.log" and p.stat().st_size)
    check(not installed, "files were installed: %s" % installed)
    check(not h.uninstall_entry(), "an uninstall entry was written")


# ---- the cases ----

def case_truncated_payload(h):
    """A payload resource cut inside its data block: an error box naming the damage, the
    options again, nothing installed."""
    def cut(image):
        packed = read_resource(image, PAYLOAD)
        write_resource(image, PAYLOAD, packed[:len(packed) // 2])
    folder = E2E_FOLDER + "\\Truncated\\Zembrico"
    lines = install_into(h, make_variant(h, "truncated-payload", cut), folder)
    check(box_lines(lines) and any(
        "file installer/ZembricoInstall/InstallerThread, line 383" in line for line in lines),
          "the box does not name the damaged resource: %s" % lines)
    check_nothing_installed(h, folder)


def case_corrupt_payload_stream(h):
    """A data stream whose first byte is not a valid range-coder start: the archive error's
    box, the options again, no file with content."""
    def corrupt(image):
        packed = bytearray(read_resource(image, PAYLOAD))
        table_packed = struct.unpack_from("<I", packed, 8)[0]
        stream = 12 + table_packed + 4 + 5
        packed[stream] = 0xFF
        write_resource(image, PAYLOAD, bytes(packed))
    folder = E2E_FOLDER + "\\Corrupt\\Zembrico"
    lines = install_into(h, make_variant(h, "corrupt-payload", corrupt), folder)
    check(box_lines(lines), "no error box")
    check_nothing_installed(h, folder)
    log = h.unix_path(folder + "\\Install.log")
    log = log.read_text(errors="replace") if log.is_file() else "(none)"
    check("Install failed: archive error" in log, "Install.log: " + log[-400:])


def case_escaping_payload_name(h):
    """A payload whose second file would land beside the install folder: refused as an
    archive error before any file is written."""
    def escape(image):
        write_resource(image, PAYLOAD, payload([(b"readme.txt", b"inside\r\n"),
                                                (b"..\\escaped.txt", b"outside\r\n")]))
    folder = E2E_FOLDER + "\\Escape\\Zembrico"
    install_into(h, make_variant(h, "escaping-payload", escape), folder)
    check(not h.unix_path(E2E_FOLDER + "\\Escape\\escaped.txt").exists(),
          "a file was written outside the install folder")
    check_nothing_installed(h, folder)


def case_malformed_message_line(h):
    """A message table with a line that has no text: the program ends with 0 and shows
    nothing."""
    def damage(image):
        resource = read_resource(image, MESSAGES)
        unpacked = struct.unpack_from("<I", resource, 0)[0]
        text = lzma_unblock(resource[8:], unpacked)
        # A text line cut after its first field, with the table's next hundred lines after it
        # (fewer lines than the whole table, so that it fits in the old one's place).
        lines = text.split(b"\r\n")
        at = next(i for i, line in enumerate(lines) if line and not line.startswith(b"#"))
        lines[at] = lines[at].split(b" ")[0]
        text = b"\r\n".join(lines[:at + 100])
        block = lzma_block(text)
        write_resource(image, MESSAGES, struct.pack("<II", len(text), len(block)) + block)
    h.start(make_variant(h, "malformed-messages", damage))
    check(h.exit_code(WINDOW_TIMEOUT, windows=False) == 0,
          "a malformed message table did not end with 0")


def case_build_options_without_equals(h):
    """Build options with a line that is no key=value: the wizard still shows (on empty
    values) and can be closed."""
    def damage(image):
        # The first item loses its "=".
        options = read_resource(image, BUILD_OPTIONS)
        write_resource(image, BUILD_OPTIONS, options.replace(b"=", b" ", 1))
    h.open_wizard(make_variant(h, "options-without-equals", damage), 
                  shot("options-without-equals"), command(ids.CLOSE), wait_box(timeout=20),
                  answer("first"), wait_gone(timeout=30), shot_prefix="faults-")
    check(h.exit_code() == ids.EXIT_QUIT, "Quit did not end with -1")


def case_registry_error(h):
    """Build options with an operator id too long for a registry key name: the registry error
    box, the options again; the files are there, the settings files are not written."""
    def long_oid(image):
        # [sites] goes to make room, so the universal [define] is read.
        options = read_resource(image, BUILD_OPTIONS)
        head, _, rest = options.partition(b"\n[sites]\n")
        later_sections = rest[rest.index(b"\n[") + 1:]
        head = head.replace(b"\n[define]\n", b"\n[define]\noid=" + b"7" * 300 + b"\n", 1)
        write_resource(image, BUILD_OPTIONS, head + later_sections)
    variant = make_variant(h, "registry-error", long_oid)
    folder = E2E_FOLDER + "\\Registry\\Zembrico"
    install_into(h, variant, folder)
    unix = h.unix_path(folder)
    check((unix / "ZembricoUpdate.exe").is_file(), "the files were not installed")
    check(not (unix / "tinfo.dat").exists(), "tinfo.dat was written after the registry error")
    log = (unix / "Install.log").read_text(errors="replace")
    check("Registry write error, maybe caused by access right not enough, uninstaller may not "
          "work properly." in log, "Install.log: " + log[-400:])
    check("Install finished" in log, "Install.log: " + log[-400:])


def case_trailer_out_of_range(h):
    """Tracking trailers with each footer field out of range: each installer starts as an
    untagged one would, shows its options and quits normally."""
    marker = 0xFFFEFFFE
    footers = {
        "distance-above-1024": (1025, 4, marker),
        "length-past-the-file": (16, 0xFFFFFFFF, marker),
        "marker-wrong": (16, 4, 0xFFFEFFFF),
    }
    for name, (distance, length, mark) in footers.items():
        def append(image, footer=struct.pack("<III", distance, length, mark)):
            image += b"SITEID=be_zb_ext" + footer
        exe = make_variant(h, "trailer-" + name, append)
        lines = h.open_wizard(exe, shot("trailer-" + name), command(ids.CLOSE),
                              wait_box(timeout=20), answer("first"),
                              wait_gone(timeout=30), shot_prefix="faults-")
        check("box: Installing Zembrico Poker" in lines, "%s: not the default site" % name)
        check(h.exit_code() == ids.EXIT_QUIT, "%s: Quit did not end with -1" % name)


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    sys.exit(main(CASES, "e2e"))
