"""Review sheets of the pictures (make_pictures.py OUTDIR --sheet FILE): a contact sheet of every
bitmap, and the options screen and a question box drawn with the skins at their layout places.
They are for a person to look at; the program never loads them."""

from make_pictures import PAGE_HEIGHT, PAGE_WIDTH, WHITE, _pil


def _font(size, bold=False):
    from PIL import ImageFont
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    try:
        return ImageFont.truetype(f"/usr/share/fonts/truetype/dejavu/{name}", size)
    except OSError:
        return ImageFont.load_default()


def three_slice(image, width, height):
    """The toolkit's drawing of a skin at another width, to review skins as they will look."""
    Image, _, _ = _pil()
    w, h = image.size
    half = w // 2
    out = Image.new("RGB", (width, height))
    left = image.crop((0, 0, half, h)).resize((half, height), Image.Resampling.NEAREST)
    mid = image.crop((half, 0, half + 1, h)).resize((max(width - 2 * half, 0), height),
                                                     Image.Resampling.NEAREST)
    right = image.crop((half + 1, 0, half + 1 + half, h)).resize((half, height),
                                                                 Image.Resampling.NEAREST)
    out.paste(left, (0, 0))
    if mid.size[0]:
        out.paste(mid, (half, 0))
    out.paste(right, (width - half, 0))
    return out


def keyed(page, image, x, y):
    """Draws `image` with white as the transparent key colour."""
    from PIL import ImageChops
    rgb = image.convert("RGB")
    r, g, b = (band.point(lambda v: 255 if v == 255 else 0) for band in rgb.split())
    white = ImageChops.multiply(ImageChops.multiply(r, g), b)
    page.paste(rgb, (x, y), ImageChops.invert(white))


