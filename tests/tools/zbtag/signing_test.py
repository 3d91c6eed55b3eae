#!/usr/bin/python3
"""zbtag on signed PE files of every signature shape (plain SHA-256, timestamped, dual): the tag
goes inside the signature and ends the file, the signature still verifies (osslsigncode) and
passes Windows' padding rule after each write, re-tag and clear (checked by a reader of our own,
certificate_reader.py, and by `openssl asn1parse`), clear gives the signed file back, and the
installer's own trailer reader (what `zbtag read` runs) gives the text back.

Usage: signing_test.py [EMULATOR] ZBTAG (EMULATOR runs a Windows zbtag, cmake/wine-run). Exits
with 77 (skipped) when openssl or osslsigncode is missing.
"""

import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import certificate_reader
from signer import Signer

SKIPPED = 77
ZBTAG = None


def small_pe():
    """A 32-bit console image with one section holding `ret`."""
    dos = b"MZ" + bytes(0x3A) + struct.pack("<I", 0x40)
    coff = struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, 224, 0x0102)
    optional = struct.pack(
        "<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII",
        0x10B, 0, 0, 0x200, 0, 0, 0x1000, 0x1000, 0x1000,  # code size, entry, bases
        0x400000, 0x1000, 0x200,                           # image base, alignments
        4, 0, 0, 0, 4, 0, 0,                               # versions, Win32VersionValue
        0x2000, 0x200, 0, 3, 0,                            # image and header size, checksum, console
        0x100000, 0x1000, 0x100000, 0x1000, 0, 16)         # stack, heap, loader flags, directories
    optional += bytes(16 * 8)
    section = struct.pack("<8sIIIIIIHHI", b".text", 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0,
                          0x60000020)
    headers = dos + b"PE\0\0" + coff + optional + section
    return headers.ljust(0x200, b"\0") + b"\xC3".ljust(0x200, b"\0")


