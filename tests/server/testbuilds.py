"""Builds for the download tests and bench: a small real PE image grown by a section of random
bytes to the size wanted, which signing and tagging treat as any installer."""

import random
import struct
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "tools" / "zbtag"))
from signer import Signer  # noqa: E402
SMALL_PE = ROOT / "fuzz" / "corpus" / "trackingtag_fuzz" / "unsigned.exe"
SECTION = 40


def align(value, to):
    return (value + to - 1) // to * to


def with_section(pe, size, seed):
    """`pe` (no certificate table, room for one more section header) with a last section of
    `size` random bytes."""
    pe = bytearray(pe)
    header = struct.unpack_from("<I", pe, 0x3C)[0]
    sections, = struct.unpack_from("<H", pe, header + 6)
    optional_size, = struct.unpack_from("<H", pe, header + 20)
    optional = header + 24
    section_align, file_align = struct.unpack_from("<II", pe, optional + 32)
    table = optional + optional_size
    last = table + SECTION * (sections - 1)
    virtual_size, virtual_address = struct.unpack_from("<II", pe, last + 8)
    address = align(virtual_address + virtual_size, section_align)
    offset = align(len(pe), file_align)
    raw = align(size, file_align)
    struct.pack_into("<8sIIIIIIHHI", pe, table + SECTION * sections, b".zbdata", size, address,
                     raw, offset, 0, 0, 0, 0, 0x40000040)
    struct.pack_into("<H", pe, header + 6, sections + 1)
    struct.pack_into("<I", pe, optional + 56, align(address + size, section_align))
    data = random.Random(seed).randbytes(size)
    return bytes(pe.ljust(offset, b"\0")) + data.ljust(raw, b"\0")


def unsigned_build(path, size, seed=1):
    Path(path).write_bytes(with_section(SMALL_PE.read_bytes(), size, seed))
    return Path(path)


def signed_build(folder, path, size, seed=1, timestamped=True):
    """A build of `size` bytes and more, signed (timestamped by default) with throw-away
    certificates made in `folder`; returns the signer, whose verify() checks a download."""
    unsigned = Path(folder) / ("unsigned-" + Path(path).name)
    unsigned_build(unsigned, size, seed)
    signer = Signer(Path(folder))
    signer.sign(unsigned, path, *(signer.timestamp() if timestamped else ()))
    unsigned.unlink()
    return signer
