#!/usr/bin/env python3
"""Writes the launcher's icon: one 32x32, 32-bit image (a blue disc on transparency)."""
import struct
import sys

SIZE = 32


def pixels():
    rows = []
    centre = (SIZE - 1) / 2.0
    for y in range(SIZE - 1, -1, -1):  # icon bitmaps run bottom-up
        row = b""
        for x in range(SIZE):
            inside = (x - centre) ** 2 + (y - centre) ** 2 <= (SIZE / 2.0 - 1) ** 2
            row += struct.pack("<BBBB", 0xD0, 0x70, 0x20, 0xFF) if inside else b"\0\0\0\0"
        rows.append(row)
    return b"".join(rows)


def main(path):
    colour = pixels()
    mask = b"\0" * (SIZE * SIZE // 8)  # alpha decides; the AND mask lets everything through
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
