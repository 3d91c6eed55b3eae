#!/usr/bin/env python3
"""Checks the shipped programs as the loader will see them, from their PE files alone.

    pe_check.py imports EXE...            static and delay-load imports, and the manifest
    pe_check.py flags --objdump TOOL EXE...  ASLR, NX, relocations, stack protector, SEH, CFG

The programs run elevated, often from a download folder: the loader resolves their imports
before any code of theirs runs, and looks beside the program first for a library that is not
one of the system's known DLLs. So each may import only known DLLs (or the common controls that
its manifest binds side by side), and must carry a manifest with its execution level.
"""

import argparse
import pathlib
import re
import struct
import subprocess
import sys

# Libraries the loader takes from the system folder alone (KnownDLLs of Windows 10 and 11), and
# the loader's own.
KNOWN_DLLS = {
    "advapi32", "combase", "comdlg32", "gdi32", "gdiplus", "imagehlp", "imm32", "kernel32",
    "msctf", "msvcrt", "normaliz", "nsi", "ole32", "oleaut32", "psapi", "rpcrt4", "sechost",
    "setupapi", "shcore", "shell32", "shlwapi", "user32", "wldap32", "ws2_32", "ntdll"}
COMMON_CONTROLS_6 = re.compile(
    r'name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0"')
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
LEVELS = {"ZembricoInstall.exe": "requireAdministrator",
          "ZembricoUninstall.exe": "requireAdministrator",
          "ZembricoUpdate.exe": "asInvoker"}

DYNAMIC_BASE, NX_COMPAT, NO_SEH, GUARD_CF = 0x0040, 0x0100, 0x0400, 0x4000
RELOCS_STRIPPED = 0x0001
DIR_IMPORT, DIR_RESOURCE, DIR_RELOC, DIR_LOAD_CONFIG, DIR_DELAY = 1, 2, 5, 10, 13
RT_MANIFEST = 24


class Image:
    """The headers, data directories and sections of a 32-bit PE file."""

    def __init__(self, path):
        self.path = pathlib.Path(path)
        self.data = self.path.read_bytes()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise SystemExit("%s: not a PE file" % path)
        sections, optional_size, self.characteristics = struct.unpack_from("<2xH12xHH",
                                                                           self.data, pe + 4)
        optional = pe + 24
        if struct.unpack_from("<H", self.data, optional)[0] != 0x10B:
            raise SystemExit("%s: not a 32-bit image" % path)
        self.dll_characteristics = struct.unpack_from("<H", self.data, optional + 70)[0]
        count = struct.unpack_from("<I", self.data, optional + 92)[0]
        self.directories = [struct.unpack_from("<II", self.data, optional + 96 + 8 * i)
                            for i in range(count)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<8sIIII", self.data, table + 40 * i)
                         for i in range(sections)]

    def offset(self, rva):
        for _, virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise SystemExit("%s: RVA %#x lies in no section" % (self.path, rva))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """(static, delay-loaded) library names, in lower case without ".dll"."""
        def names(index, entry_size, name_field):
            rva, _ = self.directory(index)
            found = []
            while rva:
                entry = self.offset(rva)
                name = struct.unpack_from("<I", self.data, entry + name_field)[0]
                if name == 0:
                    break
                found.append(self.string(name).lower().removesuffix(".dll"))
                rva += entry_size
            return found
        return names(DIR_IMPORT, 20, 12), names(DIR_DELAY, 32, 4)

    def manifest(self):
        """The text of manifest resource 1, or None."""
        base_rva, size = self.directory(DIR_RESOURCE)
        if not size:
            return None
        base = self.offset(base_rva)

        def entries(at):
            named, ids = struct.unpack_from("<12xHH", self.data, base + at)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, base + at + 16 + 8 * i)

        def child(at, wanted):
            for ident, target in entries(at):
                if wanted is None or ident == wanted:
                    return target & 0x7FFFFFFF
            return None
        level = child(0, RT_MANIFEST)
        level = level is not None and child(level, 1)
        language = level and child(level, None)
        if not language:
            return None
        rva, length = struct.unpack_from("<II", self.data, base + language)
        start = self.offset(rva)
        return self.data[start:start + length].decode("utf-8", "replace")


