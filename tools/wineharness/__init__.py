"""Wine harness: drives Windows programs under Xvfb + Wine for the end-to-end tests, the
package tests and the benchmark (PYTHONPATH=<repo>/tools). session.py: the host, a session's
display, prefix, programs, probe and mail log, and the shell there; wexla.py: Wexla 98 as a
person meets it; probe.cpp: the helper inside the prefix for what only a Win32 process sees.
A host that cannot run a session's architecture ends the run as not run (exit code 77)."""

import os
import subprocess

from .session import *  # noqa: F401,F403 (the harness's names, one import away)
from .session import TOOL_TIMEOUT


def windows_path(path):
    """The Wine name of a Linux path: drive Z: is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_icon(path, colour, side=16):
    """An icon file of one one-colour image, made by ImageMagick."""
    subprocess.run(["convert", "-size", "%dx%d" % (side, side), "xc:rgb(%d,%d,%d)" % colour,
                    path], check=True, timeout=TOOL_TIMEOUT)
    return path
