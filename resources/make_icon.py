#!/usr/bin/env python3
"""Draws the QUILLPACK icon: one 32 x 32 image in the 16 standard colours.

The mark is a white "Q" on a blue rounded tile whose tail is a yellow quill nib
with its slit. Writes resources/quillpack.ico; with --preview FILE also a PPM of
the image scaled up eight times, for looking at it.

    python3 resources/make_icon.py [--preview icon.ppm]
"""
import math
import os
import struct
import sys

SIZE = 32
# The 16 standard colours, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, OLIVE, NAVY, GRAY, YELLOW, BLUE, WHITE = 0, 3, 4, 8, 11, 12, 15
CLEAR = None  # transparent


def inside_rounded_square(x, y, left, top, right, bottom, radius):
    """True when the pixel centre (x + .5, y + .5) lies inside the rounded square."""
    px, py = x + 0.5, y + 0.5
    if not (left <= px <= right and top <= py <= bottom):
        return False
    cx = min(max(px, left + radius), right - radius)
    cy = min(max(py, top + radius), bottom - radius)
    return (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy)), t


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if inside_rounded_square(x, y, 1, 1, 31, 31, 6):
                # A navy rim, a one-pixel light edge at the top left, blue inside.
                if not inside_rounded_square(x, y, 2, 2, 30, 30, 5):
                    pixels[y][x] = NAVY
                elif not inside_rounded_square(x, y, 3, 3, 30, 30, 4):
                    pixels[y][x] = WHITE if (x + y) < 20 else BLUE
                else:
                    pixels[y][x] = BLUE
    # Shadow of the tile: one pixel of navy to the bottom and right.
    for y in range(SIZE):
        for x in range(SIZE):
            if pixels[y][x] is CLEAR and x > 0 and y > 0 and pixels[y - 1][x - 1] is not CLEAR:
                if x == 31 or y == 31:
                    pixels[y][x] = GRAY

    # The ring of the Q.
    cx, cy = 14.5, 14.5
    for y in range(SIZE):
        for x in range(SIZE):
            r = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if 5.2 <= r <= 9.3:
                pixels[y][x] = WHITE

    # The tail: a nib from inside the ring to the lower right, wide at its root,
    # pointed at its tip, with a dark slit along its axis.
    ax, ay, bx, by = 17.0, 17.0, 28.0, 28.0
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5, y + 0.5
            d, t = distance_to_segment(px, py, ax, ay, bx, by)
            half_width = 3.0 * (1.0 - t) + 0.4
            if t > 0.0 and d <= half_width:
                if t > 0.35 and d <= 0.5 and t < 0.9:
                    pixels[y][x] = BLACK
                elif d > half_width - 0.9:
                    pixels[y][x] = OLIVE
                else:
                    pixels[y][x] = YELLOW
    # The nib's breather hole, where the slit begins.
    hx, hy = ax + 0.30 * (bx - ax), ay + 0.32 * (by - ay)
    pixels[int(hy)][int(hx)] = BLACK
    return pixels


def icon_bytes(pixels):
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bottom-up
        row = pixels[y]
        xor = bytearray()
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not CLEAR else 0
            lo = row[x + 1] if row[x + 1] is not CLEAR else 0
            xor.append(hi << 4 | lo)
        mask = 0
        for x in range(SIZE):
            mask = mask << 1 | (1 if row[x] is CLEAR else 0)
        xor_rows.append(bytes(xor))
        and_rows.append(struct.pack(">I", mask))
    image_bits = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(image_bits), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + image_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def write_preview(pixels, path, scale=8):
    with open(path, "wb") as out:
        out.write(b"P6 %d %d 255\n" % (SIZE * scale, SIZE * scale))
        for y in range(SIZE * scale):
            for x in range(SIZE * scale):
                p = pixels[y // scale][x // scale]
                # Transparent pixels as a light checkerboard.
                if p is CLEAR:
                    c = 0xE8 if ((x // 8 + y // 8) % 2) else 0xD0
                    out.write(bytes((c, c, c)))
                else:
                    out.write(bytes(PALETTE[p]))


def main():
    pixels = draw()
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "quillpack.ico"), "wb") as out:
        out.write(icon_bytes(pixels))
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        write_preview(pixels, sys.argv[2])


if __name__ == "__main__":
    main()
