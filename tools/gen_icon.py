#!/usr/bin/env python3
"""Draws the program's icon, resource 500: a blue chip with a white arrow pointing into it (firmware going
into the device), at 16, 32 and 48 pixels, written as a .ico of 32-bit bitmaps."""
import struct
import sys


def pixel(x, y, size):
    s = size / 32.0
    u, v = x / s, y / s
    inside_chip = 5 <= u < 27 and 9 <= v < 27
    pin = (1 <= u < 5 or 27 <= u < 31) and inside_chip is False and 9 <= v < 27 and int(v) % 4 in (1, 2)
    shaft = 14 <= u < 18 and 2 <= v < 15
    head = 15 <= v < 22 and abs(u - 16) < (22 - v)
    if shaft or head:
        return (255, 255, 255, 255)
    if inside_chip:
        edge = u < 6 or u >= 26 or v < 10 or v >= 26
        return (30, 70, 140, 255) if edge else (40, 110, 200, 255)
    if pin:
        return (150, 150, 160, 255)
    return (0, 0, 0, 0)


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b"".join(bytes((b, g, r, a)) for (r, g, b, a) in (pixel(x, y, size) for x in range(size)))
        rows.append(row)
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + bytes(mask_row * size)


def main():
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
