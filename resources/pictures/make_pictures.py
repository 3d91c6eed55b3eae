#!/usr/bin/python3
"""Generates every picture the setup program loads into one folder.

    make_pictures.py OUTDIR                  writes the pictures, and the masters at 200 %
    make_pictures.py --list                  prints their file names (no imaging library needed)
    make_pictures.py OUTDIR --sheet FILE     also writes a contact sheet and an options-screen
                                             mock-up (FILE and FILE with "-mockup" before .png)

Output is byte-for-byte the same on every run: no time stamps, no randomness. Shapes are drawn
at SS times the final size and box-filtered down, so edges are anti-aliased and flat areas keep
their exact colours (the toolkit draws some bitmaps with white as a transparent key colour).

The same drawings at twice the size are the masters the program scales down to the monitor's
factor: the backgrounds as JPEG files, the bitmaps packed into one LZMA block.
"""

import argparse
import io
import lzma
import math
import struct
import sys
from pathlib import Path

SS = 4  # supersampling factor
# Final pixels per drawing unit: 1 for the pictures, MASTER_PERCENT / 100 while the masters
# are drawn. Drawings address final-size units; Canvas.result() gives them at this factor.
OUT = 1
MASTER_PERCENT = 200

WHITE = (255, 255, 255)
INK = (0x1F, 0x26, 0x24)            # graphite: glyphs, arrows
MUTED = (0x6B, 0x74, 0x71)          # resting glyphs
BORDER = (0x9C, 0xA6, 0xA3)         # resting control borders
BORDER_SOFT = (0xBA, 0xC3, 0xC0)    # resting button border
TEAL = (0x08, 0x9B, 0x80)           # the wizard's link colour; hover accents
TEAL_DEEP = (0x07, 0x73, 0x5F)      # primary face, checked boxes
TEAL_PRESS = (0x05, 0x5E, 0x4E)
PRIMARY_HOVER = ((0x0E, 0x8E, 0x75), (0x09, 0x7B, 0x66))
TINT_HOVER = (0xF0, 0xF8, 0xF6)
TINT_PRESS = (0xDD, 0xEE, 0xEA)
DISABLED_FACE = (0xF3, 0xF4, 0xF4)
DISABLED_LINE = (0xD6, 0xDA, 0xD9)
DISABLED_FILL = (0xB3, 0xC8, 0xC2)  # disabled primary face and checked marks
PANEL_TOP = (0x11, 0x3B, 0x32)      # brand panel, deep green
PANEL_BOTTOM = (0x07, 0x1F, 0x1A)
GRAPHITE_TOP = (0x2E, 0x34, 0x38)   # brand panel of the Belgian variant
GRAPHITE_BOTTOM = (0x17, 0x1B, 0x1E)
GOLD = (0xD6, 0xA8, 0x55)           # warm accent
GOLD_LIGHT = (0xF0, 0xCF, 0x8A)
CREAM = (0xF7, 0xEC, 0xD4)

PANEL_WIDTH = 320  # the operator line and the four small labels stand left of x = 320
PAGE_WIDTH, PAGE_HEIGHT = 960, 720


# --- drawing helpers -----------------------------------------------------------------------

def _pil():
    from PIL import Image, ImageDraw, ImageFilter
    return Image, ImageDraw, ImageFilter