def check_imports(paths):
    failures = []
    for path in paths:
        image = Image(path)
        static, delayed = image.imports()
        manifest = image.manifest()
        print("%s: imports %s; delay-loads %s" % (image.path.name, ", ".join(static),
                                                   ", ".join(delayed) or "none"))
        allowed = set(KNOWN_DLLS)
        if manifest and COMMON_CONTROLS_6.search(manifest):
            allowed.add("comctl32")
        for name in static + delayed:
            if name not in allowed:
                failures.append("%s imports %s, which is not a known DLL: the loader would look "
                                "for it beside the program first" % (image.path.name, name))
        if manifest is None:
            failures.append("%s has no manifest" % image.path.name)
            continue
        level = re.search(r'requestedExecutionLevel\s+level="(\w+)"', manifest)
        print("  manifest: level %s; common controls 6 %s; Windows 10 listed %s"
              % (level and level.group(1), bool(COMMON_CONTROLS_6.search(manifest)),
                 WINDOWS_10 in manifest))
        wanted = LEVELS.get(image.path.name)
        if wanted and (not level or level.group(1) != wanted):
            failures.append("%s: execution level %s, not %s"
                            % (image.path.name, level and level.group(1), wanted))
        if WINDOWS_10 not in manifest:
            failures.append("%s: the manifest does not list Windows 10" % image.path.name)
    return failures


def seh_frames(objdump, path):
    """Instructions that touch the SEH chain (the head of the thread's exception list)."""
    listing = subprocess.run([objdump, "-d", str(path)], capture_output=True, text=True,
                             check=True).stdout
    return [line.strip() for line in listing.splitlines() if re.search(r"%fs:0x0\b", line)]


def check_flags(objdump, paths):
    failures = []
    for path in paths:
        image = Image(path)
        name = image.path.name
        flags = image.dll_characteristics
        relocations = image.directory(DIR_RELOC)[1]
        # The foundation's failure path is linked only where protected code calls it; GCC's
        # own runtime would seed the canary through CryptAcquireContext, which advapi32
        # forwards to cryptsp.dll, not a known DLL.
        canary = b"stack buffer overrun detected" in image.data
        libssp = b"stack smashing detected" in image.data or b"CryptAcquireContext" in image.data
        load_config = image.directory(DIR_LOAD_CONFIG)[1]
        frames = seh_frames(objdump, path)
        print("%s: ASLR %s, relocations %d bytes, NX %s, stack protector %s, no SEH %s "
              "(SEH frames in the code: %d), load configuration %d bytes, CFG %s"
              % (name, bool(flags & DYNAMIC_BASE), relocations, bool(flags & NX_COMPAT),
                 canary, bool(flags & NO_SEH), len(frames), load_config,
                 bool(flags & GUARD_CF)))
        if not flags & DYNAMIC_BASE or not relocations or image.characteristics & RELOCS_STRIPPED:
            failures.append("%s cannot be placed at a random address (ASLR flag, relocations)"
                            % name)
        if not flags & NX_COMPAT:
            failures.append("%s is not marked NX-compatible" % name)
        if not canary:
            failures.append("%s carries no stack protector runtime" % name)
        if libssp:
            failures.append("%s links GCC's stack protector runtime, which imports "
                            "CryptAcquireContext (forwarded to cryptsp.dll)" % name)
        if not flags & NO_SEH and not load_config:
            failures.append("%s has neither the no-SEH flag nor a SafeSEH table" % name)
        if flags & NO_SEH and frames:
            failures.append("%s claims no SEH handlers but registers SEH frames: %s"
                            % (name, frames[:3]))
        if flags & GUARD_CF and not load_config:
            failures.append("%s claims control-flow guard without a load configuration" % name)
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["imports", "flags"])
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    parser.add_argument("programs", nargs="+")
    options = parser.parse_args()
    failures = (check_imports(options.programs) if options.what == "imports"
                else check_flags(options.objdump, options.programs))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
