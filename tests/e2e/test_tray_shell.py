"""End-to-end tests of Wexla 98's tray shell, run under Xvfb + Wine.

Needs WEXLA_EXE (wexla98.exe, x86_64) and WEXLA_PROBE (wexla_probe.exe); skips without them.
One Xvfb + prefix serves the whole module; every test starts its own program in its own current
directory and ends it by PID.
"""

import contextlib
import os
import shutil
import tempfile
import time
import unittest

import icon_file
import wexla_e2e as e2e

EXE = os.environ.get("WEXLA_EXE")
PROBE = os.environ.get("WEXLA_PROBE")
MISSING = [name for name, value in (("WEXLA_EXE", EXE), ("WEXLA_PROBE", PROBE))
           if not value or not os.path.isfile(value)]

MAIN_CLASS = "Wexla98Main"
HOOK_CLASS = "Wexla98Hook"
TITLE = "Wexla 98"
CAPTION = "Wexla 98"
SETTINGS_NAME = "wexla.ini"
MAILTO = "mailto:"
NO_CHANGES = "No changes were made"
UNREADABLE_PREFIX = "The settings file wexla.ini could not be read"

# The pop-up menu as a person sees it: rows and separators, top to bottom.
MENU_LAYOUT = ["Mouse configuration", None, "Icon", None, "Save settings", "Help", "About", None,
               "Quit"]
ICON_SUBMENU = ["Change icon", "Restore default icon"]
MENU_ROW_HEIGHT = 16
MENU_SEPARATOR_HEIGHT = 8
# Wine pads a pop-up menu by a few pixels above and below its rows.
MENU_MAX_PADDING = 12

ICON_RGB = (255, 0, 0)
# A 16x16 icon in a 20x20 cell: most of its 256 pixels must be the file's colour.
MIN_ICON_PIXELS = 128
RGB_BYTES = 3

_session = None


def setUpModule():
    global _session
    if MISSING:
        raise unittest.SkipTest("set %s to run the tray-shell end-to-end tests"
                                % " and ".join(MISSING))
    _session = e2e.Session(PROBE)


def tearDownModule():
    global _session
    if _session is not None:
        _session.close()
        _session = None


def settings_line(icon, double_click):
    return '"%s",%s\r\n' % (icon, "#TRUE#" if double_click else "#FALSE#")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def menu_height(layout):
    rows = sum(1 for item in layout if item is not None)
    separators = len(layout) - rows
    return rows * MENU_ROW_HEIGHT + separators * MENU_SEPARATOR_HEIGHT


def count_pixels(rgb_bytes, colour):
    wanted = bytes(colour)
    return sum(1 for i in range(0, len(rgb_bytes), RGB_BYTES)
               if rgb_bytes[i:i + RGB_BYTES] == wanted)


