#!/usr/bin/env python3
"""Draws Varnel's 32x32, 256-colour icon (a camera on black, in the window's
light blue) and writes it as resources/varnel.ico."""
import math
import struct
import sys

SIZE = 32
BLACK, BLUE, WHITE, DARK = 0, 1, 2, 3
palette = [(0, 0, 0), (0, 153, 255), (255, 255, 255), (0, 60, 110)] + [(0, 0, 0)] * 252

def pixel(x, y):
    cx, cy = x + 0.5, y + 0.5
    # Body of the camera, with the lens and the flash window.
    if 3 <= cx <= 29 and 9 <= cy <= 27:
        r = math.hypot(cx - 16, cy - 18)
        if r <= 4.5:
            return DARK
        if r <= 7:
            return WHITE
        if 23 <= cx <= 27 and 11 <= cy <= 13:
            return WHITE
        return BLUE
    # Viewfinder bump on top.
    if 11 <= cx <= 21 and 5 <= cy <= 9:
        return BLUE
    return BLACK

rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
xor = b"".join(bytes(rows[SIZE - 1 - y]) for y in range(SIZE))          # bottom-up
and_mask = b"\x00" * (SIZE * 4)                                         # fully opaque
header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(and_mask), 0, 0, 256, 0)
pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
image = header + pal + xor + and_mask
icondir = struct.pack("<HHH", 0, 1, 1)
entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
out = sys.argv[1] if len(sys.argv) > 1 else "resources/varnel.ico"
with open(out, "wb") as f:
    f.write(icondir + entry + image)
