#!/usr/bin/env python3
"""Writes the program's two icons as .ico files (32x32 and 16x16, 32-bit).

host/win32/tova.ico (icon 400, the frame): a blue tile with a white "T" and a
small scatter of points, the analysis's ordination plot.
host/win32/child.ico (icon 401, the child windows): a sheet of text lines.

Run from the repository's root: tools/make-icons.py
"""
import struct
import sys
from pathlib import Path

BLUE = (0x1F, 0x4E, 0xA8, 0xFF)
DARK = (0x12, 0x2E, 0x66, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF, 0xFF)
GREY = (0x70, 0x70, 0x70, 0xFF)
YELLOW = (0xF2, 0xC1, 0x2E, 0xFF)
CLEAR = (0, 0, 0, 0)


def frame_image(size):
    s = size / 32.0
    pixels = [[CLEAR] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            edge = x == 0 or y == 0 or x == size - 1 or y == size - 1
            pixels[y][x] = DARK if edge else BLUE
    # The letter: a bar and a stem.
    for y in range(int(5 * s), int(9 * s)):
        for x in range(int(5 * s), int(27 * s)):
            pixels[y][x] = WHITE
    for y in range(int(9 * s), int(27 * s)):
        for x in range(int(14 * s), int(18 * s)):
            pixels[y][x] = WHITE
    for px, py in ((6, 20), (9, 14), (23, 13), (25, 21), (21, 25)):
        for dy in range(max(1, int(2 * s))):
            for dx in range(max(1, int(2 * s))):
                pixels[int(py * s) + dy][int(px * s) + dx] = YELLOW
    return pixels


def child_image(size):
    s = size / 32.0
    pixels = [[CLEAR] * size for _ in range(size)]
    left, right = int(5 * s), int(27 * s)
    top, bottom = int(2 * s), int(30 * s)
    for y in range(top, bottom):
        for x in range(left, right):
            edge = x in (left, right - 1) or y in (top, bottom - 1)
            pixels[y][x] = GREY if edge else WHITE
    lengths = (16, 12, 15, 9, 14, 16, 11)
    for row, length in enumerate(lengths):
        y = int((6 + row * 3.3) * s)
        if y >= bottom - 2:
            break
        for x in range(left + max(2, int(3 * s)), left + int((3 + length) * s)):
            pixels[y][x] = BLUE
    return pixels


def bitmap(pixels):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA rows, AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def ico(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for pixels in images:
        size = len(pixels)
        image = bitmap(pixels)
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        data += image
    return directory + entries + data


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent
    out = root / "host" / "win32"
    out.mkdir(parents=True, exist_ok=True)
    (out / "tova.ico").write_bytes(ico([frame_image(32), frame_image(16)]))
    (out / "child.ico").write_bytes(ico([child_image(32), child_image(16)]))


if __name__ == "__main__":
    main()
