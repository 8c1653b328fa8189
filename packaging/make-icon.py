#!/usr/bin/env python3
"""Draws PakVue's application icon: a small live graph on the dark background of its detail
window, a green line over its gradient fill, a grid and a dotted gauge line, as the program
draws its own graphs. Writes, into the folder given:

  pakvue.ico           16, 20, 24, 32, 48 and 256 pixels, for the Windows executable
  pakvue-<size>.png    16, 24, 32, 48 and 256 pixels, for the hicolor icon theme
  pakvue.svg           the same drawing as vectors, for the theme's scalable size

Every size is drawn from the same shapes, with the lines at least a pixel wide, and the
output is the same on every run.

Usage: make-icon.py <folder>
"""

import os
import struct
import sys
import zlib

ICO_SIZES = (16, 20, 24, 32, 48, 256)
PNG_SIZES = (16, 24, 32, 48, 256)
SAMPLES = 4  # per pixel and axis

# The drawing, in units of the icon's side.
CORNER = 0.16
MARGIN = 0.14
VALUES = (0.18, 0.32, 0.26, 0.52, 0.40, 0.70, 0.58, 0.86)  # of the graph's height
GAUGE = 0.74
TOP_COLOUR = (74, 74, 74)
BOTTOM_COLOUR = (38, 38, 38)
BORDER_COLOUR = (128, 128, 128, 0.9)
GRID_COLOUR = (255, 255, 255, 0.13)
GAUGE_COLOUR = (255, 196, 40, 1.0)
FILL_COLOUR = (0, 200, 90)
LINE_COLOUR = (110, 255, 150, 1.0)


