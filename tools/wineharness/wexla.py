"""Wexla 98 as a person meets it: a copy in a folder of its own, its tray icon, its pop-up menu,
its windows and message boxes, and the mail hand-offs of its clicks."""

import functools
import json
import os
import pathlib
import shutil
import tempfile
import unittest

from .session import NUDGE_INTERVAL, X_RIGHT, HarnessError, Session, wait_for

CAPTION = "Wexla 98"
SETTINGS_NAME = "wexla.ini"
HELP_NAMES = ("wexla98.hlp", "wexla98.htm")
MOUSE_TITLE = "Mouse configuration"
ABOUT_TITLE = "About Wexla 98"
OPEN_TITLE = "Open"
# Written from the program's own definitions by the native build (tools/program_facts.cpp).
FACTS_FILE = os.environ.get("WEXLA_PROGRAM_FACTS") or os.path.join(
    os.path.dirname(__file__), "..", "..", "build", "native", "program_facts.json")
TYPING_DELAY_MS = 10
# A start on a loaded machine may keep Wine's tray waiting.
START_TIMEOUT = 60.0


@functools.cache
def facts():
    """Window classes, the tray icon's id and the pop-up menu's rows, as the program has them."""
    return json.loads(pathlib.Path(FACTS_FILE).read_text())


def exe():
    return os.environ["WEXLA_EXE"]  # the program under test


def settings_line(icon, double_click):
    return ('"%s",%s\r\n' % (icon, "#TRUE#" if double_click else "#FALSE#")).encode("latin-1")


def menu_keys(item, subitem=None):
    """The keys that choose a row of a menu just opened; Right opens a submenu on its first."""
    keys = ["Down"] * ([row for row in facts()["rows"] if row is not None].index(item) + 1)
    if subitem is not None:
        keys += ["Right"] + ["Down"] * facts()["submenu"].index(subitem)
    return keys + ["Return"]


class App:
    """The program copied into app_dir (its program folder) and driven in a session."""

    def __init__(self, session, exe, with_help=False):
        self.session = session
        self.exe_name = os.path.basename(exe)
        self.app_dir = tempfile.mkdtemp(prefix="program dir-", dir=session.dir)
        for name in (self.exe_name, *HELP_NAMES) if with_help else (self.exe_name,):
            shutil.copy(os.path.join(os.path.dirname(exe), name), self.app_dir)
        self.exe = os.path.join(self.app_dir, self.exe_name)
        self.settings = pathlib.Path(self.app_dir, SETTINGS_NAME)
        self.program = None

    def start(self, cwd=None):
        """Starts the program (in its folder unless told otherwise) until it shows its icon."""
        self.session.reset_mail()
        self.program = self.session.start(self.exe, cwd=cwd or self.app_dir)
        wait_for(self.session.icon_shown, START_TIMEOUT, "the program's tray icon")
        # A drawn cell is not yet a program that answers its icon: the shell must hold the
        # icon for the program's own window before a click is sure to reach it.
        wait_for(self.icon_held, START_TIMEOUT, "the shell to hold the program's icon")
        return self

    def icon_held(self, command="icon-exists"):
        """Whether the shell holds the program's icon, named by its main window's class and id;
        the probe's shell-restart command takes it away."""
        return self.session.probe(command, facts()["classes"]["main"],
                                  facts()["trayIconId"]) is not None

    def running(self):
        return self.program is not None and self.program.poll() is None

    def end(self):
        """Ends the program by PID; the tray is emptied, so the next icon is in the first cell."""
        def menus_closed():  # one left open when its program dies keeps the tray from clicks
            menus = self.session.menus(self.exe_name)
            if menus:
                self.session.xdotool("windowfocus", max(menus), check=False)
                self.session.xdotool("key", "Escape", check=False)
            return not menus
        if self.running():
            wait_for(menus_closed, what="the menus to close", interval=NUDGE_INTERVAL)
        self.session.stop(self.program)
        self.program = None
        self.session.clear_tray()

    def read_settings(self):
        return self.settings.exists() and self.settings.read_bytes()

    def open_menu(self):
        self.session.click_tray(button=X_RIGHT)
        return self.session.wait_menus(self.exe_name)[0]

    def choose(self, item, subitem=None):
        """By keyboard, which works only when the program took the foreground for its menu."""
        self.open_menu()
        self.session.menu_keys(self.exe_name, *menu_keys(item, subitem))
        self.session.wait_menus_gone(self.exe_name)
        # Off the tray, so that no tooltip or hover covers what comes next.
        self.session.move_away()

    def choose_icon_file(self, windows_path):
        """Change icon, then the path typed into the Open dialog, where focus starts."""
        self.choose("Icon", "Change icon")
        self.session.xdotool("windowfocus", "--sync", self.window(OPEN_TITLE))
        self.session.xdotool("type", "--delay", TYPING_DELAY_MS, windows_path)
        self.close(OPEN_TITLE, "Return")

    # ----- windows and message boxes, by their X windows -----

    def window(self, title):
        return self.session.x_window(self.program.pid, title)

    def window_gone(self, title):
        wait_for(lambda: not self.session.x_windows(self.program.pid, title),
                 what="%r to close" % title)

    def keys(self, title, *keys):
        self.session.keys(self.window(title), *keys)

    def close(self, title, *keys):
        """Closes a window (a message box: its text is the unit tests' to check) by keys."""
        self.keys(title, *keys)
        self.window_gone(title)

    def shell_restart(self):
        """As a restarting Explorer: the icon goes, "TaskbarCreated" is broadcast; it comes back."""
        if not self.icon_held("shell-restart"):
            raise HarnessError("the program's icon could not be taken away")
        wait_for(self.icon_held, what="the icon to come back")

    def click(self, double=False):
        self.session.click_tray(double=double)
        self.session.move_away()


class AppTest(unittest.TestCase):
    """One session per test class; app() gives a copy of the program, ended after the test."""

    @classmethod
    def setUpClass(cls):
        cls.session = Session()
        cls.addClassCleanup(cls.session.close)

    def app(self, settings=None, **options):
        app = App(self.session, exe(), **options)
        self.addCleanup(app.end)
        if settings is not None:
            app.settings.write_bytes(settings)
        return app
