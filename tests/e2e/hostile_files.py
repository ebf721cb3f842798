"""Files a careless program would choke on: icon files that are empty, cut short, of another
format or of many large images, and paths at the length limit."""

import os
import struct
import zlib

import icon_file

ICONDIR_SIZE = 6
ICONDIRENTRY_SIZE = 16
ICON_TYPE = 1
BITMAPINFOHEADER_SIZE = 40
BITS_PER_PIXEL = 32
OPAQUE = 0xFF
# An ICONDIRENTRY stores 256 as 0: the field is one byte.
ENTRY_SIZE_MODULO = 256
# From 16x16 up to the largest size an icon directory can describe.
MULTI_IMAGE_SIZES = (16, 20, 24, 32, 40, 48, 56, 64, 72, 80, 96, 112, 128, 144, 160, 176, 192,
                     208, 224, 256)

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
PNG_SIZE = 32
PNG_BIT_DEPTH = 8
PNG_COLOUR_RGBA = 6
PNG_NO_FILTER = b"\x00"

# What a directory level of a deep path is called: long, so few levels reach the limit.
DEEP_LEVEL_LENGTH = 50
# The last component must keep room for at least a short file name.
DEEP_LAST_MAX = 60
ICON_SUFFIX = ".ico"


def windows_path(path):
    """The Wine name of a Linux path: drive Z: is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_bytes(path, data):
    with open(path, "wb") as out:
        out.write(data)
    return path


def truncated_icon_bytes(rgb):
    """A valid one-image icon cut in the middle of its pixels: the directory promises more
    bytes than the file holds."""
    whole = icon_file.solid_icon_bytes(*rgb)
    return whole[:len(whole) // 2]


def _bitmap_image(size, rgb):
    red, green, blue = rgb
    pixels = bytes((blue, green, red, OPAQUE)) * size * size
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", BITMAPINFOHEADER_SIZE, size, size * 2, 1,
                         BITS_PER_PIXEL, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def multi_image_icon_bytes(rgb, sizes=MULTI_IMAGE_SIZES):
    """One icon file with an image of every size in `sizes`, all of one colour, so whichever
    image the shell picks shows that colour."""
    images = [_bitmap_image(size, rgb) for size in sizes]
    offset = ICONDIR_SIZE + ICONDIRENTRY_SIZE * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % ENTRY_SIZE_MODULO, size % ENTRY_SIZE_MODULO, 0,
                               0, 1, BITS_PER_PIXEL, len(image), offset)
        offset += len(image)
    return struct.pack("<HHH", 0, ICON_TYPE, len(images)) + entries + b"".join(images)


def _png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png_bytes(rgb, size=PNG_SIZE):
    """A valid PNG picture: a format the icon loader must refuse when it is named .ico."""
    row = PNG_NO_FILTER + bytes((*rgb, OPAQUE)) * size
    header = struct.pack(">IIBBBBB", size, size, PNG_BIT_DEPTH, PNG_COLOUR_RGBA, 0, 0, 0)
    return (PNG_SIGNATURE + _png_chunk(b"IHDR", header)
            + _png_chunk(b"IDAT", zlib.compress(row * size)) + _png_chunk(b"IEND", b""))


def deep_file_path(base_dir, length, suffix=ICON_SUFFIX):
    """A Linux path below base_dir whose Wine name is exactly `length` characters long; makes
    the directories on the way."""
    folder = base_dir
    while length - len(windows_path(folder)) > DEEP_LAST_MAX:
        folder = os.path.join(folder, "d" * DEEP_LEVEL_LENGTH)
    os.makedirs(folder, exist_ok=True)
    # One separator, then the file name fills the rest.
    name_length = length - len(windows_path(folder)) - 1
    if name_length < len(suffix) + 1:
        raise ValueError("%s is too long for a %d-character path" % (base_dir, length))
    path = os.path.join(folder, "f" * (name_length - len(suffix)) + suffix)
    assert len(windows_path(path)) == length
    return path
