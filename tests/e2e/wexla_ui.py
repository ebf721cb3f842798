"""What the icon, mouse and About end-to-end tests share: the program's visible texts, its
pop-up menu as keys, a copy of the program in a folder of its own, and the start logger."""

import os
import shutil
import subprocess
import tempfile
import time

import wexla_e2e as e2e

CAPTION = "Wexla 98"
MAIN_CLASS = "Wexla98Main"
SETTINGS_NAME = "wexla.ini"
HELP_NAME = "wexla98.hlp"
MAILTO = "mailto:"
NO_CHANGES = "No changes were made"
SAVE_QUESTION = "Changes were made. Do you want to save?"
ICON_LOAD_FAILED_PREFIX = "The file could not be loaded as an icon"

# The pop-up menu rows as the Down key reaches them (separators are skipped).
MENU_ROWS = ["Mouse configuration", "Icon", "Save settings", "Help", "About", "Quit"]
ICON_SUBMENU = ["Change icon", "Restore default icon"]

RGB_BYTES = 3
# A 16x16 icon in a 20x20 tray cell: most of its 256 pixels show the file's colour.
MIN_ICON_PIXELS = 128

START_LOGGER_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                   "start_logger.cpp")
MINGW_CXX = "x86_64-w64-mingw32-g++"
COMPILE_TIMEOUT = 180.0
# What the logger appends its command line to: the path of the started file plus this.
START_LOG_SUFFIX = ".log"


def settings_line(icon, double_click):
    return '"%s",%s\r\n' % (icon, "#TRUE#" if double_click else "#FALSE#")


