#!/usr/bin/env python3
"""Draws Varnel's icon (a camera on black, in the window's light blue) at
16, 20, 24 and 32 pixels, 256 colours each, and writes them into one file,
resources/varnel.ico. Each size is drawn at its own grid, not shrunk from
the largest: the notification area takes the image of the small-icon size
at the screen's dots per inch (16 at 100 %, 20 at 125 %, 24 at 150 %, 32 at
200 %), and the window's caption and Alt+Tab take theirs."""
import math
import struct
import sys

SIZES = (16, 20, 24, 32)
BLACK, BLUE, WHITE, DARK = 0, 1, 2, 3
palette = [(0, 0, 0), (0, 153, 255), (255, 255, 255), (0, 60, 110)] + [(0, 0, 0)] * 252


def pixel(x, y, size):
    # The drawing is laid out on a 32-pixel grid; a pixel's centre is mapped
    # onto it, so that every size keeps the same shapes at its own resolution.
    s = 32 / size
    cx, cy = (x + 0.5) * s, (y + 0.5) * s
    # Body of the camera, with the lens and the flash window.
    if 3 <= cx <= 29 and 9 <= cy <= 27:
        r = math.hypot(cx - 16, cy - 18)
        if r <= 4.5:
            return DARK
        if r <= 7:
            return WHITE
        if 23 <= cx <= 27 and 11 <= cy <= 13 and size >= 20:
            return WHITE
        return BLUE
    # Viewfinder bump on top.
    if 11 <= cx <= 21 and 5 <= cy <= 9:
        return BLUE
    return BLACK


def image(size):
    rows = [[pixel(x, y, size) for x in range(size)] for y in range(size)]
    stride = (size + 3) // 4 * 4
    xor = b"".join(bytes(rows[size - 1 - y]) + b"\x00" * (stride - size) for y in range(size))  # bottom-up
    mask_stride = (size + 31) // 32 * 4
    and_mask = b"\x00" * (mask_stride * size)  # fully opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(and_mask), 0, 0, 256, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + pal + xor + and_mask


images = [image(size) for size in SIZES]
icondir = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
entries = b""
for size, data in zip(SIZES, images):
    entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(data), offset)
    offset += len(data)
out = sys.argv[1] if len(sys.argv) > 1 else "resources/varnel.ico"
with open(out, "wb") as f:
    f.write(icondir + entries + b"".join(images))