class Canvas:
    """An RGBA drawing surface addressed in final-size pixels (floats), stored supersampled."""

    def __init__(self, width, height, background, scale=SS):
        Image, ImageDraw, _ = _pil()
        self.width, self.height, self.scale = width, height, scale
        alpha = 0 if background is None else 255
        colour = (0, 0, 0) if background is None else background
        self.image = Image.new("RGBA", (width * scale, height * scale), colour + (alpha,))
        self.draw = ImageDraw.Draw(self.image)

    def box(self, x0, y0, x1, y1):
        s = self.scale
        return [round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1]

    def pt(self, x, y):
        return (round(x * self.scale), round(y * self.scale))

    def rrect(self, x0, y0, x1, y1, radius, fill):
        self.draw.rounded_rectangle(self.box(x0, y0, x1, y1), radius=round(radius * self.scale),
                                    fill=fill + (255,))

    def framed_rrect(self, x0, y0, x1, y1, radius, line, face, width):
        self.rrect(x0, y0, x1, y1, radius, line)
        self.rrect(x0 + width, y0 + width, x1 - width, y1 - width, max(radius - width, 0), face)

    def circle(self, cx, cy, r, fill):
        self.draw.ellipse(self.box(cx - r, cy - r, cx + r, cy + r), fill=fill + (255,))

    def stroke(self, points, width, colour):
        """A polyline with round joints and caps."""
        pts = [self.pt(x, y) for x, y in points]
        w = round(width * self.scale)
        self.draw.line(pts, fill=colour + (255,), width=w, joint="curve")
        for x, y in points:
            self.circle(x, y, width / 2, colour)

    def gradient_rrect(self, x0, y0, x1, y1, radius, top, bottom):
        Image, ImageDraw, _ = _pil()
        box = self.box(x0, y0, x1, y1)
        w, h = box[2] - box[0] + 1, box[3] - box[1] + 1
        ramp = vertical_gradient(w, h, top, bottom)
        mask = Image.new("L", (w, h), 0)
        ImageDraw.Draw(mask).rounded_rectangle([0, 0, w - 1, h - 1],
                                               radius=round(radius * self.scale), fill=255)
        self.image.paste(ramp, (box[0], box[1]), mask)

    def overlay(self, paint, opacity):
        """Runs `paint(canvas)` on a clear layer and blends it in at `opacity`."""
        Image, _, _ = _pil()
        layer = Canvas(self.width, self.height, None, self.scale)
        paint(layer)
        alpha = layer.image.getchannel("A").point(lambda a: a * opacity)
        layer.image.putalpha(alpha)
        self.image = Image.alpha_composite(self.image, layer.image)
        self.draw = _pil()[1].Draw(self.image)

    def result(self, mode="RGB"):
        Image, _, _ = _pil()
        small = self.image.resize((self.width * OUT, self.height * OUT), Image.Resampling.BOX)
        return small if mode == "RGBA" else small.convert(mode)


