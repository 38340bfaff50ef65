#!/usr/bin/env python3
"""Renders the icon artwork (artwork.json) into orvane.ico.

The .ico holds three images, 48, 32 and 16 pixels square, each a 24-bit
colour bitmap with a 1-bit transparency mask. Shapes are sampled 8 x 8 times
per pixel; a pixel is opaque when at least half of it is covered, and its
partly covered edge is blended toward light grey so that it sits well on the
usual window backgrounds.

usage: make_icon.py [artwork.json [orvane.ico]]
"""
import json
import os
import struct
import sys

SIZES = (48, 32, 16)
SUPERSAMPLE = 8
EDGE_BACKGROUND = (200, 200, 200)


def parse_colour(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def inside_polygon(points, x, y):
    inside = False
    n = len(points)
    for i in range(n):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
    return inside


def shape_contains(shape, x, y):
    if "circle" in shape:
        cx, cy, r = shape["circle"]
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside_polygon(shape["polygon"], x, y)


def shape_colour(shape, x, y):
    if "fill" in shape:
        return parse_colour(shape["fill"])
    x0, y0, x1, y1, c0, c1 = shape["linear"]
    dx, dy = x1 - x0, y1 - y0
    t = ((x - x0) * dx + (y - y0) * dy) / float(dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    a, b = parse_colour(c0), parse_colour(c1)
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(3))


def sample(shapes, x, y):
    """Colour at a canvas point, or None where it is transparent."""
    colour = None
    for shape in shapes:
        if shape_contains(shape, x, y):
            colour = None if shape.get("cut") else shape_colour(shape, x, y)
    return colour


def render(artwork, size):
    """Rows of (r, g, b, opaque) from top to bottom."""
    scale = artwork["canvas"] / float(size)
    shapes = artwork["shapes"]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    c = sample(shapes, (px + (sx + 0.5) / SUPERSAMPLE) * scale,
                               (py + (sy + 0.5) / SUPERSAMPLE) * scale)
                    if c is not None:
                        covered += 1
                        for k in range(3):
                            total[k] += c[k]
            n = SUPERSAMPLE * SUPERSAMPLE
            if covered * 2 < n:
                row.append((0, 0, 0, False))
                continue
            alpha = covered / float(n)
            rgb = [total[k] / covered * alpha + EDGE_BACKGROUND[k] * (1 - alpha) for k in range(3)]
            row.append(tuple(int(round(v)) for v in rgb) + (True,))
        rows.append(row)
    return rows


def icon_image(rows, size):
    """BITMAPINFOHEADER, 24-bit colour rows and 1-bit mask rows, both bottom-up."""
    colour_stride = (size * 3 + 3) & ~3
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += bytes(colour_stride - len(line))
        colour += line
        bits = bytearray(mask_stride)
        for x, (_, _, _, opaque) in enumerate(row):
            if not opaque:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    source = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "artwork.json")
    target = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "orvane.ico")
    with open(source) as f:
        artwork = json.load(f)
    images = [icon_image(render(artwork, s), s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(target, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
