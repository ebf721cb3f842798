"""Wine harness: drives Windows programs under Xvfb + Wine for the end-to-end tests, the
package tests and the benchmark. Import with PYTHONPATH=<repo>/tools.

    with wineharness.Session(arch="i686") as session:    # display, prefix, keeper, mail log
        program = session.start(exe, cwd=folder)          # tracked by Linux PID
        session.click_tray(button=wineharness.X_RIGHT)    # icon 1 of Wine's tray window
        session.menu_keys(program.exe_name, "Down", "Return")
        session.mail_settled()                            # ["mailto:"] per hand-off so far

host.py: loaders, whether this kernel runs them, prefixes, Xvfb, wait_for (every wait polls
with a timeout), ending processes by PID. session.py: a session's display, prefix copy,
programs, probe and mail log. shell.py: the tray, menus, X windows, keys and pixels.
wexla.py: Wexla 98 as a person meets it, and AppTest, one session per test class.
probe.cpp: the helper inside the prefix for what only a Win32 process can see.

A host that cannot run the session's architecture makes Session raise NotRunnable (exit code
77, which ctest reports as not run); an i686 session prints how its program ran ("32-bit
program: ran natively" or "not run: this kernel runs no 32-bit programs ...")."""

import os
import subprocess

from .host import TOOL_TIMEOUT, HarnessError, end_pid, end_process, loader, wait_for  # noqa: F401
from .session import NOT_RUN_EXIT, NotRunnable, Session  # noqa: F401
from .shell import SEPARATE_CLICK_GAP_S, X_LEFT, X_RIGHT, count_colour  # noqa: F401


def windows_path(path):
    """The Wine name of a Linux path: drive Z: is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_icon(path, images):
    """An icon file of one-colour images [(side, (r, g, b)), ...], made by ImageMagick."""
    sizes = [arg for side, colour in images
             for arg in ("-size", "%dx%d" % (side, side), "xc:rgb(%d,%d,%d)" % colour)]
    subprocess.run(["convert", *sizes, path], check=True, timeout=TOOL_TIMEOUT)
    return path
