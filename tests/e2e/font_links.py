#!/usr/bin/env python3
"""Gives the tests' Wine prefix the font links Windows has for the faces the wizard draws with.

    font_links.py

Windows links each user-interface face to fonts of the East Asian scripts (the REG_MULTI_SZ
values of HKLM\\...\\FontLink\\SystemLink, "FILE,FACE" each), so that a text in a script the face
lacks still draws with real glyphs: Japanese chosen on an English system, for example. Wine
writes the same lists, but the fonts they name are Windows' own and absent here; this adds a
CJK font of the build machine to the list of each face the wizard may pick, after the entries
Windows has, and to the faces Wine draws in their place. Running it again changes nothing.
Needs WINEPREFIX (default build/wine).
"""

import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
SYSTEM_LINK = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink"
# The faces the wizard may pick (installer/MyCWnd/mycfonts.cpp) that a Wine prefix has, both
# linked on Windows; and the face Wine draws in their place where the prefix lacks Wine's own
# fonts (Wine then takes a missing face's first linked font that exists, and links that font's
# own list).
FACES = ("Tahoma", "Microsoft Sans Serif", "DejaVu Sans", "DejaVu Sans Bold")
# Fonts of Debian packages: the file as Wine finds it among the system's fonts, and its face.
# The face drawn in place of a missing Tahoma comes first, so that every text that had glyphs
# keeps its look; then the CJK fonts.
LINKED_FONTS = (
    ("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "DejaVu Sans"),
    ("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", "WenQuanYi Micro Hei"),
    ("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "Noto Sans CJK JP"),
)


def wine(env, *arguments):
    return subprocess.run(["wine", *arguments], env=env, check=True, capture_output=True,
                          text=True, encoding="utf-8", errors="replace").stdout


def current_links(env):
    """{face: [entries]} of the SystemLink key."""
    links = {}
    for line in wine(env, "reg", "query", SYSTEM_LINK).splitlines():
        parts = line.strip().split("    ")
        if len(parts) == 3 and parts[1] == "REG_MULTI_SZ":
            links[parts[0]] = [entry for entry in parts[2].split("\\0") if entry]
    return links


def main():
    fonts = ["%s,%s" % (pathlib.Path(path).name, face) for path, face in LINKED_FONTS
             if os.path.isfile(path)]
    if not any("CJK" in font or "WenQuanYi" in font for font in fonts):
        print("font links: no CJK font on this machine (fonts-wqy-microhei)", file=sys.stderr)
        return 1
    env = dict(os.environ, WINEPREFIX=os.environ.get("WINEPREFIX", str(ROOT / "build" / "wine")),
               WINEDEBUG="-all")
    links = current_links(env)
    for face in FACES:
        entries = links.get(face, [])
        # A face is not linked to its own family.
        missing = [font for font in fonts if font.lower() not in map(str.lower, entries)
                   and not face.startswith(font.partition(",")[2])]
        if missing:
            wine(env, "reg", "add", SYSTEM_LINK, "/v", face, "/t", "REG_MULTI_SZ",
                 "/d", "\\0".join(entries + missing), "/f")
        print("font links: %s -> %s" % (face, ", ".join(entries + missing)), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