class TrayShellTest(unittest.TestCase):
    """Starts a fresh program per case in a fresh current directory."""

    def setUp(self):
        self.session = _session
        self.exe_name = os.path.basename(EXE)
        self.program = None
        self.cwd = None
        self.fresh_directory()

    def tearDown(self):
        self.end_program()
        shutil.rmtree(self.cwd, ignore_errors=True)

    # ----- helpers -----

    def fresh_directory(self):
        if self.cwd:
            shutil.rmtree(self.cwd, ignore_errors=True)
        self.cwd = tempfile.mkdtemp(prefix="cwd-", dir=self.session.dir)
        # Hand-offs of an earlier case must not count for this one.
        self.session.reset_mail()

    def end_program(self):
        if self.program is not None:
            self.session.close_menus(self.exe_name)
            self.session.stop(self.program)
            self.program = None
        # The next case must find its own icon in the first cell.
        self.session.clear_tray()

    @contextlib.contextmanager
    def case(self, **params):
        """One sub-case with its own program and directory, cleaned up even when it fails."""
        with self.subTest(**params):
            try:
                yield
            finally:
                self.end_program()
                self.fresh_directory()

    def write_settings(self, content, name=SETTINGS_NAME):
        path = os.path.join(self.cwd, name)
        with open(path, "wb") as out:
            out.write(content.encode("latin-1") if isinstance(content, str) else content)
        return path

    def start(self):
        self.program = self.session.start(EXE, cwd=self.cwd)
        return self.program

    def start_and_wait_ready(self):
        """Starts the program and waits for its main window and its tray icon."""
        self.start()
        main = self.session.wait_window_class(MAIN_CLASS)
        self.session.wait_tray()
        e2e.wait_for(lambda: self.session.probe("icon-exists"), what="the program's tray icon")
        return main

    def assert_hand_offs(self, count):
        """Waits for `count` hand-offs, then proves with a later sentinel that there are no
        more: a bare wait could not tell 'none yet' from 'none at all'."""
        if count:
            self.session.wait_mail(count)
        self.assertEqual([MAILTO] * count, self.session.mail_sentinel())

    def single_click(self):
        self.session.click_tray()
        self.session.move_away()

    def double_click(self):
        self.session.click_tray(double=True)
        self.session.move_away()

    def open_menu(self):
        self.session.click_tray(button=e2e.X_RIGHT_BUTTON)
        return self.session.wait_menus(self.exe_name)[0]

    def choose_by_keys(self, *keys):
        menu = self.open_menu()
        self.session.menu_keys(self.exe_name, *keys)
        return menu

    def keys_to(self, item):
        """Down presses that select an item of the fresh menu (separators are skipped)."""
        rows = [entry for entry in MENU_LAYOUT if entry is not None]
        return ["Down"] * (rows.index(item) + 1) + ["Return"]

    def dismiss_message(self):
        self.session.click_button(CAPTION, "OK")
        self.session.wait_no_window(CAPTION)

    # ----- start-up -----

    def test_starts_hidden_with_named_main_window_and_hook(self):
        main = self.start_and_wait_ready()
        self.assertEqual(TITLE, main["title"])
        self.assertFalse(main["visible"])
        own = self.session.probe("windows", "--pid", main["pid"])
        self.assertEqual([], [w for w in own if w["visible"]], "a window shows at start")
        children = self.session.probe("children", main["hwnd"])
        self.assertEqual([HOOK_CLASS], [c["class"] for c in children])
        self.assertEqual(1, len(self.session.win32_windows(MAIN_CLASS)))

    def test_tooltip_names_the_program(self):
        self.start_and_wait_ready()
        self.session.hover_tray()
        texts = e2e.wait_for(self.session.tooltip_texts, what="the tray tooltip")
        self.assertIn(TITLE, texts)

    # ----- mouse modes and the settings file -----

    def test_single_click_mode_hands_off_once_per_click(self):
        for content in (None, settings_line("0", False), settings_line("", False)):
            with self.case(settings=content):
                if content is not None:
                    self.write_settings(content)
                self.start_and_wait_ready()
                self.single_click()
                self.assert_hand_offs(1)
                self.double_click()
                # A double click is two clicks to a single-click program, never three.
                self.assert_hand_offs(3)

    def test_double_click_mode_ignores_single_clicks(self):
        for name in (SETTINGS_NAME, SETTINGS_NAME.upper()):
            with self.case(name=name):
                self.write_settings(settings_line("0", True), name)
                self.start_and_wait_ready()
                self.single_click()
                self.assert_hand_offs(0)
                # Far enough apart that the shell cannot join the clicks into one double click.
                time.sleep(e2e.SEPARATE_CLICK_GAP_S)
                self.double_click()
                self.assert_hand_offs(1)

    def test_hidden_settings_file_is_not_read(self):
        path = self.write_settings(settings_line("0", True))
        self.session.wine("attrib", "+h", windows_path(path))
        self.start_and_wait_ready()
        self.single_click()
        self.assert_hand_offs(1)

    def test_icon_file_is_shown_and_builtin_icon_differs(self):
        # The quotes in wexla.ini must keep the commas and blanks in the path.
        folder = os.path.join(tempfile.mkdtemp(prefix="icons-", dir=self.session.dir),
                              "my icons, old")
        os.mkdir(folder)
        icon = os.path.join(folder, "red, big.ico")
        icon_file.write_solid_icon(icon, ICON_RGB)
        with self.case(icon=icon):
            self.write_settings(settings_line(windows_path(icon), False))
            self.start_and_wait_ready()
            e2e.wait_for(
                lambda: count_pixels(self.session.tray_pixels(), ICON_RGB) >= MIN_ICON_PIXELS,
                what="the red icon in the tray")
            self.single_click()
            self.assert_hand_offs(1)
        with self.case(icon="0"):
            self.write_settings(settings_line("0", False))
            self.start_and_wait_ready()
            self.assertLess(count_pixels(self.session.tray_pixels(), ICON_RGB), MIN_ICON_PIXELS)

    def test_unreadable_settings_warn_and_fall_back_to_defaults(self):
        for content in (b"garbage\r\n", b'"x"\r\n', b'"x",#MAYBE#\r\n'):
            with self.case(content=content):
                path = self.write_settings(content)
                self.start()
                text = self.session.message_text(CAPTION)
                self.assertTrue(text.startswith(UNREADABLE_PREFIX), text)
                self.dismiss_message()
                self.session.wait_window_class(MAIN_CLASS)
                self.session.wait_tray()
                self.single_click()
                self.assert_hand_offs(1)
                with open(path, "rb") as settings:
                    self.assertEqual(content, settings.read())

    # ----- the pop-up menu -----

    def test_menu_rows_and_icon_submenu(self):
        self.start_and_wait_ready()
        menu = self.open_menu()
        height = self.session.window_geometry(menu)[3]
        self.assertGreaterEqual(height, menu_height(MENU_LAYOUT))
        self.assertLessEqual(height, menu_height(MENU_LAYOUT) + MENU_MAX_PADDING)
        # Keys reach the menu only because the program took the foreground first.
        rows = [entry for entry in MENU_LAYOUT if entry is not None]
        self.session.menu_keys(self.exe_name, *["Down"] * (rows.index("Icon") + 1), "Right")
        menus = self.session.wait_menus(self.exe_name, count=2)
        submenu_height = min(self.session.window_geometry(m)[3] for m in menus)
        self.assertGreaterEqual(submenu_height, menu_height(ICON_SUBMENU))
        self.assertLessEqual(submenu_height, menu_height(ICON_SUBMENU) + MENU_MAX_PADDING)
        self.session.menu_keys(self.exe_name, "Escape")
        self.assertEqual([menu], e2e.wait_for(
            lambda: (lambda m: m if len(m) == 1 else None)(self.session.menus(self.exe_name)),
            what="the submenu to close"))
        self.session.menu_keys(self.exe_name, "Escape")
        self.session.wait_menus_gone(self.exe_name)
        self.assertTrue(self.program.running())

    def test_save_without_changes_reports_and_writes_nothing(self):
        for existing in (None, settings_line("0", False)):
            with self.case(existing=existing):
                path = os.path.join(self.cwd, SETTINGS_NAME)
                before = None
                if existing is not None:
                    self.write_settings(existing)
                    before = os.stat(path).st_mtime_ns
                self.start_and_wait_ready()
                self.choose_by_keys(*self.keys_to("Save settings"))
                self.assertEqual(NO_CHANGES, self.session.message_text(CAPTION))
                self.dismiss_message()
                if existing is None:
                    self.assertEqual([], os.listdir(self.cwd))
                else:
                    self.assertEqual(before, os.stat(path).st_mtime_ns)
                    with open(path, "rb") as settings:
                        self.assertEqual(existing.encode(), settings.read())

    def test_quit_ends_the_program_and_removes_the_icon(self):
        self.start_and_wait_ready()
        self.choose_by_keys(*self.keys_to("Quit"))
        self.program.wait_exit()
        self.session.wait_tray_gone()
        self.assertEqual([], os.listdir(self.cwd), "quitting without changes wrote a file")

    def test_tray_clicks_are_ignored_while_the_menu_is_open(self):
        self.start_and_wait_ready()
        menu = self.open_menu()
        for event in (e2e.WM_LBUTTONDOWN, e2e.WM_LBUTTONUP, e2e.WM_LBUTTONDBLCLK,
                      e2e.WM_RBUTTONUP):
            self.session.probe("callback", event)
        self.assertEqual([menu], self.session.menus(self.exe_name), "the menu changed")
        self.session.menu_keys(self.exe_name, "Escape")
        self.session.wait_menus_gone(self.exe_name)
        self.assert_hand_offs(0)
        # The same injected events do reach the program once the menu is closed.
        for event in (e2e.WM_LBUTTONDOWN, e2e.WM_LBUTTONUP):
            self.session.probe("callback", event)
        self.assert_hand_offs(1)
        self.single_click()
        self.assert_hand_offs(2)

    # ----- shell restart -----

    def test_icon_comes_back_after_shell_restart(self):
        self.start_and_wait_ready()
        empty_cell = self.session.tray_pixels(icon=2)
        restarted = self.session.probe("shell-restart")
        self.assertTrue(restarted, "the probe found no tray callback window")
        self.assertTrue(restarted[0]["deleted"] and restarted[0]["gone"], restarted)
        e2e.wait_for(lambda: self.session.probe("icon-exists"), what="the icon to come back")
        self.assertEqual(empty_cell, self.session.tray_pixels(icon=2), "icon added twice")
        self.single_click()
        self.assert_hand_offs(1)


if __name__ == "__main__":
    unittest.main()
