#!/usr/bin/env python3
"""Draws the program's banners and icon: plain geometry, no image library needed.

Writes resources/banner_main.bmp (696 x 60), resources/banner_ack.bmp (292 x 60), both
24 bits per pixel, and resources/app.ico (16 and 32 pixels, 256 colours).
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")

NAVY = (20, 40, 90)
TEAL = (0, 128, 140)
WHITE = (255, 255, 255)
ORANGE = (240, 140, 30)

# A 5x7 block font for the few capitals the banners spell.
GLYPHS = {
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "Z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    " ": ["00000"] * 7,
}


def banner(width, height, text, scale):
    px = [[None] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            t = x / max(1, width - 1)
            px[y][x] = tuple(int(NAVY[i] * (1 - t) + TEAL[i] * t) for i in range(3))
    for y in range(height - 6, height):
        for x in range(width):
            px[y][x] = ORANGE
    cx = 12
    top = (height - 6 - 7 * scale) // 2
    for ch in text:
        g = GLYPHS[ch]
        for gy, row in enumerate(g):
            for gx, bit in enumerate(row):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            x, y = cx + gx * scale + dx, top + gy * scale + dy
                            if 0 <= x < width and 0 <= y < height:
                                px[y][x] = WHITE
        cx += 6 * scale
    return px


def write_bmp(path, px):
    h, w = len(px), len(px[0])
    stride = (w * 3 + 3) & ~3
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for r, g, b in px[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + rows)


def icon_image(size):
    palette = [NAVY, TEAL, WHITE, ORANGE] + [(0, 0, 0)] * 252
    idx = [[0] * size for _ in range(size)]
    c = (size - 1) / 2
    for y in range(size):
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d > size * 0.48:
                idx[y][x] = 1
            elif d > size * 0.30:
                idx[y][x] = 2
            else:
                idx[y][x] = 0
    for i in range(size // 4):  # the tail of the Q
        x, y = size // 2 + i, size // 2 + i
        for k in range(max(1, size // 10)):
            if x + k < size and y < size:
                idx[y][x + k] = 3
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        xor += bytes(idx[y])
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(mask), 0, 0,
                       256, 0)
    return info + pal + bytes(xor) + mask


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 8, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    write_bmp(os.path.join(OUT, "banner_main.bmp"), banner(696, 60, "QUENZOR CLEANER", 4))
    write_bmp(os.path.join(OUT, "banner_ack.bmp"), banner(292, 60, "QUENZOR", 4))
    write_ico(os.path.join(OUT, "app.ico"), [16, 32])
