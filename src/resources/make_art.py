#!/usr/bin/env python3
"""Draws the program's bitmaps and icon: the splash tile BACKBMP, the tool-button glyphs and the
program icon. Run it to regenerate the committed files after changing a drawing:
    python3 src/resources/make_art.py src/resources
Only the standard library is used."""
import math
import struct
import sys
from pathlib import Path


def bmp24(width, height, pixel):
    """A bottom-up 24-bit BMP; pixel(x, y) gives (r, g, b) with y counted from the top."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    return header + info + bits


def tile(x, y):
    # A woven pattern of two muted blues. Every channel stays within 0x30..0xCF so that the
    # splash's bevel (adding or taking 0x303030 from the whole colour value) never carries
    # from one channel into the next.
    u, v = (x + y) % 32, (x - y) % 32
    over = (u < 16) == (v < 16)
    shade = 0.5 + 0.5 * math.sin((u if over else v) / 16 * math.pi)
    base = (0x4C, 0x68, 0x8C) if over else (0x3C, 0x58, 0x7A)
    return tuple(min(0xCF, max(0x30, int(c + 0x28 * shade))) for c in base)


# Tool-button glyphs, 16 x 16, drawn as character art. "." is the transparent colour (the
# bottom-left pixel must be transparent); the other characters name colours.
GLYPH_COLOURS = {
    ".": (255, 0, 255),
    "k": (0x20, 0x20, 0x20),  # outline
    "y": (0xF0, 0xC8, 0x48),  # folder
    "o": (0x90, 0x68, 0x10),  # folder edge
    "b": (0x30, 0x60, 0xC0),  # blue
    "l": (0xA8, 0xC8, 0xF0),  # light blue
    "g": (0x30, 0x90, 0x40),  # green
    "r": (0xC0, 0x30, 0x30),  # red
    "w": (0xFF, 0xFF, 0xFF),
    "s": (0xA0, 0xA0, 0xA0),  # grey
    "d": (0x60, 0x60, 0x60),  # dark grey
    "n": (0xB0, 0x80, 0x50),  # brown (archive box)
    "m": (0x70, 0x48, 0x20),  # dark brown
}

GLYPHS = {
    # An archive: a tied parcel.
    "GlyphOpenArchive": """
................
................
...mmmmmmmmmm...
..mnnnnnnnnnnm..
.mnnnnnyynnnnnm.
.mmmmmmyymmmmmm.
.mnnnnnyynnnnnm.
.mnnnnnyynnnnnm.
.mnnnnyyyynnnnm.
.mnnnnnyynnnnnm.
.mnnnnnyynnnnnm.
.mnnnnnyynnnnnm.
.mnnnnnyynnnnnm.
.mmmmmmmmmmmmmm.
................
................""",
    # A folder, open.
    "GlyphOpenFolder": """
................
................
..ooooo.........
.oyyyyyo........
.oyyyyyoooooooo.
.oyyyyyyyyyyyyo.
.oyyoooooooooooo
.oyoyyyyyyyyyyyo
.ooyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyo..
.ooooooooooooo..
................
................
................
................""",
    # A folder with a green arrow into it.
    "GlyphSaveToFolder": """
..........g.....
..........gg....
.......ggggggg..
..........gg....
..ooooo...g.....
.oyyyyyo........
.oyyyyyoooooooo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oooooooooooooo.
................
................""",
    # A picture with a green arrow: convert to a bitmap.
    "GlyphSaveBitmap": """
..........g.....
..........gg....
.......ggggggg..
..........gg....
.kkkkkkkkkg.....
.kllllllllk.....
.kllllyylllk....
.klllyyyyllk....
.kllllyylllk....
.kllllllllllk...
.kllgllllllk....
.klgggllgllk....
.kgggggggggk....
.kggggggggggk...
.kkkkkkkkkkkk...
................""",
    # A floppy disk: the save folder.
    "GlyphSaveToSaveFolder": """
................
.kkkkkkkkkkkkk..
.kbwwwwwwwwwbk..
.kbwwwwwwwwwbk..
.kbwwwwwwwwwbk..
.kbwwwwwwwwwbk..
.kbbbbbbbbbbbk..
.kbbbbbbbbbbbk..
.kbbssssssbbbk..
.kbbsdssssbbbk..
.kbbsdssssbbbk..
.kbbssssssbbbk..
.kkkkkkkkkkkkk..
................
................
................""",
    # A floppy disk with a picture.
    "GlyphBitmapToSaveFolder": """
................
.kkkkkkkkkkkkk..
.kbwwwwwwwwwbk..
.kbwwwwyywwwbk..
.kbwwwyyyywwbk..
.kbwgwwyywwwbk..
.kbgggwwgwwwbk..
.kbggggggggbbk..
.kbbssssssbbbk..
.kbbsdssssbbbk..
.kbbsdssssbbbk..
.kbbssssssbbbk..
.kkkkkkkkkkkkk..
................
................
................""",
    # A window with a tree pane: the filer.
    "GlyphFiler": """
