"""Writes a one-image .ico file of a single opaque colour, so a test can tell from the tray's
pixels whether the program shows that file."""

import struct

ICON_SIZE = 32
BITS_PER_PIXEL = 32
ICONDIR_SIZE = 6
ICONDIRENTRY_SIZE = 16
BITMAPINFOHEADER_SIZE = 40
ICON_TYPE = 1
OPAQUE = 0xFF


def solid_icon_bytes(red, green, blue, size=ICON_SIZE):
    row_bytes = size * BITS_PER_PIXEL // 8
    pixels = bytes((blue, green, red, OPAQUE)) * size * size
    # The AND mask has one bit per pixel, rows padded to 32 bits; all zero = all opaque.
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    # An icon's BITMAPINFOHEADER counts the XOR and AND bitmaps together: height doubled.
    header = struct.pack("<IiiHHIIiiII", BITMAPINFOHEADER_SIZE, size, size * 2, 1, BITS_PER_PIXEL,
                         0, row_bytes * size + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, ICON_TYPE, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, BITS_PER_PIXEL, len(image),
                        ICONDIR_SIZE + ICONDIRENTRY_SIZE)
    return directory + entry + image


def write_solid_icon(path, rgb):
    with open(path, "wb") as out:
        out.write(solid_icon_bytes(*rgb))
