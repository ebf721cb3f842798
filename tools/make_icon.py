#!/usr/bin/env python3
"""Draws the built-in envelope icon: one .ico with a 32x32 and a 16x16 image of 16 colours."""
import struct
import sys

# The standard 16-colour palette (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GRAY, WHITE, YELLOW, RED = 0, 4, 8, 15, 11, 9  # palette indices


def envelope(size):
    """Pixel rows (top first) of palette indices, or None for transparent."""
    px = [[None] * size for _ in range(size)]
    top, bottom = size // 4, size - size // 4 - 1
    left, right = 1, size - 2
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            px[y][x] = WHITE
    for x in range(left, right + 1):
        px[top][x] = px[bottom][x] = NAVY
    for y in range(top, bottom + 1):
        px[y][left] = px[y][right] = NAVY
    # The flap: two diagonals meeting in the middle.
    mid = (left + right) / 2
    depth = (bottom - top) * 0.6
    for x in range(left, right + 1):
        y = top + round(depth * (1 - abs(x - mid) / (mid - left)))
        px[y][x] = NAVY
    # A yellow stamp in the top right corner.
    s = max(2, size // 8)
    for y in range(top + 2, top + 2 + s):
        for x in range(right - 1 - s, right - 1):
            px[y][x] = RED if size >= 32 else YELLOW
    return px


def image(size):
    px = envelope(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(px):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            index = 0 if c is None else c
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def main(path):
    images = [image(32), image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1])
