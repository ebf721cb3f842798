"""Reads what a .lnk shortcut starts and where: the target path and the "Start in" folder
(MS-SHLLINK: header, optional ID list, optional LinkInfo, then the counted strings)."""

import struct

HEADER_SIZE = 0x4C
LINK_FLAGS_AT = 0x14

HAS_ID_LIST = 0x01
HAS_LINK_INFO = 0x02
HAS_NAME = 0x04
HAS_RELATIVE_PATH = 0x08
HAS_WORKING_DIR = 0x10
HAS_ARGUMENTS = 0x20
HAS_ICON_LOCATION = 0x40
IS_UNICODE = 0x80

# LinkInfo: size, header size, flags, volume id offset, local base path offset, ...
LINK_INFO_LOCAL_PATH_OFFSET_AT = 16
LINK_INFO_UNICODE_PATH_OFFSET_AT = 28
LINK_INFO_HEADER_WITH_UNICODE = 0x24
VOLUME_ID_AND_LOCAL_BASE_PATH = 0x01

STRING_FLAGS = ((HAS_NAME, "name"), (HAS_RELATIVE_PATH, "relative_path"),
                (HAS_WORKING_DIR, "working_dir"), (HAS_ARGUMENTS, "arguments"),
                (HAS_ICON_LOCATION, "icon_location"))


class BadLink(ValueError):
    pass


def _c_string(data, offset, wide):
    if wide:
        end = offset
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[offset:end].decode("utf-16-le")
    return data[offset:data.index(b"\0", offset)].decode("latin-1")


def read(data):
    """A dict with "target" (the LinkInfo's local path, or None) and, for each string the link
    carries, "name", "relative_path", "working_dir", "arguments", "icon_location"."""
    if len(data) < HEADER_SIZE or struct.unpack_from("<I", data, 0)[0] != HEADER_SIZE:
        raise BadLink("not a shell link")
    (flags,) = struct.unpack_from("<I", data, LINK_FLAGS_AT)
    offset = HEADER_SIZE
    if flags & HAS_ID_LIST:
        (size,) = struct.unpack_from("<H", data, offset)
        offset += 2 + size
    link = {"target": None}
    if flags & HAS_LINK_INFO:
        size, header_size, info_flags = struct.unpack_from("<III", data, offset)
        if info_flags & VOLUME_ID_AND_LOCAL_BASE_PATH:
            if header_size >= LINK_INFO_HEADER_WITH_UNICODE:
                (unicode_at,) = struct.unpack_from("<I", data,
                                                   offset + LINK_INFO_UNICODE_PATH_OFFSET_AT)
                link["target"] = _c_string(data, offset + unicode_at, True)
            else:
                (local_at,) = struct.unpack_from("<I", data,
                                                 offset + LINK_INFO_LOCAL_PATH_OFFSET_AT)
                link["target"] = _c_string(data, offset + local_at, False)
        offset += size
    wide = bool(flags & IS_UNICODE)
    for flag, key in STRING_FLAGS:
        if flags & flag:
            (count,) = struct.unpack_from("<H", data, offset)
            offset += 2
            length = count * (2 if wide else 1)
            raw = data[offset:offset + length]
            if len(raw) != length:
                raise BadLink("%s runs past the end" % key)
            # Wine counts the terminating NUL as well; Windows does not.
            link[key] = raw.decode("utf-16-le" if wide else "latin-1").rstrip("\0")
            offset += length
    return link


def read_file(path):
    with open(path, "rb") as handle:
        return read(handle.read())