................
.kkkkkkkkkkkkkk.
.kbbbbbbbbbbbbk.
.kkkkkkkkkkkkkk.
.kwwwwkwwwwwwwk.
.kwyywkwsswssk..
.kwwywkwwwwwwwk.
.kwwyykwsswsswk.
.kwwwwkwwwwwwwk.
.kwwyykwsswsswk.
.kwwwwkwwwwwwwk.
.kwwwwkwwwwwwwk.
.kkkkkkkkkkkkkk.
................
................
................""",
    # A door with a red arrow out: exit.
    "GlyphExit": """
................
....kkkkkkkkk...
....knnnnnnnk...
....knnnnnnnk...
....knnnnnnnk...
..r.knnnnnnnk...
.rr.knnnnnynk...
rrrrrnnnnnnnk...
.rr.knnnnnnnk...
..r.knnnnnnnk...
....knnnnnnnk...
....knnnnnnnk...
....kkkkkkkkk...
................
................
................""",
    # A folder with an arrow up.
    "GlyphUpFolder": """
................
................
..ooooo.........
.oyyyyyo........
.oyyyyyoooooooo.
.oyyyyyygyyyyyo.
.oyyyyyggg.yyyo.
.oyyyyggggg.yyo.
.oyyyyyyggyyyyo.
.oyyyyyyggyyyyo.
.oyyyyyyggggyyo.
.oyyyyyyyyyyyyo.
.oooooooooooooo.
................
................
................""",
    # A folder with a star: new folder.
    "GlyphNewFolder": """
...........y....
.........y.y.y..
..........yyy...
..ooooo..yyyyy..
.oyyyyyo..yyy...
.oyyyyyoooy.yoo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oyyyyyyyyyyyyo.
.oooooooooooooo.
................
................
................""",
    # Small icons in rows: the list view.
    "GlyphViewList": """
................
................
..bb.kkkk.......
..bb............
................
..bb.kkkk.......
..bb............
................
..bb.kkkk.......
..bb............
................
..bb.kkkk.......
..bb............
................
................
................""",
    # Arrows up and down: the list's move buttons.
    "GlyphListOperation": """
................
.......k........
......kbk.......
.....kbbbk......
....kbbbbbk.....
...kkkbbbkkk....
.....kbbbk......
.....kkkkk......
.....kkkkk......
.....kbbbk......
...kkkbbbkkk....
....kbbbbbk.....
.....kbbbk......
......kbk.......
.......k........
................""",
    # Lines with columns: the details view.
    "GlyphViewDetails": """
................
................
.bb.kkkkk.ss.ss.
.bb.............
................
.bb.kkkkk.ss.ss.
.bb.............
................
.bb.kkkkk.ss.ss.
.bb.............
................
.bb.kkkkk.ss.ss.
.bb.............
................
................
................""",
}


def glyph_pixel(art):
    rows = [r for r in art.strip("\n").split("\n")]
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), art
    return lambda x, y: GLYPH_COLOURS[rows[y][x]]


def icon_pixel(size):
    def pixel(x, y):
        # A rounded blue square holding a picture: a sun above two hills.
        s = size / 32
        corner = 5 * s
        cx = min(max(x + 0.5, corner), size - corner)
        cy = min(max(y + 0.5, corner), size - corner)
        if math.hypot(x + 0.5 - cx, y + 0.5 - cy) > corner:
            return None
        inset = 4 * s
        if not (inset <= x < size - inset and inset <= y < size - inset):
            return (0x20, 0x50, 0xA0)
        fx, fy = (x + 0.5) / size, (y + 0.5) / size
        if math.hypot(fx - 0.68, fy - 0.32) < 0.09:
            return (0xF8, 0xD0, 0x30)
        hill1 = 0.78 - 0.30 * math.exp(-((fx - 0.35) / 0.18) ** 2)
        hill2 = 0.80 - 0.20 * math.exp(-((fx - 0.72) / 0.15) ** 2)
        if fy > hill1:
            return (0x30, 0x90, 0x40)
        if fy > hill2:
            return (0x50, 0xB0, 0x58)
        return (0xD8, 0xEC, 0xFC)
    return pixel


def icon_image(size):
    """One icon image: a 32-bit BGRA DIB (bottom-up) followed by its AND mask."""
    pixel = icon_pixel(size)
    xor = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        mask_row = bytearray(mask_stride)
        for x in range(size):
            p = pixel(x, y)
            if p is None:
                xor += bytes((0, 0, 0, 0))
                mask_row[x // 8] |= 0x80 >> (x % 8)
            else:
                xor += bytes((p[2], p[1], p[0], 255))
        mask += mask_row
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
    (folder / "BackBmp.bmp").write_bytes(bmp24(64, 64, tile))
    (folder / "VardenoView.ico").write_bytes(ico([16, 32, 48]))
    for name, art in GLYPHS.items():
        (folder / f"{name}.bmp").write_bytes(bmp24(16, 16, glyph_pixel(art)))


if __name__ == "__main__":
    main()
