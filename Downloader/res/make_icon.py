#!/usr/bin/env python3
"""Writes the updater's icon: a 32x32, 32-bit .ico drawn here (a green disc with a white
downward arrow), so the build needs no binary from elsewhere.
Usage: make_icon.py OUTPUT.ico"""
import struct
import sys

SIZE = 32


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2.0
    inside = (x - cx) ** 2 + (y - cy) ** 2 <= (SIZE / 2.0 - 1) ** 2
    if not inside:
        return (0, 0, 0, 0)
    # The arrow: a shaft in the upper half and a head below it.
    shaft = 13 <= x <= 18 and 6 <= y <= 17
    head = 17 <= y <= 26 and abs(x - cx) <= (26 - y) * 1.1
    if shaft or head:
        return (255, 255, 255, 255)
    return (40, 160, 70, 255)  # RGBA


def main():
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        row = b""
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask = b"\0" * (SIZE * 4)  # 1 bit per pixel, rows padded to 4 bytes; alpha rules
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(sys.argv[1], "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main()
