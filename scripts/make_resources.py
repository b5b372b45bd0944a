#!/usr/bin/env python3
"""Draws the program's banners and icon from plain geometry; no image library needed.

Writes resources/banner_main.bmp (696 x 60) and resources/banner_ack.bmp (292 x 60), both
24 bits per pixel, and resources/app.ico (16 and 32 pixels, 256 colours).

The windows show the banners' top 57 rows only (and the dialog only 281 columns), so
everything that matters is drawn inside that area. Shapes are line strokes and rings,
anti-aliased by sampling each pixel on a 4 x 4 grid.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")

NAVY = (16, 36, 84)
TEAL = (0, 122, 138)
WHITE = (255, 255, 255)
MIST = (176, 222, 228)
ORANGE = (242, 138, 36)
SAMPLES = 4

# Capitals as strokes on a grid 6 units high; each entry: advance width, polylines.
GLYPHS = {
    "A": (4.4, [[(0, 6), (2.2, 0), (4.4, 6)], [(0.8, 4), (3.6, 4)]]),
    "B": (4, [[(0, 0), (0, 6), (3, 6), (3.9, 5.2), (3.9, 3.8), (3, 3), (0, 3)],
              [(0, 0), (2.8, 0), (3.6, 0.7), (3.6, 2.3), (2.8, 3)]]),
    "C": (4, "C"),
    "E": (3.6, [[(3.6, 0), (0, 0), (0, 6), (3.6, 6)], [(0, 3), (3, 3)]]),
    "H": (4, [[(0, 0), (0, 6)], [(4, 0), (4, 6)], [(0, 3), (4, 3)]]),
    "I": (0, [[(0, 0), (0, 6)]]),
    "K": (4, [[(0, 0), (0, 6)], [(4, 0), (0, 4)], [(1.4, 2.9), (4, 6)]]),
    "L": (3.4, [[(0, 0), (0, 6), (3.4, 6)]]),
    "N": (4, [[(0, 6), (0, 0), (4, 6), (4, 0)]]),
    "O": (4.4, "O"),
    "Q": (4.4, "Q"),
    "R": (4, [[(0, 6), (0, 0), (2.9, 0), (3.8, 0.8), (3.8, 2.2), (2.9, 3), (0, 3)],
              [(2.2, 3), (4, 6)]]),
    "S": (3.9, [[(3.8, 0.9), (3, 0), (1, 0), (0.1, 0.8), (0.1, 2.1), (0.9, 2.8), (3, 3.2),
                 (3.8, 3.9), (3.8, 5.2), (2.9, 6), (0.9, 6), (0, 5.1)]]),
    "T": (4, [[(0, 0), (4, 0)], [(2, 0), (2, 6)]]),
    "U": (4, [[(0, 0), (0, 4.3), (0.5, 5.5), (1.3, 6), (2.7, 6), (3.5, 5.5), (4, 4.3),
               (4, 0)]]),
    "V": (4.4, [[(0, 0), (2.2, 6), (4.4, 0)]]),
    "Y": (4.4, [[(0, 0), (2.2, 3), (4.4, 0)], [(2.2, 3), (2.2, 6)]]),
    "Z": (4, [[(0, 0), (4, 0), (0, 6), (4, 6)]]),
    " ": (2.2, []),
}


def ellipse(cx, cy, rx, ry, a0, a1, steps=40):
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
            for i in range(steps + 1)]


def glyph_strokes(ch):
    width, shape = GLYPHS[ch]
    if shape == "C":
        return width, [ellipse(2, 3, 2, 3, 40, 320)]
    if shape in ("O", "Q"):
        strokes = [ellipse(2.2, 3, 2.2, 3, 0, 360)]
        if shape == "Q":
            strokes.append([(2.8, 4.3), (4.5, 6.4)])
        return width, strokes
    return width, shape


class Canvas:
    def __init__(self, width, height, background):
        self.w, self.h = width, height
        self.px = [[background(x, y) for x in range(width)] for y in range(height)]

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.w and 0 <= y < self.h and alpha > 0:
            old = self.px[y][x]
            self.px[y][x] = tuple(round(o + (c - o) * alpha) for o, c in zip(old, colour))

    def cover(self, box, inside, colour, opacity=1.0):
        """Paints colour over the pixels of box by the share of samples inside the shape."""
        x0, y0, x1, y1 = (max(0, int(box[0])), max(0, int(box[1])),
                          min(self.w - 1, int(box[2]) + 1), min(self.h - 1, int(box[3]) + 1))
        step = 1 / SAMPLES
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                hits = sum(inside(x + (i + 0.5) * step, y + (j + 0.5) * step)
                           for i in range(SAMPLES) for j in range(SAMPLES))
                self.blend(x, y, colour, opacity * hits / (SAMPLES * SAMPLES))

    def strokes(self, polylines, thickness, colour):
        segments = [(a, b) for line in polylines for a, b in zip(line, line[1:])]
        if not segments:
            return
        r = thickness / 2
        xs = [p[0] for s in segments for p in s]
        ys = [p[1] for s in segments for p in s]
        box = (min(xs) - r - 1, min(ys) - r - 1, max(xs) + r + 1, max(ys) + r + 1)
        self.cover(box, lambda x, y: any(near(x, y, a, b, r) for a, b in segments), colour)

    def ring(self, cx, cy, radius, thickness, colour, gap=None, opacity=1.0):
        inner, outer = radius - thickness / 2, radius + thickness / 2

        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if not inner <= d <= outer:
                return False
            if gap is None:
                return True
            angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
            return not gap[0] <= angle <= gap[1]

        self.cover((cx - outer, cy - outer, cx + outer, cy + outer), inside, colour, opacity)

    def disc(self, cx, cy, radius, colour):
        self.cover((cx - radius, cy - radius, cx + radius, cy + radius),
                   lambda x, y: math.hypot(x - cx, y - cy) <= radius, colour)


def near(x, y, a, b, r):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0 if length2 == 0 else max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / length2))
    return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= r * r


def text(canvas, left, top, cap_height, thickness, spacing, string, colour):
    """Draws capitals with their top-left corner at (left, top); returns the right edge."""
    scale = cap_height / 6
    x = left
    for ch in string:
        width, strokes = glyph_strokes(ch)
        placed = [[(x + px * scale, top + py * scale) for px, py in line] for line in strokes]
        canvas.strokes(placed, thickness, colour)
        x += width * scale + spacing
    return x - spacing


def emblem(canvas, cx, cy, radius):
    """A ring with an opening swept out by an orange stroke: the product's mark."""
    thickness = radius * 0.34
    canvas.ring(cx, cy, radius, thickness, WHITE, gap=(20, 70))
    canvas.strokes([[(cx + radius * 0.25, cy + radius * 0.25),
                     (cx + radius * 1.05, cy + radius * 1.05)]], thickness, ORANGE)