def windows_path(path):
    """The Wine name of a Linux path: drive Z: is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def count_pixels(rgb_bytes, colour):
    wanted = bytes(colour)
    return sum(1 for i in range(0, len(rgb_bytes), RGB_BYTES)
               if rgb_bytes[i:i + RGB_BYTES] == wanted)


def start_logger_exe(out_dir):
    """The start logger: WEXLA_START_LOGGER when the build made it, else compiled here."""
    built = os.environ.get("WEXLA_START_LOGGER")
    if built and os.path.isfile(built):
        return built
    exe = os.path.join(out_dir, "start_logger.exe")
    subprocess.run([MINGW_CXX, "-std=c++20", "-O2", "-static", "-mwindows", "-Wall", "-Wextra",
                    "-Werror", "-o", exe, START_LOGGER_SOURCE], check=True,
                   timeout=COMPILE_TIMEOUT)
    return exe


def start_log(started_file):
    """The command lines a logger copy at this Linux path was started with."""
    try:
        with open(started_file + START_LOG_SUFFIX, encoding="latin-1") as log:
            return log.read().splitlines()
    except FileNotFoundError:
        return []


class TrayProgram:
    """The program copied into a folder of its own (its 'program directory'), started by PID
    and driven through its tray icon and pop-up menu."""

    def __init__(self, session, exe, with_help=False):
        self.session = session
        self.exe_name = os.path.basename(exe)
        self.app_dir = tempfile.mkdtemp(prefix="program dir-", dir=session.dir)
        self.exe = os.path.join(self.app_dir, self.exe_name)
        shutil.copy(exe, self.exe)
        help_file = os.path.join(os.path.dirname(exe), HELP_NAME)
        self.has_help = with_help and os.path.isfile(help_file)
        if self.has_help:
            shutil.copy(help_file, self.app_dir)
        self.program = None

    @property
    def settings_path(self):
        return os.path.join(self.app_dir, SETTINGS_NAME)

    def write_settings(self, content):
        with open(self.settings_path, "wb") as out:
            out.write(content.encode("latin-1"))

    def read_settings(self):
        with open(self.settings_path, "rb") as settings:
            return settings.read()

    def start(self, cwd=None):
        """Starts the program (in its own directory unless told otherwise) and waits until its
        icon is in the tray."""
        self.session.reset_mail()
        self.program = self.session.start(self.exe, cwd=cwd or self.app_dir)
        self.session.wait_window_class(MAIN_CLASS)
        self.session.wait_tray()
        e2e.wait_for(lambda: self.session.probe("icon-exists"), what="the program's tray icon")
        return self.program

    def running(self):
        return self.program is not None and self.program.running()

    def end(self):
        """Ends the program by PID and waits until its icon has left the tray, so that the
        next program's icon is in the first cell again."""
        if self.program is not None:
            self.session.stop(self.program)
            self.program = None
        self.session.clear_tray()

    # ----- the pop-up menu -----

    def open_menu(self):
        self.session.click_tray(button=e2e.X_RIGHT_BUTTON)
        return self.session.wait_menus(self.exe_name)[0]

    def choose(self, item, subitem=None):
        """Chooses a menu command by keyboard, which also shows that the program took the
        foreground before opening its menu."""
        self.open_menu()
        keys = ["Down"] * (MENU_ROWS.index(item) + 1)
        if subitem is not None:
            # Right opens the submenu with its first row selected.
            keys += ["Right"] + ["Down"] * ICON_SUBMENU.index(subitem)
        self.session.menu_keys(self.exe_name, *(keys + ["Return"]))
        self.session.wait_menus_gone(self.exe_name)
        self.leave_tray()

    def leave_tray(self):
        """Moves the pointer off the tray and waits until the icon's tooltip is gone: it is
        captioned like the program's message boxes and would be taken for one."""
        self.session.move_away()
        e2e.wait_for(lambda: not self.session.tooltip_texts(), what="the tray tooltip to hide")

    # ----- observations -----

    def tray_colour_count(self, colour):
        return count_pixels(self.session.tray_pixels(), colour)

    def wait_tray_colour(self, colour):
        e2e.wait_for(lambda: self.tray_colour_count(colour) >= MIN_ICON_PIXELS,
                     what="the tray icon to show colour %r" % (colour,))

    def wait_tray_pixels(self, expected, what):
        e2e.wait_for(lambda: self.session.tray_pixels() == expected, what=what)

    def message(self):
        """Waits for a message box of the program; returns its text."""
        return self.session.message_text(CAPTION)

    def dismiss_message(self):
        self.session.click_button(CAPTION, "OK")
        self.session.wait_no_window(CAPTION)

    def assert_nothing_to_save(self, test):
        """Save settings must answer that there is nothing to save, and write nothing."""
        before = self.settings_or_none()
        self.choose("Save settings")
        test.assertEqual(NO_CHANGES, self.message())
        self.dismiss_message()
        test.assertEqual(before, self.settings_or_none(), "Save changed wexla.ini")

    def settings_or_none(self):
        return self.read_settings() if os.path.exists(self.settings_path) else None

    def window(self, title):
        """The program's visible top-level Win32 windows with this title."""
        return [w for w in self.session.win32_windows(title=title) if w["visible"]]

    def wait_window(self, title):
        return e2e.wait_for(lambda: self.window(title), what="the window %r" % title)[0]

    def wait_window_gone(self, title):
        e2e.wait_for(lambda: not self.window(title), what="the window %r to close" % title)

    def x_window(self, title):
        """The program's own visible X window with this title: the tray's tooltip carries the
        program's name too, and a window just closed may still be listed for a moment."""
        def found():
            windows = self.session.search("--all", "--pid", self.program.pid, "--name",
                                          "^%s$" % title)
            return windows[-1] if windows else None
        return e2e.wait_for(found, what="the X window %r" % title)

    def keys(self, title, *keys):
        """Types keys into the program's window with this title."""
        self.session.keys(self.x_window(title), *keys)

    def controls(self, window):
        """The child controls of a window, by their text."""
        return {c["text"]: c for c in self.session.probe("children", window["hwnd"]) or []}

    def single_click(self):
        self.session.click_tray()
        self.leave_tray()

    def double_click(self):
        self.session.click_tray(double=True)
        self.leave_tray()

    def assert_hand_offs(self, test, count):
        """Waits for `count` hand-offs of "mailto:", then proves with a later sentinel that
        there are no more."""
        if count:
            self.session.wait_mail(count)
        test.assertEqual([MAILTO] * count, self.session.mail_sentinel())

    @staticmethod
    def pause_between_clicks():
        # Far enough apart that the shell cannot join two clicks into one double click.
        time.sleep(e2e.SEPARATE_CLICK_GAP_S)
