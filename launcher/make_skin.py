#!/usr/bin/env python3
"""Draws the launcher's skin: png/bj.png (the back window, with alpha), png/最小化.png and
png/关闭.png (the two buttons, 24x24, clear around their sign)."""
import math
import os
import struct
import sys
import zlib

BACK_W, BACK_H = 800, 570
BUTTON = 24
RADIUS = 14


def png(width, height, rows):
    """A truecolour-with-alpha PNG from rows of (r, g, b, a) tuples."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def corner_distance(x, y, w, h, r):
    """How far (x, y) lies outside a rounded rectangle of size w x h; <= 0 inside."""
    cx = min(max(x + 0.5, r), w - r)
    cy = min(max(y + 0.5, r), h - r)
    return math.hypot(x + 0.5 - cx, y + 0.5 - cy) - r


def back():
    rows = []
    for y in range(BACK_H):
        row = []
        for x in range(BACK_W):
            d = corner_distance(x, y, BACK_W, BACK_H, RADIUS)
            if d > 0:
                row.append((0, 0, 0, 0))
                continue
            edge = min(1.0, -d)  # smooth outer edge
            t = y / (BACK_H - 1)
            # A deep blue gradient; a lighter title band; a half-clear rim of 6 pixels.
            r, g, b = int(20 + 20 * t), int(34 + 30 * t), int(70 + 60 * t)
            if y < 36:
                r, g, b = 40, 70, 130
            alpha = 255 if -d > 6 else 128
            row.append((r, g, b, int(alpha * edge)))
        rows.append(row)
    return png(BACK_W, BACK_H, rows)


def button(sign):
    rows = []
    c = (BUTTON - 1) / 2.0
    for y in range(BUTTON):
        row = []
        for x in range(BUTTON):
            inside = math.hypot(x - c, y - c) <= BUTTON / 2.0 - 1
            if not inside:
                row.append((0, 0, 0, 0))
                continue
            on = False
            if sign == "minimise":
                on = abs(y - c) <= 1.0 and abs(x - c) <= 6
            else:
                on = (abs((x - c) - (y - c)) <= 1.2 or abs((x - c) + (y - c)) <= 1.2) and abs(x - c) <= 6
            row.append((240, 240, 240, 255) if on else (60, 90, 150, 255))
        rows.append(row)
    return png(BUTTON, BUTTON, rows)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for name, data in (("bj.png", back()), ("最小化.png", button("minimise")), ("关闭.png", button("close"))):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
