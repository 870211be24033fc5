#!/usr/bin/env python3
"""Draws the launcher's 64 x 64 icon, a blue water drop with a white "Z", into launcher.ico.

The .ico is committed; run this only to change the picture: python3 make_icon.py launcher.ico
"""
import math
import struct
import sys

SIZE = 64


def drop_coverage(x, y):
    """Part of the pixel (x, y) inside the drop, from 4 x 4 samples."""
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px = x + (sx + 0.5) / 4
            py = y + (sy + 0.5) / 4
            cx, cy, r = 32.0, 40.0, 19.0
            d = math.hypot(px - cx, py - cy)
            in_circle = d <= r
            # The tip: a triangle from the circle's tangent points up to (32, 4).
            in_tip = py >= 4 and py <= cy and abs(px - cx) <= (py - 4) / (cy - 4) * r * 0.93
            inside += in_circle or in_tip
    return inside / 16.0


def pixel(x, y):
    a = drop_coverage(x, y)
    if a == 0:
        return (0, 0, 0, 0)
    # Deep blue at the bottom to light blue at the top, with a white highlight on the upper left.
    t = y / SIZE
    r, g, b = int(30 + 60 * (1 - t)), int(90 + 100 * (1 - t)), int(200 + 50 * (1 - t))
    hx, hy = x - 19, y - 40
    if hx * hx / 6.0 + hy * hy / 40.0 < 1.0:
        r, g, b = 235, 245, 255
    # A "Z" across the drop's belly, for Zindrop.
    if 30 <= y <= 33 and 23 <= x <= 41 or 47 <= y <= 50 and 23 <= x <= 41 or 33 < y < 47 and abs((41 - (y - 33) * 18 / 14) - x) <= 2:
        r, g, b = 255, 255, 255
    return (b, g, r, int(255 * a))


def main(path):
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bitmaps are stored bottom-up
        rows.append(b"".join(struct.pack("BBBB", *pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    and_mask = b"\x00" * (SIZE * SIZE // 8)  # alpha decides; the mask lets everything through
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "launcher.ico")