def contact_sheet(images, path):
    Image, ImageDraw, _ = _pil()
    bitmaps = [(n, im) for n, im in images.items() if n.startswith("bitmap")]
    zoom, cell_w, cell_h, cols = 3, 190, 190, 8
    rows = (len(bitmaps) + 2 + cols - 1) // cols
    sheet = Image.new("RGB", (cols * cell_w, rows * cell_h + 380), (0xE9, 0xEC, 0xEB))
    d = ImageDraw.Draw(sheet)
    small = _font(12)
    for k, (name, im) in enumerate(bitmaps + [(n, images[n]) for n in
                                              ("icon101.ico", "cursor220.cur")]):
        x, y = (k % cols) * cell_w + 8, (k // cols) * cell_h + 8
        d.text((x, y), f"{name} {im.size[0]}x{im.size[1]}", fill=(0, 0, 0), font=small)
        base = Image.new("RGB", (cell_w - 16, 70), WHITE)
        base.paste(im.convert("RGB") if im.mode != "RGBA" else im, (4, 4),
                   im if im.mode == "RGBA" else None)
        sheet.paste(base, (x, y + 18))
        big = im.resize((im.size[0] * zoom, im.size[1] * zoom), Image.Resampling.NEAREST)
        big = big.crop((0, 0, min(big.size[0], cell_w - 16), min(big.size[1], 90)))
        holder = Image.new("RGB", big.size, (0xF5, 0xF5, 0xF5))
        holder.paste(big.convert("RGB"), (0, 0), big if big.mode == "RGBA" else None)
        sheet.paste(holder, (x, y + 92))
    y0 = rows * cell_h
    for k, name in enumerate(("background107.jpg", "background108.jpg")):
        sheet.paste(images[name].resize((480, 360), Image.Resampling.LANCZOS),
                    (k * 500 + 8, y0 + 10))
    sheet.save(path)


def mockup(images, path):
    """The options screen with every skin at its layout place, and a question box."""
    Image, ImageDraw, _ = _pil()
    bmp = {int(n[6:9]): im for n, im in images.items() if n.startswith("bitmap")}
    page = images["background107.jpg"].copy()
    d = ImageDraw.Draw(page)
    f1, f3, f4, f5, f7 = _font(27, True), _font(19, True), _font(16), _font(16, True), _font(18)
    grey, black, white = (0x66, 0x66, 0x66), (0, 0, 0), WHITE
    d.text((340, 21), "Welcome to Zembrico", fill=black, font=f1)
    d.text((340, 57), "The home of online poker", fill=grey, font=f3)
    d.text((340, 100), "Installation:", fill=black, font=f4)
    d.rounded_rectangle([646, 89, 945, 120], radius=5, outline=(0xB0, 0xB8, 0xB5), fill=WHITE)
    d.text((661, 96), "English", fill=grey, font=f4)
    keyed(page, bmp[250], 945 - 15 - 12, 89 + 12)
    for y, sel, text, sub in ((145, True, "Standard", " (Recommended)"),
                              (190, False, "Custom", " (Choose shortcut options and install folder)")):
        page.paste(bmp[256 if sel else 257], (340, y))
        d.text((375, y + 4), text, fill=black, font=f5)
        d.text((375 + d.textlength(text, font=f5), y + 4), sub, fill=grey, font=f4)
    for y, ident, text in ((235, 245, "Desktop shortcut"), (280, 248, "Quick launch shortcut"),
                           (325, 249, "Start menu shortcut"),
                           (370, 246, "Create shortcut for all users")):
        page.paste(bmp[ident], (370, y))
        d.text((402, y + 3), text, fill=black if ident != 246 else (0xC0, 0xC0, 0xC0), font=f4)
    d.text((370, 415), "Install location:", fill=black, font=f4)
    d.rectangle([370, 443, 759, 470], outline=(0xB0, 0xB8, 0xB5), fill=WHITE)
    d.text((378, 448), "C:\\Program Files (x86)\\Zembrico", fill=grey, font=f4)
    for x, y, w, h, skin, text, colour in ((780, 435, 160, 46, 223, "Browse...", black),
                                           (540, 654, 190, 46, 225, "Install", white)):
        page.paste(three_slice(bmp[skin], w, h), (x, y))
        tw = d.textlength(text, font=f5)
        d.text((x + (w - tw) / 2, y + 13), text, fill=colour, font=f5)
    d.text((370, 493), "Space required: 182.4 MB", fill=grey, font=f4)
    d.text((370, 523), "Space available: 41.7 GB", fill=grey, font=f4)
    page.paste(bmp[249], (340, 600))
    d.text((372, 603), "I agree to the terms of the", fill=grey, font=f4)
    d.text((372 + d.textlength("I agree to the terms of the ", font=f4), 603),
           "Zembrico licence agreement", fill=(0x08, 0x9B, 0x80), font=f5)
    page.paste(three_slice(bmp[255], 14, 14), (922, 26))
    op = "Operated by Zembrico Ltd"
    d.text(((320 - d.textlength(op, font=f7)) / 2, 135), op, fill=white, font=f7)
    for k, text in enumerate(("Trusted by millions", "Safe and secure", "Exclusive games",
                              "Unmatched prizes")):
        d.text((16, 593 + 30 * k), text, fill=white, font=f7)

    progress_page = images["background107.jpg"].copy()
    p = ImageDraw.Draw(progress_page)
    p.text((340, 21), "Installing...", fill=black, font=f1)
    p.text((340, 76), "Nearly there...", fill=grey, font=f3)
    progress_page.paste(three_slice(bmp[258], 600, 6), (340, 121))
    progress_page.paste(three_slice(bmp[259], 372, 6), (340, 121))
    box = Image.new("RGB", (360, 280), WHITE)
    b = ImageDraw.Draw(box)
    b.rectangle([0, 0, 359, 56], fill=(0xF5, 0xF5, 0xF5))
    b.rectangle([0, 0, 359, 279], outline=(0x80, 0x80, 0x80))
    b.text((120, 18), "Installing Zembrico", fill=black, font=f5)
    keyed(box, bmp[273], 360 - 25, 21)
    b.text((15, 76), "Are you sure you want to quit\nthe installation?", fill=black, font=f4)
    for y, skin, text, colour in ((280 - 126, 221, "Quit installation", black),
                                  (280 - 66, 225, "Continue installation", white)):
        box.paste(three_slice(bmp[skin], 320, 46), (20, y))
        b.text((20 + (320 - b.textlength(text, font=f5)) / 2, y + 13), text, fill=colour,
               font=f5)
    progress_page.paste(box, (480 - 180, 360 - 140))
    sheet = Image.new("RGB", (PAGE_WIDTH, PAGE_HEIGHT * 2 + 10), (0x40, 0x40, 0x40))
    sheet.paste(page, (0, 0))
    sheet.paste(progress_page, (0, PAGE_HEIGHT + 10))
    sheet.save(path)
