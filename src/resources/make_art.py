#!/usr/bin/env python3
"""Draws the program's bitmaps and icon: the splash tile BACKBMP, the open-folder glyph and the
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


def folder_glyph(x, y):
    back = (255, 0, 255)  # bottom-left pixel: the transparent colour
    if 2 <= x <= 7 and 3 <= y <= 4:
        return (0xC8, 0x98, 0x20)  # tab
    if 1 <= x <= 14 and 5 <= y <= 13:
        edge = x in (1, 14) or y in (5, 13)
        return (0x90, 0x68, 0x10) if edge else (0xF0, 0xC8, 0x48)
    return back


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
    (folder / "OpenGlyph.bmp").write_bytes(bmp24(16, 16, folder_glyph))
    (folder / "VardenoView.ico").write_bytes(ico([16, 32, 48]))


if __name__ == "__main__":
    main()