def security_directory(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<II", data, pe + 24 + 96 + 4 * 8)


def trailer_length(text):
    return (len(text) + 12 + 7) // 8 * 8


def asn1parse(der):
    """How `openssl asn1parse` reads `der`: the length of its first structure, and whether it
    read everything (its exit status) with an OCTET STRING as the last element, ending the
    structure."""
    result = subprocess.run(["openssl", "asn1parse", "-inform", "DER"], input=der,
                            capture_output=True)
    # Trailing padding reads as more elements, or as an error after the structure.
    lines = [line for line in result.stdout.decode().splitlines()
             if re.match(r"\s*\d+:d=", line)]

    def fields(line):
        offset, rest = line.split(":", 1)
        header = int(rest.split("hl=")[1].split()[0])
        length = int(rest.split(" l=")[1].split()[0])
        return int(offset), header, length, rest

    _, header, length, _ = fields(lines[0])
    offset, last_header, last_length, rest = fields(lines[-1])
    ends_with_octets = (result.returncode == 0 and "OCTET STRING" in rest and
                        offset + last_header + last_length == header + length)
    return header + length, ends_with_octets


class ZbtagSigning(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = Path(tempfile.mkdtemp(prefix="zbtag_signing_"))
        cls.signer = Signer(cls.dir)
        cls.unsigned = cls.dir / "unsigned.exe"
        cls.unsigned.write_bytes(small_pe())
        cls.shapes = cls.signer.shapes(cls.unsigned, cls.dir)
        cls.signed = cls.shapes["plain"]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def copy(self, source, name):
        target = self.dir / name
        shutil.copyfile(source, target)
        return target

    def zbtag(self, *args):
        return subprocess.run([*ZBTAG, *map(str, args)], capture_output=True)

    def write(self, exe, text):
        text_file = self.dir / "tracking.txt"
        text_file.write_bytes(text)
        result = self.zbtag("write", exe, text_file)
        self.assertEqual(result.returncode, 0, result.stderr)

    def read(self, exe):
        result = self.zbtag("read", exe)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def assert_verifies(self, exe):
        passed, output = self.signer.verify(exe)
        self.assertTrue(passed, output)
        self.assertIn("Signature verification: ok", output)
        # A wrong checksum is only a warning for the verifier; the installer must not carry one.
        self.assertIn("PE checksum", output)
        self.assertNotIn("invalid PE checksum", output)

    def assert_sound(self, exe, text):
        """Every check of a signed file carrying `text` (None: no tag), none of them zbtag's
        own but the last."""
        self.assert_verifies(exe)
        data = exe.read_bytes()
        self.assertEqual(certificate_reader.problems(data, text), [])
        signed = certificate_reader.SignedFile(data)
        length, ends_with_octets = asn1parse(data[signed.signature.start:])
        self.assertEqual(signed.signature.start + length, signed.signature.end)
        if text is not None:
            self.assertEqual(signed.signature.end, len(data))
            self.assertTrue(ends_with_octets, "asn1parse does not end with the tag's value")
            self.assertEqual(self.read(exe), text)
        check = self.zbtag("check", exe)
        self.assertEqual(check.returncode, 0, check.stdout)
        self.assertNotIn(b"FAILED", check.stdout)

    def test_verify_notices_a_changed_image(self):
        # Without this the checks below could pass on verifiers that accept anything.
        self.assert_verifies(self.signed)
        broken = bytearray(self.signed.read_bytes())
        broken[0x200] ^= 0xFF
        exe = self.dir / "broken.exe"
        exe.write_bytes(broken)
        self.assertFalse(self.signer.verify(exe)[0])
        self.assertNotEqual(certificate_reader.problems(bytes(broken)), [])
        check = self.zbtag("check", exe)
        self.assertEqual(check.returncode, 1)
        self.assertIn(b"digest: FAILED", check.stdout)

    def test_every_shape_keeps_its_signature_through_tag_retag_and_clear(self):
        first = b"SITEID=BE_ZB_EXT\nTHM=dark\nGID=12|34\nOID=77\n" + b"X=" + b"y" * 236 + b"\n"
        second = b"SITEID=FR\n"
        for shape, source in self.shapes.items():
            with self.subTest(shape):
                signed = source.read_bytes()
                self.assertEqual(certificate_reader.problems(signed), [])
                exe = self.copy(source, "tagged-%s.exe" % shape)
                self.write(exe, first)
                self.assert_sound(exe, first)
                self.write(exe, second)
                self.assert_sound(exe, second)
                self.assertEqual(self.zbtag("clear", exe).returncode, 0)
                self.assert_sound(exe, None)
                self.assertEqual(exe.read_bytes(), signed)
                result = self.zbtag("read", exe)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(b"has no tracking tag", result.stderr)

    def tagged_the_older_way(self, text):
        """The plain signed file with the trailer appended after its signature, as zbtag wrote
        it before: the trailer is the one an unsigned file gets."""
        unsigned = self.copy(self.unsigned, "for-trailer.exe")
        self.write(unsigned, text)
        trailer = unsigned.read_bytes()[len(small_pe()):]
        data = bytearray(self.signed.read_bytes() + trailer)
        offset, size = security_directory(data)
        struct.pack_into("<I", data, offset, struct.unpack_from("<I", data, offset)[0] + len(trailer))
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        struct.pack_into("<I", data, pe + 24 + 96 + 4 * 8 + 4, size + len(trailer))
        exe = self.dir / "older.exe"
        exe.write_bytes(data)
        return exe

    def test_older_tag_reads_the_same_and_one_write_moves_it_inside(self):
        text = b"SITEID=RUSO\nGID=9\n"
        exe = self.tagged_the_older_way(text)
        self.assertEqual(self.read(exe), text)
        self.assertFalse(certificate_reader.SignedFile(exe.read_bytes()).passes_padding_rule())
        check = self.zbtag("check", exe)
        self.assertEqual(check.returncode, 1)
        self.assertIn(b"padding: FAILED", check.stdout)
        self.assertIn(b"tag: FAILED", check.stdout)
        self.write(exe, text)
        self.assert_sound(exe, text)

    def test_unsigned_file_gets_the_tag_appended(self):
        exe = self.copy(self.unsigned, "plain.exe")
        text = b"SITEID=DK\nTSL=da\n"
        self.write(exe, text)
        self.assertEqual(self.read(exe), text)
        tagged = exe.read_bytes()
        self.assertEqual(tagged[:len(small_pe())], small_pe())
        self.assertEqual(len(tagged), len(small_pe()) + trailer_length(text))
        check = self.zbtag("check", exe)
        self.assertEqual(check.returncode, 0, check.stdout)
        self.assertIn(b"appended to the unsigned file", check.stdout)

        # The trailer's data has the form of tinfo.dat.
        data = self.dir / "tinfo.dat"
        data.write_bytes(tagged[len(small_pe()):len(small_pe()) + len(text)])
        result = self.zbtag("unscramble", data)
        self.assertEqual((result.returncode, result.stdout), (0, text))

        self.assertEqual(self.zbtag("clear", exe).returncode, 0)
        self.assertEqual(exe.read_bytes(), small_pe())

    def entry_variant(self, name, change):
        """The plain signed file with its certificate entry's content passed through
        `change(bytearray, entry_offset)`."""
        data = bytearray(self.signed.read_bytes())
        change(data, security_directory(data)[0])
        exe = self.dir / name
        exe.write_bytes(data)
        return exe

    def test_refusals_leave_the_file_as_it_was(self):
        not_pe = self.dir / "notes.txt"
        not_pe.write_bytes(b"SITEID=FR\n" * 10)
        text_file = self.dir / "text.txt"
        text_file.write_bytes(b"SITEID=FR\n")
        long_text = self.dir / "long.txt"
        long_text.write_bytes(b"x" * 1013)
        outside = self.copy(self.signed, "outside.exe")
        outside.write_bytes(self.signed.read_bytes() + b"\0" * 8)

        def garbage(data, entry):
            data[entry + 8:entry + 12] = b"\x30\x80\0\0"

        def not_signed_data(data, entry):
            data[entry + 8 + 4 + 2 + 8] ^= 0x01  # the last arc of the content type's OID

        def data_after(data, entry):
            data += b"\0" * 7 + b"Z"
            struct.pack_into("<I", data, entry, len(data) - entry)
            pe = struct.unpack_from("<I", data, 0x3C)[0]
            struct.pack_into("<I", data, pe + 24 + 96 + 4 * 8 + 4, len(data) - entry)
        cases = [
            ("not a PE file", not_pe, text_file, b"Not a PE file"),
            ("tag over the limit", self.copy(self.signed, "long.exe"), long_text,
             b"exceed 1024 bytes"),
            ("table not the tail", outside, text_file,
             b"The certificate table is not the end of the file"),
            ("indefinite length", self.entry_variant("garbage.exe", garbage), text_file,
             b"The certificate table is damaged"),
            ("not signed data", self.entry_variant("notsigned.exe", not_signed_data), text_file,
             b"The signature is not PKCS#7 signed data"),
            ("data after the signature", self.entry_variant("after.exe", data_after), text_file,
             b"holds data after its signature"),
        ]
        for what, exe, text, message in cases:
            with self.subTest(what):
                before = exe.read_bytes()
                result = self.zbtag("write", exe, text)
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr)
                self.assertEqual(exe.read_bytes(), before)
        self.assertIn(b"Not a PE file", self.zbtag("read", not_pe).stderr)
        self.assertEqual(self.zbtag("frobnicate", not_pe).returncode, 2)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    ZBTAG = sys.argv[1:]
    del sys.argv[1:]
    missing = [tool for tool in ("openssl", "osslsigncode") if shutil.which(tool) is None]
    if missing:
        print("skipped: " + " and ".join(missing) + " not installed")
        sys.exit(SKIPPED)
    unittest.main()
