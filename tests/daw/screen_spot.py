#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Finds a colour on an X screen dump (xwd, 32 bits a pixel): prints the
# centre of the widest run of pixels near the colour in the region asked,
# as "x y", or nothing. Usage: screen_spot.py DUMP RRGGBB [x0 y0 x1 y1]
import struct
import sys


def main():
    data = open(sys.argv[1], "rb").read()
    header = struct.unpack(">25I", data[:100])
    size, width, height, per_line, colours = header[0], header[4], header[5], header[12], header[19]
    pixels = size + colours * 12
    want = tuple(int(sys.argv[2][i:i + 2], 16) for i in (0, 2, 4))
    x0, y0, x1, y1 = (int(v) for v in sys.argv[3:7]) if len(sys.argv) >= 7 else (0, 0, width, height)
    best = None  # (run length, x, y)
    for y in range(max(0, y0), min(height, y1)):
        row = data[pixels + y * per_line:pixels + y * per_line + width * 4]
        run = 0
        for x in range(max(0, x0), min(width, x1)):
            b, g, r = row[x * 4], row[x * 4 + 1], row[x * 4 + 2]
            if max(abs(r - want[0]), abs(g - want[1]), abs(b - want[2])) <= 12:
                run += 1
                if best is None or run > best[0]:
                    best = (run, x - run // 2, y)
            else:
                run = 0
    if best and best[0] >= 8:
        print(best[1], best[2])


main()
