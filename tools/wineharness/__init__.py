"""Wine harness: drives Windows programs under Xvfb + Wine for the end-to-end tests, the
package tests and the benchmark. Import with PYTHONPATH=<repo>/tools.

    with wineharness.Session(arch="i686") as session:    # display, prefix, keeper, mail log
        program = session.start(exe, cwd=folder)          # tracked by Linux PID
        session.click_tray(button=wineharness.X_RIGHT)    # the first icon of Wine's tray
        session.menu_keys(program.exe_name, "Down", "Return")
        session.mail_settled()                            # ["mailto:"] per hand-off so far

session.py: the host (loaders, whether this kernel runs them, prefixes, Xvfb, wait_for: every
wait polls with a timeout, ending processes by PID), a session's display, prefix copy,
programs, probe and mail log, and the shell there: the tray, menus, X windows, keys, pixels.
wexla.py: Wexla 98 as a person meets it, and AppTest, one session per test class.
probe.cpp: the helper inside the prefix for what only a Win32 process can see.

A host that cannot run the session's architecture makes Session raise NotRunnable (exit code
77, which ctest reports as not run); an i686 session prints how its program ran ("32-bit
program: ran natively" or "not run: this kernel runs no 32-bit programs ...")."""

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
