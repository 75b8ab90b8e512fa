#!/usr/bin/env python3
"""Checks a window dump from xwd: the picture inside is made of whole Scale x Scale blocks, placed at
Left, Top, and everything around it is black. Usage: xwd-blocks.py FILE SCALE LEFT TOP WIDTH HEIGHT
(WIDTH and HEIGHT are the drawing area's own size, before scaling)."""
import struct
import sys


def read_xwd(path):
    data = open(path, "rb").read()
    header = struct.unpack(">25I", data[:100])
    header_size, width, height = header[0], header[4], header[5]
    bits_per_pixel, bytes_per_line, colours = header[11], header[12], header[19]
    if bits_per_pixel != 32:
        sys.exit(f"FAIL: the dump has {bits_per_pixel} bits per pixel, not 32")
    start = header_size + colours * 12
    order = "<" if header[7] == 0 else ">"  # byte order of the pixels

    def pixel(x, y):
        offset = start + y * bytes_per_line + x * 4
        return struct.unpack(order + "I", data[offset:offset + 4])[0] & 0xFFFFFF

    return width, height, pixel


def main():
    path, scale, left, top, width, height = sys.argv[1], *map(int, sys.argv[2:])
    out_w, out_h, pixel = read_xwd(path)
    right, bottom = left + width * scale, top + height * scale
    for y in range(out_h):
        for x in range(out_w):
            inside = left <= x < right and top <= y < bottom
            if not inside:
                if pixel(x, y) != 0:
                    sys.exit(f"FAIL: ({x},{y}) outside the picture is {pixel(x, y):06x}, not black")
                continue
            corner_x = left + (x - left) // scale * scale
            corner_y = top + (y - top) // scale * scale
            if pixel(x, y) != pixel(corner_x, corner_y):
                sys.exit(f"FAIL: ({x},{y}) differs from its block's corner ({corner_x},{corner_y})")
    print(f"{out_w}x{out_h}: {width}x{height} in whole {scale}x{scale} blocks at ({left},{top})")


main()