class Shapes:
    """The icon's shapes at one size, in pixels."""

    def __init__(self, size):
        self.size = size
        self.corner = CORNER * size
        self.border = max(1.0, size / 32)
        # The graph's edges, grid and dots on whole pixels, so that they stay sharp.
        self.left = self.top = round(MARGIN * size)
        self.right = self.bottom = size - self.left
        height = self.bottom - self.top
        step = (self.right - self.left) / (len(VALUES) - 1)
        self.points = [(self.left + i * step, self.bottom - v * height) for i, v in enumerate(VALUES)]
        self.step = step
        self.line = max(1.25, size * 0.055)
        self.gridWidth = max(1, round(size / 64))
        self.grid = [onPixels(self.top + height * k / 3, self.gridWidth)
                     for k in (1, 2)] if size >= 24 else []
        self.dot = max(1, round(size / 32))
        self.gauge = onPixels(self.bottom - GAUGE * height, self.dot) if size >= 24 else None

    def inside(self, x, y):
        """Whether a point is on the rounded square."""
        r = self.corner
        cx = min(max(x, r), self.size - r)
        cy = min(max(y, r), self.size - r)
        return 0 <= x <= self.size and 0 <= y <= self.size and (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    def onBorder(self, x, y):
        r = self.corner - self.border
        b = self.border
        cx = min(max(x, b + r), self.size - b - r)
        cy = min(max(y, b + r), self.size - b - r)
        inner = b <= x <= self.size - b and b <= y <= self.size - b and \
            (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        return not inner

    def lineAt(self, x):
        """The graph's height at x, inside the graph's width."""
        i = min(int((x - self.left) / self.step), len(self.points) - 2)
        (x0, y0), (x1, y1) = self.points[i], self.points[i + 1]
        return y0 + (y1 - y0) * (x - x0) / (x1 - x0)

    def nearLine(self, x, y):
        """Whether a point is within half the line's width of the graph's line."""
        i = min(max(int((x - self.left) / self.step), 0), len(self.points) - 2)
        for j in range(max(i - 1, 0), min(i + 2, len(self.points) - 1)):
            (x0, y0), (x1, y1) = self.points[j], self.points[j + 1]
            dx, dy = x1 - x0, y1 - y0
            t = min(max(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0), 1.0)
            if (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= (self.line / 2) ** 2:
                return True
        return False

    def onGauge(self, x, y):
        if self.gauge is None or not self.left <= x <= self.right:
            return False
        return abs(y - self.gauge) <= self.dot / 2 and (x - self.left) % (3 * self.dot) < self.dot

    def colourAt(self, x, y):
        """The colour at a point, straight (not premultiplied) RGB and alpha from 0 to 1."""
        if not self.inside(x, y):
            return (0.0, 0.0, 0.0, 0.0)
        t = y / self.size
        colour = [BOTTOM_COLOUR[k] * t + TOP_COLOUR[k] * (1 - t) for k in range(3)]
        if self.onBorder(x, y):
            colour = over(colour, BORDER_COLOUR)
        inGraph = self.left <= x <= self.right and self.top <= y <= self.bottom
        if inGraph and any(abs(y - g) <= self.gridWidth / 2 for g in self.grid):
            colour = over(colour, GRID_COLOUR)
        if inGraph and y >= self.lineAt(x):
            fade = (y - self.top) / (self.bottom - self.top)
            colour = over(colour, FILL_COLOUR + (0.85 - 0.55 * fade,))
        if self.onGauge(x, y):
            colour = over(colour, GAUGE_COLOUR)
        if self.left - self.line <= x <= self.right + self.line and self.nearLine(x, y):
            colour = over(colour, LINE_COLOUR)
        return (colour[0], colour[1], colour[2], 1.0)


def onPixels(centre, width):
    """The centre of a line `width` whole pixels wide nearest to `centre` that covers whole
    pixels."""
    return round(centre - width / 2) + width / 2


def over(below, above):
    alpha = above[3]
    return [above[k] * alpha + below[k] * (1 - alpha) for k in range(3)]


def draw(size):
    """The icon at one size: rows of RGBA bytes, top row first."""
    shapes = Shapes(size)
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = shapes.colourAt(px + (sx + 0.5) / SAMPLES,
                                                 py + (sy + 0.5) / SAMPLES)
                    total = [total[0] + r * a, total[1] + g * a, total[2] + b * a, total[3] + a]
            alpha = total[3] / (SAMPLES * SAMPLES)
            if alpha == 0:
                row += bytes(4)
                continue
            row += bytes(round(total[k] / total[3]) for k in range(3)) + bytes([round(alpha * 255)])
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    pixels = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def bitmap(size, rows):
    """A 32-bit icon image as the executable's resources hold it: the header, the colours
    bottom-up in BGRA, then the mask, set where the picture is fully transparent."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = b"".join(bytes((row[i + 2], row[i + 1], row[i], row[i + 3]))
                       for row in reversed(rows) for i in range(0, len(row), 4))
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x in range(size):
            if row[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colours + bytes(mask)


def ico(images):
    """An icon file: PNG for 256 pixels, as Windows reads it since Vista, bitmaps below."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        side = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return directory + entries + data


def svg():
    s = Shapes(256)
    points = " ".join("%.2f,%.2f" % p for p in s.points)
    area = points + " %.2f,%.2f %.2f,%.2f" % (s.right, s.bottom, s.left, s.bottom)
    grid = "".join('  <line x1="%.2f" y1="%.2f" x2="%.2f" y2="%.2f"/>\n' % (s.left, g, s.right, g)
                   for g in s.grid)
    rgb = lambda c: "rgb(%d,%d,%d)" % c[:3]
    return f'''<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
 <title>PakVue</title>
 <defs>
  <linearGradient id="background" x1="0" y1="0" x2="0" y2="1">
   <stop offset="0" stop-color="{rgb(TOP_COLOUR)}"/>
   <stop offset="1" stop-color="{rgb(BOTTOM_COLOUR)}"/>
  </linearGradient>
  <linearGradient id="fill" gradientUnits="userSpaceOnUse" x1="0" y1="{s.top:.2f}" x2="0" y2="{s.bottom:.2f}">
   <stop offset="0" stop-color="{rgb(FILL_COLOUR)}" stop-opacity="0.85"/>
   <stop offset="1" stop-color="{rgb(FILL_COLOUR)}" stop-opacity="0.30"/>
  </linearGradient>
 </defs>
 <rect x="{s.border / 2:.2f}" y="{s.border / 2:.2f}" width="{256 - s.border:.2f}" height="{256 - s.border:.2f}" rx="{s.corner - s.border / 2:.2f}" fill="url(#background)" stroke="{rgb(BORDER_COLOUR)}" stroke-opacity="{BORDER_COLOUR[3]}" stroke-width="{s.border:.2f}"/>
 <g stroke="{rgb(GRID_COLOUR)}" stroke-opacity="{GRID_COLOUR[3]}" stroke-width="{s.gridWidth:.2f}">
{grid} </g>
 <polygon points="{area}" fill="url(#fill)"/>
 <line x1="{s.left:.2f}" y1="{s.gauge:.2f}" x2="{s.right:.2f}" y2="{s.gauge:.2f}" stroke="{rgb(GAUGE_COLOUR)}" stroke-width="{s.dot:.2f}" stroke-dasharray="{s.dot:.2f} {2 * s.dot:.2f}"/>
 <polyline points="{points}" fill="none" stroke="{rgb(LINE_COLOUR)}" stroke-width="{s.line:.2f}" stroke-linejoin="round" stroke-linecap="round"/>
</svg>
'''


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-icon.py <folder>")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    drawn = {size: draw(size) for size in ICO_SIZES}
    images = [(size, png(size, drawn[size]) if size >= 256 else bitmap(size, drawn[size]))
              for size in ICO_SIZES]
    with open(os.path.join(folder, "pakvue.ico"), "wb") as out:
        out.write(ico(images))
    for size in PNG_SIZES:
        with open(os.path.join(folder, "pakvue-%d.png" % size), "wb") as out:
            out.write(png(size, drawn[size]))
    with open(os.path.join(folder, "pakvue.svg"), "w", encoding="utf-8") as out:
        out.write(svg())


if __name__ == "__main__":
    main()
