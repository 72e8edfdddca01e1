#!/usr/bin/env python3
"""Draws the images of the updater's skin into a folder (Python standard library only).
Usage: make_skin_images.py SKIN-FOLDER"""
import os
import struct
import sys
import zlib


def png_from_rows(width, height, rows):
    """The PNG file for 8-bit RGBA rows (each a bytes-like of width * 4)."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        raw.extend(row)

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def png_bytes(width, height, pixel):
    """pixel(x, y) -> (r, g, b, a)."""
    return png_from_rows(width, height, (bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height)))


def write_png(path, width, height, pixel):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(png_bytes(width, height, pixel))
    os.replace(tmp, path)


def progress_fore(x, y, width=128, height=12):
    # A left-to-right teal-to-blue fill with a lighter upper half, like a lit bar.
    t = x / (width - 1)
    r, g, b = 0x1F + (0x3A - 0x1F) * t, 0xC8 + (0x8E - 0xC8) * t, 0xA8 + (0xF0 - 0xA8) * t
    light = 1.18 if y < height // 2 else 1.0
    return tuple(min(255, int(c * light)) for c in (r, g, b)) + (255,)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__ + "\n")
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "progress_fore.png"), 128, 12, progress_fore)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
