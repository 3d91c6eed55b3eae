#!/usr/bin/python3
"""Checks the generated pictures against what the toolkit's drawing rules need."""

import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[3] / "resources" / "pictures" / "make_pictures.py"
sys.path.insert(0, str(SCRIPT.parent))

import make_pictures  # noqa: E402
from PIL import Image  # noqa: E402

# Skins and the size each control expects of its bitmaps.
THREE_SLICE = {46: [221, 222, 223, 224, 225, 226, 227, 228],
               34: [210, 211, 213, 214, 215, 216, 217, 218, 219],
               6: [258, 259, 260]}
SQUARES = {24: [245, 246, 247, 248, 249, 251, 252, 253, 271],
           27: [256, 257, 261, 262, 263, 264, 265]}
WHITE_KEYED = [250, 254, 255, 273, 274, 271]
ALL_BITMAPS = ([210, 211] + list(range(213, 220)) + list(range(221, 229))
               + list(range(245, 266)) + [271, 273, 274])


def luminance(rgb):
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


class PicturesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        cls.out = Path(cls.temp.name) / "a"
        subprocess.run([sys.executable, str(SCRIPT), str(cls.out)], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def bitmap(self, ident):
        with Image.open(self.out / f"bitmap{ident}.bmp") as image:
            return image.copy()

    def test_listed_files_are_exactly_the_written_ones(self):
        listed = subprocess.run([sys.executable, str(SCRIPT), "--list"], check=True,
                                capture_output=True, text=True).stdout.split()
        self.assertEqual(sorted(listed), sorted(p.name for p in self.out.iterdir()))
        self.assertEqual(sorted(f"bitmap{i}.bmp" for i in ALL_BITMAPS),
                         sorted(n for n in listed if n.startswith("bitmap")))

    def test_second_run_writes_the_same_bytes(self):
        again = Path(self.temp.name) / "b"
        subprocess.run([sys.executable, str(SCRIPT), str(again)], check=True)
        for path in self.out.iterdir():
            self.assertEqual(path.read_bytes(), (again / path.name).read_bytes(), path.name)

    def test_bitmaps_are_24_bit_bottom_up_bmp(self):
        for ident in ALL_BITMAPS:
            data = (self.out / f"bitmap{ident}.bmp").read_bytes()
            self.assertEqual(data[:2], b"BM", ident)
            height, = struct.unpack_from("<i", data, 22)
            bits, compression = struct.unpack_from("<HI", data, 28)
            self.assertGreater(height, 0, ident)
            self.assertEqual((bits, compression), (24, 0), ident)

    def test_three_slice_skins_have_odd_width_and_the_control_height(self):
        for height, ids in THREE_SLICE.items():
            for ident in ids:
                w, h = self.bitmap(ident).size
                self.assertEqual(h, height, ident)
                self.assertEqual(w % 2, 1, f"{ident}: slices would miss or repeat a column")

    def test_three_slice_skin_states_differ(self):
        for ids in (THREE_SLICE[46][:4], THREE_SLICE[46][4:], THREE_SLICE[34][:3]):
            faces = [self.bitmap(i).tobytes() for i in ids]
            self.assertEqual(len(set(faces)), len(faces), ids)

    def test_square_controls_have_their_row_height(self):
        for size, ids in SQUARES.items():
            for ident in ids:
                self.assertEqual(self.bitmap(ident).size, (size, size), ident)

    def test_key_coloured_bitmaps_have_white_edges_and_a_visible_glyph(self):
        for ident in WHITE_KEYED:
            image = self.bitmap(ident).convert("RGB")
            w, h = image.size
            self.assertEqual(image.getpixel((0, 0)), (255, 255, 255), ident)
            self.assertEqual(image.getpixel((w - 1, h - 1)), (255, 255, 255), ident)
            darkest = min(sum(image.getpixel((x, y))) for x in range(w) for y in range(h))
            self.assertLess(darkest, 600, f"{ident} has no visible glyph")

    def test_primary_text_stays_readable_on_its_faces(self):
        for ident in (225, 226, 227, 210):
            image = self.bitmap(ident).convert("RGB")
            centre = image.getpixel((image.size[0] // 2, image.size[1] // 2))
            self.assertGreaterEqual(contrast(centre, (255, 255, 255)), 4.5, ident)

    def test_backgrounds_are_baseline_jpegs_with_dark_panel_and_white_options_area(self):
        for variant in (107, 108):
            with Image.open(self.out / f"background{variant}.jpg") as jpeg:
                image = jpeg.copy()
                image.info["progressive"] = jpeg.info.get("progressive")
                image.format = jpeg.format
            self.assertEqual((image.format, image.size, image.mode), ("JPEG", (960, 720), "RGB"))
            self.assertFalse(image.info.get("progressive"), variant)
            # white operator line and small labels stand on the panel
            for x, y in ((160, 150), (100, 600), (150, 700), (300, 300)):
                self.assertGreaterEqual(contrast(image.getpixel((x, y)), (255, 255, 255)), 7,
                                        (variant, x, y))
            # buttons and the close button fill their corners white: the page must be white there
            for x, y in ((923, 27), (540, 654), (729, 699), (780, 435), (939, 480), (340, 600),
                         (959, 0), (959, 719), (330, 360)):
                self.assertTrue(all(v >= 252 for v in image.getpixel((x, y))), (variant, x, y))

    def test_icon_holds_the_four_sizes(self):
        data = (self.out / "icon101.ico").read_bytes()
        kind, count = struct.unpack_from("<HH", data, 2)
        self.assertEqual((kind, count), (1, 4))
        sizes = [data[6 + 16 * i] or 256 for i in range(count)]
        self.assertEqual(sizes, [16, 32, 48, 256])
        with Image.open(self.out / "icon101.ico") as icon:
            icon.size = (32, 32)
            rgba = icon.convert("RGBA")
        self.assertEqual(rgba.getpixel((0, 0))[3], 0)
        self.assertEqual(rgba.getpixel((16, 16))[3], 255)

    def test_cursor_hot_spot_lies_on_the_fingertip(self):
        data = (self.out / "cursor220.cur").read_bytes()
        kind, count = struct.unpack_from("<HH", data, 2)
        width, height, _, _, hot_x, hot_y, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
        self.assertEqual((kind, count, width, height), (2, 1, 32, 32))
        self.assertEqual(offset + size, len(data))
        with Image.open(self.out / "cursor220.cur") as image:
            cursor = image.convert("RGBA")
        self.assertGreater(cursor.getpixel((hot_x, hot_y))[3], 0)
        above = [cursor.getpixel((x, y))[3] for x in range(32) for y in range(hot_y)]
        self.assertEqual(max(above, default=0), 0, "nothing of the hand above the hot spot")

    def test_three_slice_drawing_keeps_the_corners(self):
        skin = self.bitmap(225).convert("RGB")
        wide = make_pictures.three_slice(skin, 320, 46)
        self.assertEqual(wide.getpixel((0, 0)), skin.getpixel((0, 0)))
        self.assertEqual(wide.getpixel((319, 45)), skin.getpixel((40, 45)))
        self.assertEqual(wide.getpixel((160, 23)), skin.getpixel((20, 23)))


if __name__ == "__main__":
    unittest.main()
