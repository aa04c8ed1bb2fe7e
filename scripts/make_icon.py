#!/usr/bin/env python3
"""Draws the program icon and writes res/app.ico.

A globe (the world data) sitting in an open folder (the game folder). The 48 x 48
image uses the 16 standard Windows colours; 16, 32 and 256 pixel images are drawn
from the same shapes in full colour with smooth edges (256 stored as PNG).
Run again after changing the drawing: python3 scripts/make_icon.py
"""
import math
import os
import struct
import zlib

# The 16 standard colours, in palette order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, OLIVE, NAVY, GRAY, LIME, GREEN = PALETTE[0], PALETTE[3], PALETTE[4], PALETTE[8], PALETTE[10], PALETTE[2]
YELLOW, BLUE, AQUA, WHITE = PALETTE[11], PALETTE[12], PALETTE[14], PALETTE[15]


def inside_polygon(x, y, points):
    result = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def distance_to_polygon(x, y, points):
    best = float("inf")
    for i, (x1, y1) in enumerate(points):
        x2, y2 = points[(i + 1) % len(points)]
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
        best = min(best, math.hypot(x - (x1 + t * dx), y - (y1 + t * dy)))
    return best


FOLDER_BACK = [(0.04, 0.20), (0.28, 0.20), (0.34, 0.28), (0.96, 0.28), (0.96, 0.90), (0.04, 0.90)]
FOLDER_FRONT = [(0.02, 0.56), (0.98, 0.56), (0.92, 0.92), (0.08, 0.92)]
GLOBE_CENTER, GLOBE_RADIUS = (0.58, 0.38), 0.30
# Two continents as ellipses on the globe: centre, radii.
LANDS = [((0.48, 0.30), (0.10, 0.07)), ((0.68, 0.46), (0.08, 0.10))]


def colour_at(x, y, line):
    """The colour at (x, y) in the unit square, or None where transparent.
    `line` is the outline width in the same units."""
    colour = None
    if inside_polygon(x, y, FOLDER_BACK):
        colour = OLIVE if distance_to_polygon(x, y, FOLDER_BACK) > line else BLACK
    gx, gy = x - GLOBE_CENTER[0], y - GLOBE_CENTER[1]
    r = math.hypot(gx, gy)
    if r <= GLOBE_RADIUS:
        colour = BLUE
        for (cx, cy), (rx, ry) in LANDS:
            if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1:
                colour = LIME
        meridian = abs(math.hypot(gx / 0.45, gy) - GLOBE_RADIUS)
        if abs(gy) < line * 0.5 or abs(gx) < line * 0.5 or meridian < line * 0.5:
            colour = AQUA
        if GLOBE_RADIUS - r < line:
            colour = NAVY
    if inside_polygon(x, y, FOLDER_FRONT):
        colour = YELLOW if distance_to_polygon(x, y, FOLDER_FRONT) > line else OLIVE
    return colour


def render(size, samples):
    """Rows of (r, g, b, a) from the top, `samples` x `samples` per pixel."""
    line = max(0.035, 1.0 / size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size, line)
                    if c is not None:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            n = samples * samples
            row.append((r // a, g // a, b // a, 255 * a // n) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def and_mask(rows, size):
    stride = ((size + 31) // 32) * 4
    data = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bytes(bits)
    return data


def dib_16_colours(size):
    rows = render(size, 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    stride = ((size * 4 + 31) // 32) * 4
    pixels = b""
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            index = PALETTE.index((r, g, b)) if a else 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += bytes(line)
    return header + palette + pixels + and_mask(rows, size), 16, 4


def dib_true_colour(size):
    rows = render(size, 4)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(struct.pack("BBBB", b, g, r, a) for row in reversed(rows) for r, g, b, a in row)
    return header + pixels + and_mask(rows, size), 0, 32


def png_true_colour(size):
    rows = render(size, 3)
    raw = b"".join(b"\x00" + b"".join(struct.pack("BBBB", *p) for p in row) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    return png, 0, 32


def main():
    images = [(16, dib_true_colour(16)), (32, dib_true_colour(32)), (48, dib_16_colours(48)),
              (256, png_true_colour(256))]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    body = b""
    for size, (data, colours, bits) in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
        body += data
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "app.ico")
    with open(target, "wb") as f:
        f.write(directory + body)


if __name__ == "__main__":
    main()
