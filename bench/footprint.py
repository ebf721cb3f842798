"""Static footprint of the release programs: stripped size and the DLLs they import."""

import os
import re
import shutil
import subprocess
import tempfile

# DLLs every Windows version from XP on ships in its system directory.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
               "msvcrt.dll", "shell32.dll", "user32.dll", "ole32.dll", "shlwapi.dll",
               "version.dll", "psapi.dll"}

OBJDUMP = {"i686": "i686-w64-mingw32-objdump", "x86_64": "x86_64-w64-mingw32-objdump"}
STRIP = {"i686": "i686-w64-mingw32-strip", "x86_64": "x86_64-w64-mingw32-strip"}


def imports(arch, exe):
    """{DLL name as the program spells it: names of the functions it imports from it}."""
    out = subprocess.run([OBJDUMP[arch], "-p", exe], capture_output=True, text=True,
                         check=True).stdout
    found, dll = {}, None
    for line in out.splitlines():
        named = re.match(r"\s*DLL Name:\s*(\S+)", line)
        function = re.match(r"\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_]\w*)", line)
        if named:
            dll = named.group(1)
            found.setdefault(dll, set())
        elif function and dll:
            found[dll].add(function.group(1))
    return found


def imported_dlls(arch, exe):
    return sorted(imports(arch, exe), key=str.lower)


def only_system_dlls(dlls):
    return bool(dlls) and all(dll.lower() in SYSTEM_DLLS for dll in dlls)


def stripped_size(arch, exe):
    """Size after strip, measured on a copy so the build tree is left alone."""
    with tempfile.TemporaryDirectory(prefix="bench-strip-") as work:
        copy = os.path.join(work, os.path.basename(exe))
        shutil.copyfile(exe, copy)
        subprocess.run([STRIP[arch], copy], check=True)
        return os.path.getsize(copy)


def measure(arch, exe):
    dlls = imported_dlls(arch, exe)
    return {
        "exe": exe,
        "bytes": stripped_size(arch, exe),
        "dlls": dlls,
        "only_system_dlls": only_system_dlls(dlls),
    }
