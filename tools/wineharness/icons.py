"""Icon files whose images a test can tell apart by colour in the tray's pixels."""

import struct

BITS_PER_PIXEL = 32
ICON_TYPE = 1
OPAQUE = 0xFF
# An icon directory entry stores each side in one byte: 256 is stored as 0.
SIDE_MODULO = 256
HEADER_SIZES = (6, 16, 40)  # ICONDIR, ICONDIRENTRY, BITMAPINFOHEADER


def icon_bytes(images):
    """An .ico of opaque one-colour images, given as [(side, (r, g, b)), ...]."""
    directory_size, entry_size, info_size = HEADER_SIZES
    bitmaps = []
    for side, (red, green, blue) in images:
        pixels = bytes((blue, green, red, OPAQUE)) * side * side
        # The AND mask: one bit per pixel, rows padded to 32 bits; all zero is all opaque.
        mask = bytes(((side + 31) // 32) * 4 * side)
        # An icon's bitmap header counts the colour and mask bitmaps together: height doubled.
        header = struct.pack("<IiiHHIIiiII", info_size, side, side * 2, 1, BITS_PER_PIXEL, 0,
                             len(pixels) + len(mask), 0, 0, 0, 0)
        bitmaps.append(header + pixels + mask)
    offset = directory_size + entry_size * len(images)
    entries = b""
    for (side, _), bitmap in zip(images, bitmaps):
        entries += struct.pack("<BBBBHHII", side % SIDE_MODULO, side % SIDE_MODULO, 0, 0, 1,
                               BITS_PER_PIXEL, len(bitmap), offset)
        offset += len(bitmap)
    return struct.pack("<HHH", 0, ICON_TYPE, len(images)) + entries + b"".join(bitmaps)


def write_icon(path, images):
    with open(path, "wb") as out:
        out.write(icon_bytes(images))
    return path