def banner_background(width):
    def colour(x, y):
        t = min(1.0, max(0.0, (x + 0.6 * y) / (width * 0.85)))
        base = tuple(NAVY[i] * (1 - t) + TEAL[i] * t for i in range(3))
        if 54 <= y:  # an orange rule at the foot of the visible area
            return ORANGE
        shine = 0.10 * max(0.0, 1 - abs(y - 8) / 10)  # a faint light from above
        return tuple(int(c + (255 - c) * shine) for c in base)
    return colour


def banner(width, subtitle):
    canvas = Canvas(width, 60, banner_background(width))
    # Wide, faint arcs to the right, echoing the mark.
    for k in range(6):
        canvas.ring(width + 30, 120, 110 + 14 * k, 2, MIST, opacity=0.18)
    emblem(canvas, 28, 27, 17)
    right = text(canvas, 57, 9, 22, 3.4, 4.4, "QUENZOR", WHITE)
    text(canvas, 58, 38, 9, 1.5, 2.2, subtitle, MIST)
    return canvas.px, right


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


def icon_pixels(size):
    """The mark on a navy disc; returns colours and a mask of the see-through pixels."""
    canvas = Canvas(size, size, lambda x, y: (0, 0, 0))
    c = size / 2
    canvas.disc(c, c, size / 2 - 0.2, NAVY)
    emblem(canvas, c - size * 0.04, c - size * 0.04, size * 0.30)
    clear = [[math.hypot(x + 0.5 - c, y + 0.5 - c) > size / 2 for x in range(size)]
             for y in range(size)]
    return canvas.px, clear


def quantise(px, levels=6):
    """Rounds each channel to one of `levels` steps: at most levels**3 (216) colours."""
    step = 255 / (levels - 1)
    return [[tuple(int(round(round(c / step) * step)) for c in p) for p in row] for row in px]


def icon_image(size):
    px, clear = icon_pixels(size)
    px = quantise(px)
    palette = sorted({p for row in px for p in row})
    assert len(palette) <= 256
    index = {p: i for i, p in enumerate(palette)}
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pal += b"\0\0\0\0" * (256 - len(palette))
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        xor += bytes(0 if clear[y][x] else index[px[y][x]] for x in range(size))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(size):
            if clear[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(mask), 0, 0,
                       256, 0)
    return info + pal + bytes(xor) + bytes(mask)


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
    main, _ = banner(696, "CLIENT CACHE CLEANER")
    write_bmp(os.path.join(OUT, "banner_main.bmp"), main)
    ack, right = banner(292, "BREVIKIT")
    assert right < 281, "the dialog shows only 281 columns of its banner"
    write_bmp(os.path.join(OUT, "banner_ack.bmp"), ack)
    write_ico(os.path.join(OUT, "app.ico"), [16, 32])
