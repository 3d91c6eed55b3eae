#!/usr/bin/python3
"""Checks the generated pictures against what the toolkit's drawing rules need."""

import lzma
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[3] / "resources" / "pictures" / "make_pictures.py"
sys.path.insert(0, str(SCRIPT.parent))

import make_pictures  # noqa: E402
import review_sheets  # noqa: E402
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
                         sorted(n for n in listed if n.startswith("bitmap") and n.endswith(".bmp")))

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
        # The masters (117, 118) are the same pictures at twice the size.
        for variant, factor in ((107, 1), (108, 1), (117, 2), (118, 2)):
            with Image.open(self.out / f"background{variant}.jpg") as jpeg:
                image = jpeg.copy()
                image.info["progressive"] = jpeg.info.get("progressive")
                image.format = jpeg.format
            self.assertEqual((image.format, image.size, image.mode),
                             ("JPEG", (960 * factor, 720 * factor), "RGB"))
            self.assertFalse(image.info.get("progressive"), variant)
            # white operator line and small labels stand on the panel
            for x, y in ((160, 150), (100, 600), (150, 700), (300, 300)):
                self.assertGreaterEqual(
                    contrast(image.getpixel((x * factor, y * factor)), (255, 255, 255)), 7,
                    (variant, x, y))
            # buttons and the close button fill their corners white: the page must be white there
            for x, y in ((923, 27), (540, 654), (729, 699), (780, 435), (939, 480), (340, 600),
                         (959, 0), (959, 719), (330, 360)):
                pixel = image.getpixel((x * factor + factor - 1, y * factor + factor - 1))
                self.assertTrue(all(v >= 252 for v in pixel), (variant, x, y))

    def masters(self):
        """{id: RGB image} of the packed bitmap masters, unpacked as the program does."""
        data = (self.out / "bitmaps200.bin").read_bytes()
        size, properties, dictionary = struct.unpack_from("<IBI", data)
        self.assertEqual(properties, 0x5D)
        records = lzma.decompress(data[9:], format=lzma.FORMAT_RAW, filters=[
            {"id": lzma.FILTER_LZMA1, "dict_size": dictionary, "lc": 3, "lp": 0, "pb": 2}])
        self.assertEqual(len(records), size)
        found, at = {}, 0
        while at < len(records):
            ident, width, height = struct.unpack_from("<IHH", records, at)
            at += 8
            pixels = records[at:at + width * height * 4]
            at += width * height * 4
            found[ident] = Image.frombytes("RGB", (width, height), pixels, "raw", "BGRX", 0, -1)
        return found

    def test_every_bitmap_has_a_master_of_the_same_drawing_at_twice_its_size(self):
        masters = self.masters()
        self.assertEqual(sorted(masters), ALL_BITMAPS)
        for ident in ALL_BITMAPS:
            small = self.bitmap(ident).convert("RGB")
            master = masters[ident]
            self.assertEqual(master.size, (small.width * 2, small.height * 2), ident)
            # Halved again it is the picture of 100 %, give or take the edges' shading.
            halved = master.resize(small.size, Image.Resampling.BOX)
            differences = [abs(a - b) for p, q in zip(halved.getdata(), small.getdata())
                           for a, b in zip(p, q)]
            self.assertLess(sum(differences) / len(differences), 6, ident)
        for ident in WHITE_KEYED:
            master = masters[ident]
            for corner in ((0, 0), (master.width - 1, 0), (0, master.height - 1)):
                self.assertEqual(master.getpixel(corner), (255, 255, 255), (ident, corner))

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
        self.assertEqual((kind, count), (2, 2))
        for i, side in enumerate((32, 64)):
            width, height, _, _, hot_x, hot_y, size, offset = struct.unpack_from(
                "<BBBBHHII", data, 6 + 16 * i)
            self.assertEqual((width, height), (side, side))
            cursor, hot_spot = make_pictures.hand_cursor(side)
            self.assertEqual((hot_x, hot_y), hot_spot)
            self.assertEqual(data[offset:offset + size], make_pictures.dib_entry(cursor))
            self.assertGreater(cursor.getpixel((hot_x, hot_y))[3], 0, side)
            above = [cursor.getpixel((x, y))[3] for x in range(side) for y in range(hot_y)]
            self.assertEqual(max(above, default=0), 0, "nothing of the hand above the hot spot")
        self.assertEqual(offset + size, len(data))

    def test_three_slice_drawing_keeps_the_corners(self):
        skin = self.bitmap(225).convert("RGB")
        wide = review_sheets.three_slice(skin, 320, 46)
        self.assertEqual(wide.getpixel((0, 0)), skin.getpixel((0, 0)))
        self.assertEqual(wide.getpixel((319, 45)), skin.getpixel((40, 45)))
        self.assertEqual(wide.getpixel((160, 23)), skin.getpixel((20, 23)))


if __name__ == "__main__":
    unittest.main()