def vertical_gradient(width, height, top, bottom):
    Image, _, _ = _pil()
    column = Image.new("RGB", (1, height))
    for y in range(height):
        t = y / max(height - 1, 1)
        column.putpixel((0, y), tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
    return column.resize((width, height), Image.Resampling.NEAREST)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


# --- bitmaps ---------------------------------------------------------------------------------

# Three-slice skins: the toolkit draws w/2 columns at the left, stretches column w/2 over the
# middle and draws w/2 columns from column w/2 + 1 at the right. An odd width makes the three
# slices cover the bitmap exactly, so every skin width below is odd.
SLICE_WIDTH = 41


def button(height, radius, state, primary):
    w = SLICE_WIDTH
    c = Canvas(w, height, WHITE)
    if primary:
        faces = {
            "normal": ((0x0C, 0x86, 0x6F), TEAL_DEEP),
            "hover": PRIMARY_HOVER,
            "pressed": (TEAL_PRESS, (0x06, 0x66, 0x55)),
            "disabled": (DISABLED_FILL, DISABLED_FILL),
        }
        top, bottom = faces[state]
        c.gradient_rrect(0, 0, w, height, radius, top, bottom)
        if state in ("normal", "hover"):
            # a one-pixel darker base gives the face a little weight on the white page
            c.overlay(lambda l: l.rrect(0, height - radius * 2, w, height, radius, TEAL_PRESS), 0.6)
            c.gradient_rrect(0, 0, w, height - 1, radius, top, bottom)
    else:
        looks = {
            "normal": (BORDER_SOFT, WHITE, (0xF3, 0xF5, 0xF4)),
            "hover": (TEAL, TINT_HOVER, (0xE8, 0xF3, 0xF0)),
            "pressed": (TEAL_DEEP, TINT_PRESS, TINT_PRESS),
            "disabled": (DISABLED_LINE, DISABLED_FACE, DISABLED_FACE),
        }
        line, top, bottom = looks[state]
        c.rrect(0, 0, w, height, radius, line)
        c.gradient_rrect(1, 1, w - 1, height - 1, radius - 1, top, bottom)
    return c.result()


def focused_default():
    """The default skin's hover face with a light inner ring marking the keyboard focus."""
    c = Canvas(SLICE_WIDTH, 34, WHITE)
    c.gradient_rrect(0, 0, SLICE_WIDTH, 34, 5, *PRIMARY_HOVER)
    c.overlay(lambda l: l.draw.rounded_rectangle(l.box(2, 2, SLICE_WIDTH - 2, 32),
                                                 radius=round(3.5 * l.scale),
                                                 outline=WHITE + (255,), width=l.scale), 0.5)
    return c.result()


def check_box(checked, state):
    """24 x 24: the toolkit stretches the square to the control's height, 24 in the layout."""
    c = Canvas(24, 24, WHITE)
    if checked:
        face = {"normal": TEAL_DEEP, "hover": (0x0C, 0x8C, 0x73),
                "pressed": TEAL_PRESS, "disabled": DISABLED_FILL}[state]
        c.rrect(2, 2, 22, 22, 4, face)
        c.stroke([(7.0, 12.4), (10.6, 16.0), (17.2, 8.6)], 2.2, WHITE)
    else:
        line, face = {"normal": (BORDER, WHITE), "hover": (TEAL, TINT_HOVER),
                      "pressed": (TEAL_DEEP, TINT_PRESS),
                      "disabled": (DISABLED_LINE, DISABLED_FACE)}[state]
        c.framed_rrect(2, 2, 22, 22, 4, line, face, 1.5)
    return c.result()


def radio(selected, state):
    """27 x 27, the height of a radio row in the layout."""
    c = Canvas(27, 27, WHITE)
    cx = cy = 13.5
    if selected:
        ring = {"normal": TEAL_DEEP, "hover": (0x0C, 0x8C, 0x73),
                "pressed": TEAL_PRESS, "disabled": DISABLED_FILL}[state]
        c.circle(cx, cy, 11, ring)
        c.circle(cx, cy, 9, WHITE if state != "pressed" else TINT_PRESS)
        c.circle(cx, cy, 5, ring)
    else:
        line, face = {"normal": (BORDER, WHITE), "hover": (TEAL, TINT_HOVER),
                      "pressed": (TEAL_DEEP, TINT_PRESS)}[state]
        c.circle(cx, cy, 11, line)
        c.circle(cx, cy, 9.5, face)
    return c.result()


def arrow(up):
    """Drop-down arrow, drawn by the toolkit with white as the key colour."""
    c = Canvas(12, 8, WHITE)
    if up:
        c.stroke([(1.5, 6.0), (6.0, 1.8), (10.5, 6.0)], 1.8, TEAL_DEEP)
    else:
        c.stroke([(1.5, 2.0), (6.0, 6.2), (10.5, 2.0)], 1.8, INK)
    return c.result()


def close_glyph(state):
    """13 x 14. Image-only with white key colour in the message box header; three-sliced in
    the wizard's 14 x 14 button, where the middle column is drawn twice."""
    c = Canvas(13, 14, WHITE)
    cx, cy = 6.5, 7.0
    if state != "normal":
        c.circle(cx, cy, 6.5, (0xE6, 0xEE, 0xEB) if state == "hover" else (0xD2, 0xDE, 0xDA))
    colour = MUTED if state == "normal" else INK
    arm = 3.2
    c.stroke([(cx - arm, cy - arm), (cx + arm, cy + arm)], 1.6, colour)
    c.stroke([(cx - arm, cy + arm), (cx + arm, cy - arm)], 1.6, colour)
    return c.result()


def progress(kind):
    """13 x 6, three-sliced over the 600 x 6 bar."""
    c = Canvas(13, 6, WHITE)
    if kind == "track":
        c.rrect(0, 0, 13, 6, 3, (0xE3, 0xE8, 0xE6))
    elif kind == "fill":
        c.gradient_rrect(0, 0, 13, 6, 3, (0x12, 0xA8, 0x8A), TEAL_DEEP)
    else:
        c.gradient_rrect(0, 0, 13, 6, 3, GOLD_LIGHT, GOLD)
    return c.result()


def focus_ring():
    """24 x 24 focus mark around a check box or radio square; white is the key colour."""
    c = Canvas(24, 24, WHITE)
    c.framed_rrect(0, 0, 24, 24, 6, (0x9F, 0xD6, 0xCA), WHITE, 1.5)
    return c.result()


# --- backgrounds -------------------------------------------------------------------------------

def z_mark(c, cx, cy, size, colour):
    """The brand's Z: two bars joined by a diagonal, drawn as one polygon."""
    h = size
    w = size * 0.82
    bar = size * 0.2
    x0, y0 = cx - w / 2, cy - h / 2
    x1, y1 = cx + w / 2, cy + h / 2
    pts = [(x0, y0), (x1, y0), (x1, y0 + bar), (x0 + bar * 1.25, y1 - bar),
           (x1, y1 - bar), (x1, y1), (x0, y1), (x0, y1 - bar), (x1 - bar * 1.25, y0 + bar),
           (x0, y0 + bar)]
    c.draw.polygon([c.pt(x, y) for x, y in pts], fill=colour + (255,))


def chip_emblem(c, cx, cy, r, field):
    """A poker chip: gold rim with cream inserts, an inner ring, the Z in the middle."""
    c.circle(cx, cy, r, GOLD)
    for i in range(8):
        a = i * math.pi / 4 + math.pi / 8
        pts = [(cx + rr * math.cos(a + da), cy + rr * math.sin(a + da))
               for da, rr in ((-0.17, r * 0.95), (0.17, r * 0.95), (0.2, r * 0.78),
                              (-0.2, r * 0.78))]
        c.draw.polygon([c.pt(x, y) for x, y in pts], fill=CREAM + (255,))
    c.circle(cx, cy, r * 0.72, GOLD_LIGHT)
    c.circle(cx, cy, r * 0.67, field)
    z_mark(c, cx, cy, r * 0.62, GOLD_LIGHT)


def square_emblem(c, cx, cy, r, field):
    c.rrect(cx - r, cy - r, cx + r, cy + r, r * 0.28, GOLD)
    c.rrect(cx - r + 3, cy - r + 3, cx + r - 3, cy + r - 3, r * 0.22, field)
    z_mark(c, cx, cy, r * 0.9, GOLD_LIGHT)


def radial_glow(size, strength):
    """An L mask: `strength` at the centre fading smoothly to 0 at the rim."""
    Image, _, _ = _pil()
    ramp = Image.radial_gradient("L").point(lambda v: round(max(0, 255 - v * 1.42) * strength))
    return ramp.resize((size, size), Image.Resampling.BILINEAR)


def brand_panel(belgian):
    """The left panel, 320 x 720: emblem at the top, the operator line under it at y = 135,
    a quiet pattern in the middle and a darker, plain band behind the four small labels."""
    Image, _, _ = _pil()
    top, bottom = (GRAPHITE_TOP, GRAPHITE_BOTTOM) if belgian else (PANEL_TOP, PANEL_BOTTOM)
    scale = 2
    c = Canvas(PANEL_WIDTH, PAGE_HEIGHT, WHITE, scale=scale)
    c.image.paste(vertical_gradient(PANEL_WIDTH * scale, PAGE_HEIGHT * scale, top, bottom),
                  (0, 0))
    glow = radial_glow(560 * scale, 0.16)
    c.image.paste(mix(top, WHITE, 0.35) + (255,), ((160 - 280) * scale, (70 - 280) * scale),
                  glow)

    def rings(layer):
        cx, cy = 300, 420
        for r, w in ((210, 3), (172, 1.5), (128, 1.5)):
            layer.draw.ellipse(layer.box(cx - r, cy - r, cx + r, cy + r),
                               outline=WHITE + (255,), width=round(w * layer.scale))
        for i in range(12):
            a = i * math.pi / 6
            layer.stroke([(cx + 180 * math.cos(a), cy + 180 * math.sin(a)),
                          (cx + 202 * math.cos(a), cy + 202 * math.sin(a))], 6, WHITE)

    def facets(layer):
        for i in range(-6, 10):
            x = i * 56
            layer.stroke([(x, 720), (x + 380, 180)], 1.2, WHITE)

    c.overlay(facets if belgian else rings, 0.05)
    band_height = 200
    band = vertical_gradient(PANEL_WIDTH * scale, band_height * scale, bottom,
                             mix(bottom, (0, 0, 0), 0.25))
    fade = vertical_gradient(PANEL_WIDTH * scale, band_height * scale, (0, 0, 0),
                             WHITE).convert("L")
    c.image.paste(band, (0, (PAGE_HEIGHT - band_height) * scale), fade)
    field = mix(top, bottom, 0.1)
    if belgian:
        square_emblem(c, 160, 68, 36, field)
    else:
        chip_emblem(c, 160, 68, 42, field)
    c.rrect(136, 120, 184, 122, 1, GOLD)  # a short rule between emblem and operator line
    return c.result()


def background(variant):
    """960 x 720: the brand panel left of x = 320 where white text stands, plain white on the
    right where the options, the buttons (which fill their corners white) and the close
    button stand, and a thin warm line between them."""
    Image, ImageDraw, _ = _pil()
    page = Image.new("RGB", (PAGE_WIDTH * OUT, PAGE_HEIGHT * OUT), WHITE)
    page.paste(brand_panel(variant in (108, 118)), (0, 0))
    ImageDraw.Draw(page).rectangle([(PANEL_WIDTH - 2) * OUT, 0, PANEL_WIDTH * OUT - 1,
                                    PAGE_HEIGHT * OUT - 1], fill=GOLD)
    return page


# --- icon and cursor -------------------------------------------------------------------------

def icon_image(size):
    c = Canvas(size, size, None, scale=8)
    r = size / 2 - max(size / 32, 0.5)
    if size <= 16:
        c.circle(size / 2, size / 2, r, GOLD)
        c.circle(size / 2, size / 2, r - 1.6, PANEL_TOP)
        z_mark(c, size / 2, size / 2, r * 0.95, GOLD_LIGHT)
    else:
        chip_emblem(c, size / 2, size / 2, r, PANEL_TOP)
    return c.result("RGBA")


def hand_cursor(size=32):
    """`size` x `size` pointing hand (drawn on a grid of 32), white with a black outline; the
    hot spot is the fingertip."""
    Image, ImageDraw, ImageFilter = _pil()
    s = 8 * size // 32
    mask = Image.new("L", (32 * s, 32 * s), 0)
    d = ImageDraw.Draw(mask)

    def rr(x0, y0, x1, y1, r):
        d.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=r * s, fill=255)

    rr(9, 1, 14, 19, 2.5)          # index finger
    rr(13, 9, 18, 20, 2.5)         # middle
    rr(17, 10, 22, 21, 2.5)        # ring
    rr(21, 12, 26, 22, 2.5)        # little finger
    rr(9, 14, 26, 28, 4)           # palm
    d.polygon([(4 * s, 17 * s), (7 * s, 14.5 * s), (12 * s, 20 * s), (10 * s, 25 * s)], fill=255)
    d.ellipse([3.5 * s, 14.5 * s, 7.5 * s, 18.5 * s], fill=255)
    outline = mask.filter(ImageFilter.MaxFilter(2 * s + 1))
    body = Image.new("RGBA", mask.size, (0, 0, 0, 0))
    body.paste((0, 0, 0, 255), (0, 0), outline)
    body.paste((255, 255, 255, 255), (0, 0), mask)
    seams = ImageDraw.Draw(body)
    for x in (13.5, 17.5, 21.5):
        seams.line([(x * s, 13 * s), (x * s, 18 * s)], fill=(0, 0, 0, 255), width=s)
    return body.resize((size, size), Image.Resampling.BOX), (11 * size // 32, 0)


def dib_entry(image):
    """An icon or cursor image as a 32-bit DIB with its AND mask, as Windows stores them."""
    w, h = image.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(h)):
        for x in range(w):
            r, g, b, a = image.getpixel((x, y))
            rows.append(bytes((b, g, r, a)))
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if image.getpixel((x, y))[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + b"".join(rows) + bytes(mask)


def icon_file(entries, kind, hotspots=None):
    """ICO (kind 1) or CUR (kind 2, with a hot spot per entry) container of (size, payload)
    entries."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for i, (size, data) in enumerate(entries):
        dim = 0 if size >= 256 else size
        a, b = (1, 32) if kind == 1 else hotspots[i]
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, a, b, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in entries)


def png_bytes(image):
    buffer = io.BytesIO()
    image.save(buffer, "PNG", optimize=False)
    return buffer.getvalue()


# --- the catalogue -----------------------------------------------------------------------------

STATES = ("normal", "pressed", "hover", "disabled")

# Skins: ids of the normal, pressed, hover-or-focus and disabled faces (None: the skin reuses
# another face for that state), how a face is drawn, and what the skin is for.
SKINS = [
    ((210, 211, 213, 218), lambda s: button(34, 5, s, True), "default skin, white text"),
    ((214, 215, 216, 219), lambda s: button(34, 5, s, False), "default light skin"),
    ((221, 222, 223, 224), lambda s: button(46, 6, s, False), "browse / first message-box button"),
    ((225, 226, 227, 228), lambda s: button(46, 6, s, True), "primary / second message-box button"),
    ((245, 247, 248, 246), lambda s: check_box(True, s), "check box, ticked"),
    ((249, 252, 253, 251), lambda s: check_box(False, s), "check box, clear"),
    ((256, 262, 261, 263), lambda s: radio(True, s), "radio button, selected"),
    ((257, 265, 264, None), lambda s: radio(False, s), "radio button, clear (normal also disabled)"),
    ((255, 274, 273, None), close_glyph, "close button (white key)"),
]

SINGLES = [
    (217, focused_default, "default skin: focused (spare)"),
    (250, lambda: arrow(False), "drop-down arrow, list closed (white key)"),
    (254, lambda: arrow(True), "drop-down arrow, list open (white key)"),
    (258, lambda: progress("track"), "progress bar track"),
    (259, lambda: progress("fill"), "progress bar fill"),
    (260, lambda: progress("done"), "progress bar fill, warm accent (spare)"),
    (271, focus_ring, "focus mark of a check box or radio square (white key, spare)"),
]


def _bitmaps():
    """(id, maker, use) for every bitmap resource, by id."""
    b = list(SINGLES)
    for ids, draw, use in SKINS:
        b += [(i, lambda d=draw, s=state: d(s), f"{use}: {state}")
              for i, state in zip(ids, STATES) if i is not None]
    return sorted(b, key=lambda t: t[0])


def catalogue():
    """(file name, resource, writer or None, use) for every output; writer(path) makes it."""
    items = [(f"background{v}.jpg", f"ZB/{v}", v, "wizard background"
              + (" (Belgian variant)" if v in (108, 118) else "")
              + (f" at {MASTER_PERCENT} %" if v in MASTER_BACKGROUNDS else ""))
             for v in (107, 108) + MASTER_BACKGROUNDS]
    items += [(f"bitmap{i}.bmp", f"bitmap {i}", make, use) for i, make, use in _bitmaps()]
    items.append(("icon101.ico", "icon 101", "icon", "program and window icon"))
    items.append(("cursor220.cur", "cursor 220", "cursor", "hand cursor over links"))
    items.append((f"bitmaps{MASTER_PERCENT}.bin", f"ZB/{MASTER_BITMAPS}", "masters",
                  f"every bitmap at {MASTER_PERCENT} %, LZMA-packed"))
    return items


# The masters' resources: the backgrounds 107 and 108 at MASTER_PERCENT are 117 and 118.
MASTER_BACKGROUNDS = (117, 118)
MASTER_BITMAPS = 119


class drawn_at:
    """Within it, drawings come out at `percent` of their size."""

    def __init__(self, percent):
        self.factor = percent // 100

    def __enter__(self):
        global OUT
        self.saved, OUT = OUT, self.factor

    def __exit__(self, *failure):
        global OUT
        OUT = self.saved


def packed_masters():
    """Every bitmap at MASTER_PERCENT, in the form the program unpacks: the unpacked size
    (u32), then one raw LZMA1 block (the properties byte 0x5D, the dictionary size (u32), the
    stream) of records: id (u32), width and height (u16 each), then the pixels as the program
    keeps pictures (rows bottom-up, each pixel blue, green, red, 0)."""
    records = bytearray()
    with drawn_at(MASTER_PERCENT):
        for ident, make, _ in _bitmaps():
            image = make().convert("RGB")
            width, height = image.size
            records += struct.pack("<IHH", ident, width, height)
            raw = image.tobytes("raw", "BGRX")
            stride = width * 4
            for y in reversed(range(height)):
                row = bytearray(raw[y * stride:(y + 1) * stride])
                row[3::4] = bytes(width)
                records += row
    dictionary = 1 << 20
    stream = lzma.compress(bytes(records), format=lzma.FORMAT_RAW,
                           filters=[{"id": lzma.FILTER_LZMA1, "dict_size": dictionary,
                                     "lc": 3, "lp": 0, "pb": 2, "preset": 9}])
    return struct.pack("<IBI", len(records), 0x5D, dictionary) + stream


def write_all(outdir):
    outdir.mkdir(parents=True, exist_ok=True)
    images = {}
    for name, _, maker, _ in catalogue():
        path = outdir / name
        if maker in (107, 108) + MASTER_BACKGROUNDS:
            with drawn_at(MASTER_PERCENT if maker in MASTER_BACKGROUNDS else 100):
                image = background(maker)
            image.save(path, "JPEG", quality=92, subsampling=0, optimize=False,
                       progressive=False)
        elif maker == "masters":
            path.write_bytes(packed_masters())
            continue
        elif maker == "icon":
            sizes = [16, 32, 48, 256]
            icons = {s: icon_image(s) for s in sizes}
            entries = [(s, png_bytes(icons[s]) if s == 256 else dib_entry(icons[s]))
                       for s in sizes]
            path.write_bytes(icon_file(entries, 1))
            image = icons[48]
        elif maker == "cursor":
            image, hotspot = hand_cursor()
            large, large_hotspot = hand_cursor(32 * MASTER_PERCENT // 100)
            path.write_bytes(icon_file([(32, dib_entry(image)), (large.size[0], dib_entry(large))],
                                       2, [hotspot, large_hotspot]))
        else:
            image = maker()
            image.save(path, "BMP")
        images[name] = image
    return images


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir", nargs="?", type=Path)
    parser.add_argument("--list", action="store_true", help="print the output file names")
    parser.add_argument("--sheet", type=Path, help="also write review sheets to this PNG")
    args = parser.parse_args(argv)
    if args.list:
        print("\n".join(name for name, _, _, _ in catalogue()))
        return 0
    if args.outdir is None:
        parser.error("an output folder is needed")
    images = write_all(args.outdir)
    if args.sheet:
        from review_sheets import contact_sheet, mockup
        contact_sheet(images, args.sheet)
        mockup(images, args.sheet.with_name(args.sheet.stem + "-mockup.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
