"""Wine harness: drives Windows programs under Xvfb + Wine for the end-to-end tests, the
package tests and the benchmark (PYTHONPATH=<repo>/tools). session.py: the host, a session's
display, prefix, programs, probe and mail log, and the shell there; wexla.py: Wexla 98 as a
person meets it; probe.cpp: the helper inside the prefix for what only a Win32 process sees.
A host that cannot run a session's architecture ends the run as not run (exit code 77)."""

import os
import subprocess

from .session import (LOADERS, SEPARATE_CLICK_GAP_S, TOOL_TIMEOUT, TRAY_NAME, X_LEFT,  # noqa: F401
                      X_RIGHT, HarnessError, NotRunnable, Session, Shell, arch_unavailable,
                      count_colour, end_process, wait_for)


def windows_path(path):
    """The Wine name of a Linux path: drive Z: is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_icon(path, colour, side=16):
    """An icon file of one one-colour image, made by ImageMagick."""
    subprocess.run(["convert", "-size", "%dx%d" % (side, side), "xc:rgb(%d,%d,%d)" % colour,
                    path], check=True, timeout=TOOL_TIMEOUT)
    return path
