"""Draws ZTLumbrel's icons and writes them as .ico files (16 x 16 and 32 x 32, 32-bit with alpha):
   ztlumbrel.ico  the program and its windows: a whiteboard with a stroke of marker ink laid over
                  a small blue screen
   tray.ico       the tray: the same picture, drawn bolder for the notification area
   up.ico down.ico left.ico right.ico  the settings dialog's arrow buttons
Usage: make_icons.py OUTPUT_FOLDER"""

import os
import struct
import sys

TRANSPARENT = (0, 0, 0, 0)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[TRANSPARENT] * size for _ in range(size)]

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle x0 <= x < x1, y0 <= y < y1 (top-down coordinates)."""
        for y in range(max(0, y0), min(self.size, y1)):
            for x in range(max(0, x0), min(self.size, x1)):
                self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour, width=1):
        self.fill(x0, y0, x1, y0 + width, colour)
        self.fill(x0, y1 - width, x1, y1, colour)
        self.fill(x0, y0, x0 + width, y1, colour)
        self.fill(x1 - width, y0, x1, y1, colour)

    def dot(self, x, y, colour, radius):
        for yy in range(int(y - radius), int(y + radius) + 1):
            for xx in range(int(x - radius), int(x + radius) + 1):
                if (xx - x) ** 2 + (yy - y) ** 2 <= radius * radius and 0 <= xx < self.size and 0 <= yy < self.size:
                    self.px[yy][xx] = colour

    def stroke(self, points, colour, radius):
        for (xa, ya), (xb, yb) in zip(points, points[1:]):
            steps = int(max(abs(xb - xa), abs(yb - ya)) * 4) + 1
            for i in range(steps + 1):
                t = i / steps
                self.dot(xa + (xb - xa) * t, ya + (yb - ya) * t, colour, radius)

    def triangle(self, direction, colour):
        """A solid arrow head pointing up, down, left or right, centred."""
        n = self.size
        half = n * 5 // 16
        for i in range(half + 1):
            span = i
            a = n // 2 - half // 2 + i  # along the arrow, from its tip
            for j in range(n // 2 - span, n // 2 + span + (n % 2)):
                x, y = {"up": (j, a), "down": (j, n - 1 - a), "left": (a, j), "right": (n - 1 - a, j)}[direction]
                if 0 <= x < n and 0 <= y < n:
                    self.px[y][x] = colour


def board_picture(size, bold):
    c = Canvas(size)
    s = size / 32.0
    screen = (40, 110, 200, 255)
    c.fill(int(1 * s), int(3 * s), int(31 * s), int(27 * s), (60, 60, 60, 255))       # board frame
    c.fill(int(2 * s), int(4 * s), int(30 * s), int(26 * s), (255, 255, 255, 255))    # writing surface
    c.fill(int(7 * s), int(8 * s), int(25 * s), int(21 * s), screen)                  # the PC screen
    c.fill(int(8 * s), int(9 * s), int(24 * s), int(20 * s), (150, 200, 245, 255))
    ink = (200, 30, 30, 255)
    c.stroke([(4 * s, 22 * s), (10 * s, 12 * s), (16 * s, 18 * s), (23 * s, 7 * s), (28 * s, 14 * s)], ink,
             (1.6 if bold else 1.1) * s)
    c.fill(int(12 * s), int(27 * s), int(20 * s), int(30 * s), (60, 60, 60, 255))     # stand
    return c


def arrow(size, direction):
    c = Canvas(size)
    c.triangle(direction, (0, 0, 0, 255))
    return c


def ico(canvases):
    """An .ico file of 32-bit images: each a bottom-up BGRA bitmap and a 1-bit AND mask."""
    header = struct.pack("<HHH", 0, 1, len(canvases))
    entries, images = b"", b""
    offset = 6 + 16 * len(canvases)
    for c in canvases:
        n = c.size
        bmp = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
        for row in reversed(c.px):
            bmp += b"".join(struct.pack("<BBBB", b, g, r, a) for (r, g, b, a) in row)
        mask_row = ((n + 31) // 32) * 4
        for row in reversed(c.px):
            bits = bytearray(mask_row)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            bmp += bytes(bits)
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(bmp), offset)
        images += bmp
        offset += len(bmp)
    return header + entries + images


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    files = {
        "ztlumbrel.ico": [board_picture(32, False), board_picture(16, False)],
        "tray.ico": [board_picture(32, True), board_picture(16, True)],
    }
    for d in ("up", "down", "left", "right"):
        files[d + ".ico"] = [arrow(32, d), arrow(16, d)]
    for name, canvases in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(ico(canvases))


if __name__ == "__main__":
    main()
