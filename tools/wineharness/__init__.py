"""Wine harness: drives Windows programs under Xvfb + Wine for the end-to-end tests, the
package tests and the benchmark. Import with PYTHONPATH=<repo>/tools.

    with wineharness.Session(arch="i686") as session:    # display, prefix, keeper, mail log
        program = session.start(exe, cwd=folder)          # tracked by Linux PID
        session.click_tray(button=wineharness.X_RIGHT)    # icon 1 of Wine's tray window
        menu = session.wait_menus(program.exe_name)[0]
        session.click_menu_row(menu, 0)                   # or menu_keys(exe_name, "Down", ...)
        box = session.message_box(windows_pid)            # message boxes by process
        session.answer(box, "OK")
        session.mail_settled()                            # ["mailto:"] per hand-off so far

Session (session.py): the private Xvfb display, a copy of one booted prefix per test run
(WINEHARNESS_PREFIX, made by `python3 -m wineharness prefix DIR`), the environment, programs
started with the loader of the session's architecture and ended by PID plus `wineserver -w`,
the probe (WINEHARNESS_PROBE, an x86_64 probe.exe), the mail hand-off log with the logger's own
time of each hand-off (hand_offs()), the registry in the architecture's view (reg_set,
reg_delete, reg_values), the DPI (Session(dpi=120)) and drive letters (map_drive).
Shell (shell.py): the tray (click_tray, hover_tray, tray_pixels, clear_tray), menus (menus,
menu_keys, menu_rows measured from the menu's pixels, click_menu_row), Win32 windows through
the probe (windows, controls, click_button, message_box, answer) and X windows by PID.
host.py: loaders, the 32-bit check, wait_for (every wait polls with a timeout), end_process.
icons.py: icon files of one-colour images.
browser.py: file types and their programs (file_type, set_file_type) and BrowserLog, the
pages and addresses handed to Wine's browser.
wexla.py: Wexla 98 as a person meets it (App: a copy in its own folder, menu commands by
keyboard or mouse, the Open dialog, its windows and message boxes, clicks and hand-offs) and
AppTest, a unittest base class with one session per class.
probe.cpp: the helper inside the prefix (Win32 texts, button clicks, tray callbacks, a shell
restart, process counters); started with no command it stands in for another program and logs
its command line.

A host that cannot run the session's architecture makes Session raise NotRunnable, a
SystemExit with code 77, which ctest reports as "not run" when SKIP_RETURN_CODE is 77. Create
sessions in setUpModule or setUpClass, whose failures unittest does not swallow. An i686
session says how its programs run ("32-bit program: ran natively", "ran emulated" or "not
run", and why): where the kernel refuses 32-bit code, Session(emulation=True) (or
WINEHARNESS_EMULATION=1) runs them under qemu-i386, with every wait ten times longer;
WINEHARNESS_I686=emulated forces that path, =native forbids it. Session(desktop=True) shows
the programs in Wine's virtual desktop with its taskbar, for pictures; tests use the plain tray.
"""

import os

from . import browser  # noqa: F401
from .host import (HarnessError, arch_unavailable, end_pid, end_process, loader,  # noqa: F401
                   wait_for)
from .icons import icon_bytes, write_icon  # noqa: F401
from .session import NOT_RUN_EXIT, NotRunnable, Program, Session  # noqa: F401
from .shell import (SEPARATE_CLICK_GAP_S, TRAY_CELL, X_LEFT, X_RIGHT,  # noqa: F401
                    count_colour)


def windows_path(path):
    """The Wine name of a Linux path: drive Z: is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")
