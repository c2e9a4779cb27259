#!/usr/bin/env python3
"""Draws the program's 32x32, 16-colour icons: Orvalis.ico and
OrvalisWarning.ico, shown while a fax keeps failing.

The picture: a sheet of fax paper with printed lines, and an arrow from the
sheet into a tray. The warning variant puts a yellow warning sign over the
sheet. Run it again after changing the picture and commit the
.ico files it writes; the build uses the committed files.
"""
import os
import struct
import sys

# The standard 16-colour palette, as R, G, B.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREY, LIGHT_GREY, WHITE, BLUE, DARK_BLUE, YELLOW = 0, 8, 7, 15, 12, 4, 11
TRANSPARENT = None
SIZE = 32


def draw():
    px = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = colour

    # The sheet, with a black outline and a folded corner.
    rect(6, 2, 23, 25, BLACK)
    rect(7, 3, 22, 24, WHITE)
    rect(19, 3, 22, 6, LIGHT_GREY)
    # Printed lines.
    for y in (8, 11, 14, 17, 20):
        rect(9, y, 19 if y != 20 else 15, y, DARK_GREY)
    # The arrow down into the tray, in blue.
    rect(24, 12, 26, 22, BLUE)
    for i in range(5):
        rect(21 + i, 22 + i, 29 - i, 22 + i, BLUE)
    # The tray.
    rect(3, 27, 30, 30, DARK_BLUE)
    rect(5, 27, 28, 28, LIGHT_GREY)
    return px


def add_warning(px):
    """A black-edged yellow triangle with a black "!" over the sheet, big
    enough to read at the tray's 16x16. It covers only pixels that the plain
    icon paints too: a tray that does not erase behind an icon when it
    changes (Wine's) would otherwise keep bits of the warning after the plain
    icon is back."""
    top, bottom, centre = 8, 25, 15
    for y in range(top, bottom + 1):
        half = (y - top) // 2 + 1
        for x in range(centre - half, centre + half + 1):
            assert px[y][x] is not TRANSPARENT, (x, y)
            edge = y == bottom or abs(x - centre) >= half - 1
            px[y][x] = BLACK if edge else YELLOW
    for y in list(range(13, 21)) + [22, 23]:
        for x in (centre - 1, centre, centre + 1):
            px[y][x] = BLACK
    return px


def ico_bytes(px):
    rows_xor = []
    rows_and = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        row = px[y]
        nibbles = [(c if c is not None else 0) for c in row]
        rows_xor.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        mask_bits = 0
        for x, c in enumerate(row):
            if c is None:
                mask_bits |= 1 << (SIZE - 1 - x)
        rows_and.append(struct.pack(">I", mask_bits))
    xor = b"".join(rows_xor)
    and_mask = b"".join(rows_and)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(and_mask), 0, 0, 16, 0)
    image = header + palette + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(os.path.join(folder, "Orvalis.ico"), "wb") as f:
        f.write(ico_bytes(draw()))
    with open(os.path.join(folder, "OrvalisWarning.ico"), "wb") as f:
        f.write(ico_bytes(add_warning(draw())))
