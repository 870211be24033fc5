#!/usr/bin/env python3
"""Draws the launcher's icon, a blue water drop with a white "Z", into launcher.ico.

Each size is drawn for its own pixel grid rather than scaled from one picture: the drop fills more
of a small image, the Z's bars lie on whole pixels with a stroke chosen for the size, the small
images get a dark rim that keeps them apart from a light background, and only the larger ones
carry the highlight. The 256 x 256 image is stored as PNG, the others as 32-bit bitmaps.

The .ico is committed; run this only to change the picture: python3 make_icon.py launcher.ico
With --preview FILE it also writes every image side by side, enlarged, as a PNG to look at.
"""
import math
import struct
import sys
import zlib
from dataclasses import dataclass


@dataclass(frozen=True)
class Style:
    margin: float  # free pixels above the tip and below the drop
    stroke: int  # the Z's bars, in whole pixels
    rim: float  # width of the dark edge, in pixels; 0 for none
    highlight: bool  # the white gleam on the upper left


STYLES = {
    16: Style(margin=0.0, stroke=1, rim=1.0, highlight=False),
    20: Style(margin=0.0, stroke=1, rim=1.0, highlight=False),
    24: Style(margin=0.5, stroke=2, rim=1.0, highlight=False),
    32: Style(margin=1.0, stroke=2, rim=1.0, highlight=True),
    40: Style(margin=1.5, stroke=3, rim=1.0, highlight=True),
    48: Style(margin=2.0, stroke=3, rim=1.25, highlight=True),
    64: Style(margin=4.0, stroke=4, rim=1.5, highlight=True),
    256: Style(margin=14.0, stroke=16, rim=4.0, highlight=True),
}

SAMPLES = 4  # per pixel and axis, for the edges' coverage
RIM = (20, 55, 140)
WHITE = (255, 255, 255)
GLEAM = (235, 245, 255)


class Drop:
    """A circle with a tip above it, fitted between the image's margins."""

    def __init__(self, size, style):
        top, bottom = style.margin, size - style.margin
        # The 64-pixel drawing's proportions: a radius of 19 under a tip 36 above the centre.
        self.r = (bottom - top) * 19.0 / 55.0
        self.cx, self.cy = size / 2.0, bottom - self.r
        self.tip = top
        self.size = size
        self.style = style

    def inside(self, px, py, inset=0.0):
        dx, dy = px - self.cx, py - self.cy
        if math.hypot(dx, dy) <= self.r - inset:
            return True
        # The tip: the sides run from the circle's flanks up to the point, 0.93 of the radius wide
        # at the centre's height.
        if py < self.tip + inset * 2.5 or py > self.cy:
            return False
        half = (py - self.tip) / (self.cy - self.tip) * self.r * 0.93
        return abs(dx) <= half - inset * 1.1

    def coverage(self, x, y, test):
        hits = 0
        for sy in range(SAMPLES):
            for sx in range(SAMPLES):
                hits += test(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES)
        return hits / (SAMPLES * SAMPLES)


class Zed:
    """The Z, its bars snapped to the pixel grid of the image."""

    def __init__(self, drop):
        r, s = drop.r, drop.style.stroke
        self.left, self.right = round(drop.cx - 0.5 * r), round(drop.cx + 0.5 * r)
        self.top, self.bottom = round(drop.cy - 0.55 * r), round(drop.cy + 0.55 * r)
        self.stroke = s

    def inside(self, px, py):
        if not (self.left <= px < self.right and self.top <= py < self.bottom):
            return False
        if py < self.top + self.stroke or py >= self.bottom - self.stroke:
            return True
        # The diagonal from the upper bar's right end to the lower bar's left end, as wide across
        # as the bars are high.
        if self.stroke == 1:
            # One pixel a row, with no blur to its sides: at this size an edge blended into the
            # blue would make the letter grey.
            row = math.floor(py) + 0.5 - self.top - 1
            column = self.right - 1 - (self.right - self.left - 1) * (row + 0.5) / (self.bottom - self.top - 2)
            return math.floor(px) == round(column)
        t = (py - self.top) / (self.bottom - self.top)
        centre = self.right - t * (self.right - self.left)
        return abs(px - centre) <= self.stroke * 0.7 + 0.2


def mix(a, b, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def draw(size):
    """The image of the given size: rows of (r, g, b, a), top row first."""
    style = STYLES[size]
    drop = Drop(size, style)
    zed = Zed(drop)
    gleam_x, gleam_rx, gleam_ry = drop.cx - 0.68 * drop.r, 0.13 * drop.r, 0.33 * drop.r
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            alpha = drop.coverage(x, y, drop.inside)
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            # Light blue at the tip to deep blue at the bottom.
            t = min(1.0, max(0.0, (y + 0.5 - drop.tip) / (drop.size - 2 * style.margin)))
            colour = (round(30 + 60 * (1 - t)), round(90 + 100 * (1 - t)), round(200 + 50 * (1 - t)))
            if style.rim:
                body = drop.coverage(x, y, lambda px, py: drop.inside(px, py, style.rim))
                colour = mix(RIM, colour, body)
            if style.highlight:
                gleam = drop.coverage(
                    x, y, lambda px, py: ((px - gleam_x) / gleam_rx) ** 2 + ((py - drop.cy) / gleam_ry) ** 2 <= 1.0
                )
                colour = mix(colour, GLEAM, gleam)
            colour = mix(colour, WHITE, drop.coverage(x, y, zed.inside))
            row.append(colour + (round(255 * alpha),))
        rows.append(row)
    return rows


def bitmap(rows):
    """An icon image as the platform stores it: a 40-byte header, the colours bottom-up as BGRA,
    then the mask, one bit a pixel, set where the pixel is transparent, each row padded to 4 bytes."""
    size = len(rows)
    colours = b"".join(bytes(v for r, g, b, a in row for v in (b, g, r, a)) for row in reversed(rows))
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colours) + len(mask), 0, 0, 0, 0)
    return header + colours + bytes(mask)


def png(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def icon(images):
    """An .ico file of (size, bytes) images: a directory of 16-byte entries, then the images."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        # A width and height of 0 stand for 256.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return directory + entries + data


def preview(pictures, path):
    """Every image on a grey strip, each pixel four times over, so that the grid shows."""
    zoom, gap = 4, 8
    height = max(len(rows) for rows in pictures) * zoom
    width = sum(len(rows) * zoom + gap for rows in pictures) + gap
    canvas = [[(200, 200, 200, 255)] * width for _ in range(height + 2 * gap)]
    left = gap
    for rows in pictures:
        for y, row in enumerate(rows):
            for x, (r, g, b, a) in enumerate(row):
                shown = mix((200, 200, 200), (r, g, b), a / 255) + (255,)
                for dy in range(zoom):
                    canvas[gap + y * zoom + dy][left + x * zoom : left + (x + 1) * zoom] = [shown] * zoom
        left += len(rows) * zoom + gap
    with open(path, "wb") as f:
        f.write(png(canvas))


def main(arguments):
    path = "launcher.ico"
    preview_path = None
    while arguments:
        argument = arguments.pop(0)
        if argument == "--preview":
            preview_path = arguments.pop(0)
        else:
            path = argument
    pictures = {size: draw(size) for size in STYLES}
    images = [(size, png(rows) if size == 256 else bitmap(rows)) for size, rows in pictures.items()]
    with open(path, "wb") as f:
        f.write(icon(images))
    if preview_path:
        preview(list(pictures.values()), preview_path)


if __name__ == "__main__":
    main(sys.argv[1:])
