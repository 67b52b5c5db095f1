#!/usr/bin/env python3
"""Generate resources/portgauge.ico, the PortGauge program icon.

The picture is a rounded dark-blue tile carrying a white USB trident and a
small gauge dial whose needle points into the green zone.

The output format is deliberately fixed: the file holds exactly ONE image,
32 x 32 pixels at 24 bits per pixel, stored as a plain BMP-style DIB
(40-byte BITMAPINFOHEADER, 3072 bytes of XOR pixels, 128 bytes of 1-bpp AND
mask).  That keeps the icon resource at exactly 3240 bytes (3262 bytes for
the whole .ico) so it works on every 32-bit Windows version without PNG
support or palette handling.

Standard library only; the output is byte-for-byte deterministic.
Run from anywhere:  python3 resources/make_icon.py
"""

import math
import os
import struct

SIZE = 32
SS = 4  # supersamples per axis for anti-aliasing inside the tile

# Colours (R, G, B)
TILE_TOP = (28, 74, 150)
TILE_BOTTOM = (14, 40, 96)
TILE_EDGE = (8, 24, 62)
WHITE = (255, 255, 255)
DIAL_FACE = (10, 28, 70)
GREEN = (60, 200, 80)
AMBER = (245, 170, 30)
RED = (220, 60, 50)
NEEDLE = (255, 255, 255)

# --------------------------------------------------------------------------
# Geometry helpers: each returns a predicate inside(x, y) on continuous
# coordinates, with (0, 0) the top-left corner and y growing downwards.
# --------------------------------------------------------------------------


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def line(xa, ya, xb, yb, width):
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy
    half = width / 2.0

    def inside(x, y):
        t = ((x - xa) * dx + (y - ya) * dy) / length2
        t = min(max(t, 0.0), 1.0)
        px, py = xa + t * dx, ya + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return inside


def triangle(ax, ay, bx, by, cx, cy):
    def side(px, py, qx, qy, x, y):
        return (qx - px) * (y - py) - (qy - py) * (x - px)

    def inside(x, y):
        d1 = side(ax, ay, bx, by, x, y)
        d2 = side(bx, by, cx, cy, x, y)
        d3 = side(cx, cy, ax, ay, x, y)
        neg = d1 < 0 or d2 < 0 or d3 < 0
        pos = d1 > 0 or d2 > 0 or d3 > 0
        return not (neg and pos)
    return inside


def arc(cx, cy, r_in, r_out, a_from, a_to):
    """Annulus sector; angles in degrees, 0 = right, 90 = up (screen)."""
    def inside(x, y):
        dx, dy = x - cx, cy - y
        d2 = dx * dx + dy * dy
        if d2 < r_in * r_in or d2 > r_out * r_out:
            return False
        a = math.degrees(math.atan2(dy, dx))
        return a_from <= a <= a_to
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


# --------------------------------------------------------------------------
# The drawing
# --------------------------------------------------------------------------

tile = rounded_rect(0.0, 0.0, 32.0, 32.0, 6.0)
tile_inner = rounded_rect(1.0, 1.0, 31.0, 31.0, 5.0)


def tile_colour(y):
    t = y / SIZE
    return tuple(TILE_TOP[i] + (TILE_BOTTOM[i] - TILE_TOP[i]) * t for i in range(3))


# USB trident, stem at x = 10.5, from the arrow tip (y = 3) down to the base disc.
SX = 10.5
trident = union(
    triangle(SX, 3.0, SX - 3.6, 8.6, SX + 3.6, 8.6),      # arrow head
    line(SX, 8.0, SX, 25.0, 2.2),                          # stem
    disc(SX, 25.6, 3.2),                                   # base disc
    # left branch: up-left to a round tip
    line(SX, 20.0, SX - 5.5, 15.0, 2.0),
    line(SX - 5.5, 15.0, SX - 5.5, 12.6, 2.0),
    disc(SX - 5.5, 11.0, 2.2),
    # right branch: up-right to a square tip
    line(SX, 17.5, SX + 5.5, 12.5, 2.0),
    line(SX + 5.5, 12.5, SX + 5.5, 10.0, 2.0),
    rect(SX + 3.5, 6.0, SX + 7.5, 10.0),
)

# Gauge dial in the lower-right corner: dark face, coloured scale arc,
# white needle pointing into the green zone.
GX, GY = 23.0, 23.0
dial_gap = disc(GX, GY, 8.6)
dial_rim = disc(GX, GY, 7.6)
dial_face = disc(GX, GY, 6.6)
scale_red = arc(GX, GY, 4.0, 6.0, 125.0, 200.0)
scale_amber = arc(GX, GY, 4.0, 6.0, 75.0, 125.0)
scale_green = arc(GX, GY, 4.0, 6.0, -20.0, 75.0)
NA = math.radians(30.0)
needle = union(
    line(GX, GY, GX + 5.2 * math.cos(NA), GY - 5.2 * math.sin(NA), 1.6),
    disc(GX, GY, 1.6),
)

# Layers painted in order: (predicate, colour or colour function of y)
LAYERS = [
    (tile, lambda y: TILE_EDGE),
    (tile_inner, tile_colour),
    (trident, lambda y: WHITE),
    (dial_gap, tile_colour),
    (dial_rim, lambda y: WHITE),
    (dial_face, lambda y: DIAL_FACE),
    (scale_red, lambda y: RED),
    (scale_amber, lambda y: AMBER),
    (scale_green, lambda y: GREEN),
    (needle, lambda y: NEEDLE),
]


def render():
    """Return (pixels, opaque): pixels[y][x] = (r, g, b), top-down."""
    pixels = []
    opaque = []
    n = SS * SS
    for py in range(SIZE):
        row, orow = [], []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SS):
                y = py + (sy + 0.5) / SS
                for sx in range(SS):
                    x = px + (sx + 0.5) / SS
                    colour = None
                    for shape, paint in LAYERS:
                        if shape(x, y):
                            colour = paint(y)
                    if colour is not None:
                        covered += 1
                        for i in range(3):
                            acc[i] += colour[i]
            if covered * 2 >= n:
                row.append(tuple(int(round(acc[i] / covered)) for i in range(3)))
                orow.append(True)
            else:
                row.append((0, 0, 0))  # transparent: XOR black, AND 1
                orow.append(False)
        pixels.append(row)
        opaque.append(orow)
    return pixels, opaque


def build_ico(pixels, opaque):
    header = struct.pack('<IiiHHIIiiII',
                         40, SIZE, SIZE * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(SIZE - 1, -1, -1):           # bottom-up rows
        for x in range(SIZE):
            r, g, b = pixels[y][x]
            xor += bytes((b, g, r))
    mask = bytearray()
    for y in range(SIZE - 1, -1, -1):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (0 if opaque[y][x] else 1)
        mask += struct.pack('>I', bits)
    image = header + bytes(xor) + bytes(mask)
    assert len(image) == 3240, len(image)
    icondir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 24, len(image), 22)
    return icondir + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pixels, opaque = render()
    data = build_ico(pixels, opaque)
    out = os.path.join(here, 'portgauge.ico')
    with open(out, 'wb') as f:
        f.write(data)
    print('wrote %s (%d bytes)' % (out, len(data)))


if __name__ == '__main__':
    main()
