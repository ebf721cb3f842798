"""The few PE header fields the package tests look at: machine and subsystem."""

import struct

DOS_MAGIC = b"MZ"
PE_SIGNATURE = b"PE\0\0"
NEW_HEADER_OFFSET_AT = 0x3C
COFF_HEADER_SIZE = 20
# The subsystem sits at the same place in the PE32 and PE32+ optional headers.
SUBSYSTEM_OFFSET = 68

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664
SUBSYSTEM_WINDOWS_GUI = 2

MACHINE_OF_ARCH = {"i686": MACHINE_I386, "x86_64": MACHINE_AMD64}


class NotPe(ValueError):
    pass


def read(data):
    """(machine, subsystem) of a PE image given as bytes."""
    if data[:2] != DOS_MAGIC:
        raise NotPe("no MZ header")
    (pe_offset,) = struct.unpack_from("<I", data, NEW_HEADER_OFFSET_AT)
    if data[pe_offset:pe_offset + 4] != PE_SIGNATURE:
        raise NotPe("no PE signature at 0x%x" % pe_offset)
    (machine,) = struct.unpack_from("<H", data, pe_offset + 4)
    optional = pe_offset + 4 + COFF_HEADER_SIZE
    (subsystem,) = struct.unpack_from("<H", data, optional + SUBSYSTEM_OFFSET)
    return machine, subsystem
