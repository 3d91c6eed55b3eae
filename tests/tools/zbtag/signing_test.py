#!/usr/bin/python3
"""zbtag on a signed PE file: the signature still verifies with a tag, after re-tagging and after
clearing, and the installer's own trailer reader (what `zbtag read` runs) gives the text back.

Usage: signing_test.py ZBTAG. Exits with 77 (skipped) when openssl or osslsigncode is missing.
"""

import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

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


class ZbtagSigning(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = Path(tempfile.mkdtemp(prefix="zbtag_signing_"))
        cls.key, cls.cert = cls.dir / "key.pem", cls.dir / "cert.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=Zembrico test signing", "-keyout", cls.key, "-out", cls.cert,
                        "-addext", "extendedKeyUsage=codeSigning"],
                       check=True, capture_output=True)
        cls.unsigned = cls.dir / "unsigned.exe"
        cls.unsigned.write_bytes(small_pe())
        cls.signed = cls.dir / "signed.exe"
        subprocess.run(["osslsigncode", "sign", "-certs", cls.cert, "-key", cls.key,
                        "-n", "Zembrico Setup", "-in", cls.unsigned, "-out", cls.signed],
                       check=True, capture_output=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def copy(self, source, name):
        target = self.dir / name
        shutil.copyfile(source, target)
        return target

    def zbtag(self, *args):
        return subprocess.run([ZBTAG, *map(str, args)], capture_output=True)

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
        result = subprocess.run(["osslsigncode", "verify", "-CAfile", self.cert, "-in", exe],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("Signature verification: ok", result.stdout)
        # A wrong checksum is only a warning for the verifier; the installer must not carry one.
        self.assertIn("PE checksum", result.stdout)
        self.assertNotIn("invalid PE checksum", result.stdout)

    def test_verify_notices_a_changed_image(self):
        # Without this the checks below could pass on a verifier that accepts anything.
        self.assert_verifies(self.signed)
        broken = bytearray(self.signed.read_bytes())
        broken[0x200] ^= 0xFF
        exe = self.dir / "broken.exe"
        exe.write_bytes(broken)
        result = subprocess.run(["osslsigncode", "verify", "-CAfile", self.cert, "-in", exe],
                                capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0, result.stdout)

    def test_signed_file_keeps_its_signature_through_tag_retag_and_clear(self):
        exe = self.copy(self.signed, "tagged.exe")
        signed = self.signed.read_bytes()
        offset, size = security_directory(signed)
        first = b"SITEID=BE_ZB_EXT\nTHM=dark\nGID=12|34\nOID=77\n" + b"X=" + b"y" * 236 + b"\n"
        self.write(exe, first)
        self.assert_verifies(exe)
        self.assertEqual(self.read(exe), first)
        tagged = exe.read_bytes()
        self.assertEqual(len(tagged), len(signed) + trailer_length(first))
        self.assertEqual(security_directory(tagged), (offset, len(tagged) - offset))
        self.assertEqual(tagged[-4:], b"\xFE\xFF\xFE\xFF")

        second = b"SITEID=FR\n"
        self.write(exe, second)
        self.assert_verifies(exe)
        self.assertEqual(self.read(exe), second)
        self.assertEqual(exe.stat().st_size, len(signed) + trailer_length(second))

        self.assertEqual(self.zbtag("clear", exe).returncode, 0)
        self.assert_verifies(exe)
        cleared = exe.read_bytes()
        self.assertEqual(len(cleared), len(signed))
        self.assertEqual(security_directory(cleared), (offset, size))
        result = self.zbtag("read", exe)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn(b"has no tracking tag", result.stderr)

    def test_unsigned_file_gets_the_tag_appended(self):
        exe = self.copy(self.unsigned, "plain.exe")
        text = b"SITEID=DK\nTSL=da\n"
        self.write(exe, text)
        self.assertEqual(self.read(exe), text)
        tagged = exe.read_bytes()
        self.assertEqual(tagged[:len(small_pe())], small_pe())
        self.assertEqual(len(tagged), len(small_pe()) + trailer_length(text))

        # The trailer's data has the form of tinfo.dat.
        data = self.dir / "tinfo.dat"
        data.write_bytes(tagged[len(small_pe()):len(small_pe()) + len(text)])
        result = self.zbtag("unscramble", data)
        self.assertEqual((result.returncode, result.stdout), (0, text))

        self.assertEqual(self.zbtag("clear", exe).returncode, 0)
        self.assertEqual(exe.read_bytes(), small_pe())

    def test_refusals_leave_the_file_as_it_was(self):
        not_pe = self.dir / "notes.txt"
        not_pe.write_bytes(b"SITEID=FR\n" * 10)
        text_file = self.dir / "text.txt"
        text_file.write_bytes(b"SITEID=FR\n")
        long_text = self.dir / "long.txt"
        long_text.write_bytes(b"x" * 1013)
        outside = self.copy(self.signed, "outside.exe")
        outside.write_bytes(self.signed.read_bytes() + b"\0" * 8)
        cases = [
            ("not a PE file", not_pe, text_file, b"Not a PE file"),
            ("tag over the limit", self.copy(self.signed, "long.exe"), long_text,
             b"exceed 1024 bytes"),
            ("table not the tail", outside, text_file,
             b"The certificate table is not the end of the file"),
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
    ZBTAG = sys.argv.pop(1)
    missing = [tool for tool in ("openssl", "osslsigncode") if shutil.which(tool) is None]
    if missing:
        print("skipped: " + " and ".join(missing) + " not installed")
        sys.exit(SKIPPED)
    unittest.main()
