#!/usr/bin/env python3
"""Draws the installer's pictures from a few shapes and writes them as
resources: logo.bmp (117 x 226, 16 colours, RLE4-compressed) and
program.ico (32 x 32, 16 colours). Run it from anywhere; it writes next to
itself. Standard library only."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# 16-colour palette, RGB.
PALETTE = [
    (0x0b, 0x1d, 0x3a),  # 0 deep navy
    (0x0e, 0x25, 0x4a),  # 1
    (0x11, 0x2d, 0x5a),  # 2
    (0x14, 0x36, 0x6b),  # 3
    (0x17, 0x3f, 0x7c),  # 4
    (0x1b, 0x49, 0x8d),  # 5
    (0x1f, 0x53, 0x9e),  # 6
    (0x24, 0x5e, 0xaf),  # 7 bright blue
    (0xff, 0xff, 0xff),  # 8 white
    (0xc9, 0xd8, 0xee),  # 9 pale blue
    (0x7f, 0x9c, 0xc8),  # 10 muted blue
    (0xe8, 0xb9, 0x4a),  # 11 gold
    (0x00, 0x00, 0x00),  # 12 black
    (0x80, 0x80, 0x80),  # 13 grey
    (0xc0, 0xc0, 0xc0),  # 14 silver
    (0x2a, 0x6a, 0xc0),  # 15 light blue
]
NAVY, BLUE, WHITE, PALE, MUTED, GOLD = 0, 7, 8, 9, 10, 11


def inside(poly, x, y):
    """Point-in-polygon for the pixel centre (x + .5, y + .5)."""
    px, py = x + 0.5, y + 0.5
    hit = False
    for i in range(len(poly)):
        (x1, y1), (x2, y2) = poly[i], poly[i - 1]
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def monogram(x0, y0, s):
    """The letter K as three polygons, `s` pixels per unit, top left (x0, y0)."""
    def scaled(points):
        return [(x0 + x * s, y0 + y * s) for x, y in points]
    stem = scaled([(0, 0), (3, 0), (3, 14), (0, 14)])
    arm = scaled([(3, 6.2), (8.2, 0), (11.8, 0), (3, 10.2)])
    leg = scaled([(5.2, 6.6), (7.6, 4.6), (12, 14), (8.6, 14)])
    return [stem, arm, leg]


def draw(width, height, colour_at):
    return [[colour_at(x, y) for x in range(width)] for y in range(height)]


def logo():
    w, h = 117, 226
    letter = monogram(24, 34, 5.8)
    # Lines of text below a gold rule, as on a type specimen: (left, right, colour, top).
    lines = [(28, 92, PALE, 160), (28, 80, MUTED, 170), (28, 86, MUTED, 180), (28, 70, MUTED, 190)]

    def colour_at(x, y):
        if any(inside(p, x, y) for p in letter):
            return WHITE
        if 132 <= y < 135 and 24 <= x < 93:
            return GOLD
        for left, right, colour, top in lines:
            if top <= y < top + 3 and left <= x < right:
                return colour
        return min(7, y * 8 // h)  # bands from deep navy at the top to blue
    return draw(w, h, colour_at)


def icon():
    w = h = 32
    letter = monogram(7, 6, 1.45)

    def colour_at(x, y):
        # A tile with cut corners; outside it is transparent.
        if min(x, w - 1 - x) + min(y, h - 1 - y) < 3:
            return None
        if any(inside(p, x, y) for p in letter):
            return WHITE
        if y >= 27 and 7 <= x < 25:
            return GOLD if y < 29 else 3 + y * 5 // h
        return 3 + y * 5 // h
    return draw(w, h, colour_at)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def rle4(rows):
    """BI_RLE4, bottom-up, encoded runs only (a run costs two bytes)."""
    out = bytearray()
    for row in reversed(rows):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and row[x + run] == row[x] and run < 255:
                run += 1
            out += bytes((run, row[x] << 4 | row[x]))
            x += run
        out += b"\x00\x00"  # end of line
    out[-2:] = b"\x00\x01"  # end of bitmap
    return bytes(out)


def write_logo(path):
    rows = logo()
    h, w = len(rows), len(rows[0])
    bits = rle4(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 2, len(bits), 2835, 2835, 16, 0)
    offset = 14 + len(info) + 64
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette_bytes() + bits)


def write_icon(path):
    rows = icon()
    h, w = len(rows), len(rows[0])
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        for x in range(0, w, 2):
            a, b = (c if c is not None else 0 for c in row[x:x + 2])
            xor.append(a << 4 | b)
        bits = 0
        for x, c in enumerate(row):
            if c is None:
                bits |= 1 << (w - 1 - x)
        mask += bits.to_bytes(w // 8, "big")  # rows of 32 bits are already aligned
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = info + palette_bytes() + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w, h, 16, 0, 1, 4,
                                                           len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + image)


if __name__ == "__main__":
    write_logo(os.path.join(HERE, "logo.bmp"))
    write_icon(os.path.join(HERE, "program.ico"))
