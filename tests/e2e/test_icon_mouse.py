"""End-to-end tests of the icon commands, Save settings, Quit and the mouse configuration
window of Wexla 98, run under Xvfb + Wine.

Needs WEXLA_EXE (wexla98.exe, x86_64) and WEXLA_PROBE (wexla_probe.exe); skips without them.
The current-directory case also needs wexla98.hlp beside WEXLA_EXE. One Xvfb + prefix serves the whole module; every test
runs its own copy of the program in a folder of its own and ends it by PID.
"""

import os
import signal
import struct
import tempfile
import unittest
import zlib

import icon_file
import wexla_e2e as e2e
import wexla_ui as ui

EXE = os.environ.get("WEXLA_EXE")
PROBE = os.environ.get("WEXLA_PROBE")
MISSING = [name for name, value in (("WEXLA_EXE", EXE), ("WEXLA_PROBE", PROBE))
           if not value or not os.path.isfile(value)]

OPEN_TITLE = "Open"
# Control ids of the Explorer-style Open dialog (cmb1, cmb2 and the file-name box).
FILTER_COMBO_ID = 1136
FOLDER_COMBO_ID = 1137
FILE_NAME_ID = 1148
ICON_FILTER = "Icon Files (*.ico)"
HELP_VIEWER_TITLE = "Wexla 98 Help"
HELP_VIEWER_TIMEOUT = 30.0
TYPING_DELAY_MS = 20

MOUSE_TITLE = "Mouse configuration"
MOUSE_CLASS = "Wexla98Mouse"
ABOUT_TITLE = "About Wexla 98"
DOUBLE_CLICK = "Double click"
BOTH_CLICKS = "Double and single click"
CLOSE = "Close"
# 2940 x 2265 twips at 15 twips per pixel.
MOUSE_CLIENT_SIZE = (196, 151)
SCREEN_SIZE = (1024, 768)
# The window, frame and caption included, is centred: so the client area sits centred across
# and lower by at most the caption's share down.
CENTRE_TOLERANCE = 2
MAX_CAPTION_SHIFT = 16

RED = (230, 20, 40)
BLUE = (30, 60, 220)


PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
PNG_BIT_DEPTH = 8
PNG_TRUECOLOUR = 2
# One row: filter byte "none", then one RGB pixel.
PNG_ONE_GREEN_PIXEL_ROW = b"\x00\x00\xff\x00"


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_bytes():
    """A valid 1x1 PNG: an image file, but no icon."""
    header = struct.pack(">IIBBBBB", 1, 1, PNG_BIT_DEPTH, PNG_TRUECOLOUR, 0, 0, 0)
    return PNG_SIGNATURE + png_chunk(b"IHDR", header) + \
        png_chunk(b"IDAT", zlib.compress(PNG_ONE_GREEN_PIXEL_ROW)) + png_chunk(b"IEND", b"")


_session = None
_icons = None


def setUpModule():
    global _session, _icons
    if MISSING:
        raise unittest.SkipTest("set %s to run the icon and mouse end-to-end tests"
                                % " and ".join(MISSING))
    _session = e2e.Session(PROBE)
    # Blanks and a comma in the folder name: the path must survive the dialog and the file.
    _icons = os.path.join(_session.dir, "my icons, new")
    os.mkdir(_icons)
    icon_file.write_solid_icon(os.path.join(_icons, "red.ico"), RED)
    icon_file.write_solid_icon(os.path.join(_icons, "blue.ico"), BLUE)


def tearDownModule():
    global _session
    if _session is not None:
        _session.close()
        _session = None


def icon(name):
    return os.path.join(_icons, name)


class ProgramTestCase(unittest.TestCase):
    """Each test gets its own copy of the program; it is ended by PID afterwards."""

    with_help = False

    def setUp(self):
        self.session = _session
        self.app = ui.TrayProgram(self.session, EXE, with_help=self.with_help)
        self.addCleanup(self.app.end)

    def choose_icon_file(self, windows_path):
        """Change icon, then types a path into the Open dialog."""
        self.app.choose("Icon", "Change icon")
        # Focus starts in the file-name box.
        self.session.xdotool("windowfocus", "--sync", self.app.x_window(OPEN_TITLE))
        self.session.xdotool("type", "--delay", TYPING_DELAY_MS, windows_path)
        self.app.keys(OPEN_TITLE, "Return")
        self.session.wait_no_window(OPEN_TITLE)

    def assert_quits(self):
        self.app.program.wait_exit()
        self.session.wait_tray_gone()


class IconCommands(ProgramTestCase):
    with_help = True

    def test_open_dialog_starts_empty_in_the_program_directory_and_cancel_changes_nothing(self):
        # Started elsewhere, so that the program directory and the current one differ.
        elsewhere = tempfile.mkdtemp(prefix="elsewhere-", dir=self.session.dir)
        self.app.start(cwd=elsewhere)
        before = self.session.tray_pixels()
        self.app.choose("Icon", "Change icon")
        dialog = self.app.wait_window(OPEN_TITLE)
        controls = {c["id"]: c for c in self.session.probe("children", dialog["hwnd"])
                    if c["visible"]}
        self.assertEqual(ICON_FILTER, controls[FILTER_COMBO_ID]["text"])
        self.assertEqual(os.path.basename(self.app.app_dir), controls[FOLDER_COMBO_ID]["text"])
        self.assertEqual("", controls[FILE_NAME_ID]["text"])
        self.app.keys(OPEN_TITLE, "Escape")
        self.session.wait_no_window(OPEN_TITLE)
        self.assertEqual(before, self.session.tray_pixels())
        self.app.assert_nothing_to_save(self)
        self.assertTrue(self.app.running())

    def test_chosen_icon_shows_at_once_and_restore_brings_the_builtin_back(self):
        self.app.start()
        builtin = self.session.tray_pixels()
        empty_cell = self.session.tray_pixels(icon=2)
        self.assertLess(ui.count_pixels(builtin, RED), ui.MIN_ICON_PIXELS)
        self.choose_icon_file(ui.windows_path(icon("red.ico")))
        self.app.wait_tray_colour(RED)
        self.app.choose("Icon", "Restore default icon")
        # Wine's tray draws the new icon over the old one without erasing it first, so only
        # the built-in icon's own (opaque) pixels can be compared here.
        opaque = [i for i in range(0, len(builtin), ui.RGB_BYTES)
                  if builtin[i:i + ui.RGB_BYTES] != empty_cell[i:i + ui.RGB_BYTES]]
        self.assertTrue(opaque, "the built-in icon left no mark in the tray")
        e2e.wait_for(lambda: all(self.session.tray_pixels()[i:i + ui.RGB_BYTES] ==
                                 builtin[i:i + ui.RGB_BYTES] for i in opaque),
                     what="the built-in icon to come back")
        # A shell restart redraws the cell from scratch: exactly the start-up picture.
        self.assertTrue(self.session.probe("shell-restart"))
        e2e.wait_for(lambda: self.session.probe("icon-exists"), what="the icon to come back")
        self.app.wait_tray_pixels(builtin, "the built-in icon after a shell restart")
        # Back to the built-in icon is still a change against the file it was started with.
        self.app.choose("Save settings")
        e2e.wait_for(lambda: os.path.exists(self.app.settings_path), what="wexla.ini")
        self.assertEqual(ui.settings_line("0", False).encode(), self.app.read_settings())

    def test_files_that_are_no_icon_are_refused_and_the_icon_stays(self):
        self.app.start()
        red = ui.windows_path(icon("red.ico"))
        self.choose_icon_file(red)
        self.app.wait_tray_colour(RED)
        empty = icon("empty.ico")
        open(empty, "wb").close()
        png = icon("picture.ico")
        with open(png, "wb") as out:
            out.write(png_bytes())
        for path in (empty, png, icon("missing.ico")):
            with self.subTest(file=os.path.basename(path)):
                self.choose_icon_file(ui.windows_path(path))
                text = self.app.message()
                self.assertTrue(text.startswith(ui.ICON_LOAD_FAILED_PREFIX), text)
                self.app.dismiss_message()
                self.assertGreaterEqual(self.app.tray_colour_count(RED), ui.MIN_ICON_PIXELS)
        # The refused files did not become the setting either.
        self.app.choose("Save settings")
        e2e.wait_for(lambda: os.path.exists(self.app.settings_path), what="wexla.ini")
        self.assertEqual(ui.settings_line(red, False).encode(), self.app.read_settings())

    def test_save_writes_the_program_directory_and_a_restart_shows_the_icon(self):
        self.app.start()
        blue = ui.windows_path(icon("blue.ico"))
        self.choose_icon_file(blue)
        self.app.wait_tray_colour(BLUE)
        self.app.choose("Save settings")
        e2e.wait_for(lambda: os.path.exists(self.app.settings_path), what="wexla.ini")
        self.assertEqual(ui.settings_line(blue, False).encode(), self.app.read_settings())
        self.assertEqual(sorted([self.app.exe_name, ui.SETTINGS_NAME] +
                                ([ui.HELP_NAME] if self.app.has_help else [])),
                         sorted(os.listdir(self.app.app_dir)))
        # Saved is saved: a second Save has nothing left to write.
        self.app.assert_nothing_to_save(self)
        self.app.end()
        self.app.start()
        self.app.wait_tray_colour(BLUE)
        self.app.assert_nothing_to_save(self)

    def test_choosing_a_file_elsewhere_keeps_the_current_directory(self):
        # Help opens wexla98.hlp from the current directory: it still opens after the dialog
        # went to a folder without one.
        if not self.app.has_help:
            self.skipTest("no %s beside WEXLA_EXE" % ui.HELP_NAME)
        self.app.start()
        self.choose_icon_file(ui.windows_path(icon("red.ico")))
        self.app.wait_tray_colour(RED)
        self.app.choose("Help")
        viewer = e2e.wait_for(lambda: self.session.x_windows_named(HELP_VIEWER_TITLE),
                              HELP_VIEWER_TIMEOUT, "the help viewer")[0]
        pid = self.session.xdotool("getwindowpid", viewer, check=False).strip()
        self.assertTrue(pid.isdigit(), "the help viewer names no PID")
        # The viewer is the shell's child, not ours: end it by the PID its window names.
        os.kill(int(pid), signal.SIGTERM)
        e2e.wait_for(lambda: not self.session.x_windows_named(HELP_VIEWER_TITLE),
                     what="the help viewer to close")


class QuitAfterChanges(ProgramTestCase):
    def test_yes_saves_then_quits(self):
        self.app.start()
        red = ui.windows_path(icon("red.ico"))
        self.choose_icon_file(red)
        self.app.wait_tray_colour(RED)
        self.app.choose("Quit")
        self.assertEqual(ui.SAVE_QUESTION, self.app.message())
        self.session.click_button(ui.CAPTION, "Yes")
        self.assert_quits()
        self.assertEqual(ui.settings_line(red, False).encode(), self.app.read_settings())

    def test_no_quits_without_writing(self):
        self.app.write_settings(ui.settings_line("0", False))
        self.app.start()
        self.app.choose("Mouse configuration")
        self.session.click_button(MOUSE_TITLE, DOUBLE_CLICK)
        self.session.click_button(MOUSE_TITLE, CLOSE)
        self.session.wait_no_window(MOUSE_TITLE)
        self.app.choose("Quit")
        self.assertEqual(ui.SAVE_QUESTION, self.app.message())
        self.app.keys(ui.CAPTION, "n")
        self.assert_quits()
        self.assertEqual(ui.settings_line("0", False).encode(), self.app.read_settings())
        self.assertEqual(sorted([self.app.exe_name, ui.SETTINGS_NAME]),
                         sorted(os.listdir(self.app.app_dir)))


class MouseConfiguration(ProgramTestCase):
    def open_mouse_window(self):
        self.app.choose("Mouse configuration")
        return self.app.wait_window(MOUSE_TITLE)

    def checked(self, window):
        controls = self.app.controls(window)
        return {name: controls[name]["checked"] for name in (DOUBLE_CLICK, BOTH_CLICKS)}

    def assert_selected(self, window, option):
        other = BOTH_CLICKS if option == DOUBLE_CLICK else DOUBLE_CLICK
        e2e.wait_for(lambda: self.checked(window) == {option: 1, other: 0},
                     what="%r to be the selected option" % option)

    def close_mouse_window(self):
        self.session.click_button(MOUSE_TITLE, CLOSE)
        self.app.wait_window_gone(MOUSE_TITLE)

    def test_window_size_place_and_options_show_the_current_mode(self):
        for double_click, option in ((False, BOTH_CLICKS), (True, DOUBLE_CLICK)):
            with self.subTest(double_click=double_click):
                self.app.write_settings(ui.settings_line("0", double_click))
                self.app.start()
                window = self.open_mouse_window()
                self.assertEqual(MOUSE_CLIENT_SIZE, (window["width"], window["height"]))
                centre_x = window["x"] + window["width"] / 2
                centre_y = window["y"] + window["height"] / 2
                self.assertLessEqual(abs(centre_x - SCREEN_SIZE[0] / 2), CENTRE_TOLERANCE)
                self.assertGreaterEqual(centre_y - SCREEN_SIZE[1] / 2, -CENTRE_TOLERANCE)
                self.assertLessEqual(centre_y - SCREEN_SIZE[1] / 2, MAX_CAPTION_SHIFT)
                _, _, x_width, x_height = self.session.window_geometry(
                    self.app.x_window(MOUSE_TITLE))
                self.assertEqual(MOUSE_CLIENT_SIZE, (x_width, x_height))
                self.assertIn(CLOSE, self.app.controls(window))
                self.assert_selected(window, option)
                self.close_mouse_window()
                # Looking without touching changes nothing.
                self.app.assert_nothing_to_save(self)
                self.app.end()

    def test_double_click_mode_takes_effect_at_once_and_is_kept(self):
        self.app.write_settings(ui.settings_line("0", False))
        self.app.start()
        window = self.open_mouse_window()
        self.session.click_button(MOUSE_TITLE, DOUBLE_CLICK)
        self.assert_selected(window, DOUBLE_CLICK)
        # The tray icon keeps working with the window open, in the new mode already.
        self.app.single_click()
        self.app.assert_hand_offs(self, 0)
        self.app.pause_between_clicks()
        self.app.double_click()
        self.app.assert_hand_offs(self, 1)
        self.close_mouse_window()
        window = self.open_mouse_window()
        self.assert_selected(window, DOUBLE_CLICK)
        self.close_mouse_window()
        self.app.choose("Save settings")
        e2e.wait_for(lambda: self.app.read_settings() == ui.settings_line("0", True).encode(),
                     what="wexla.ini in double-click mode")
        # And back: single clicks count again.
        window = self.open_mouse_window()
        self.session.click_button(MOUSE_TITLE, BOTH_CLICKS)
        self.assert_selected(window, BOTH_CLICKS)
        self.app.pause_between_clicks()
        self.app.single_click()
        self.app.assert_hand_offs(self, 2)

    def test_one_window_only_and_the_menu_works_while_it_is_open(self):
        self.app.start()
        window = self.open_mouse_window()
        self.open_mouse_window()
        self.assertEqual([window["hwnd"]],
                         [w["hwnd"] for w in self.session.win32_windows(MOUSE_CLASS)])
        self.app.choose("About")
        self.app.wait_window(ABOUT_TITLE)
        self.session.click_button(ABOUT_TITLE, "OK")
        self.app.wait_window_gone(ABOUT_TITLE)
        self.assertEqual([window["hwnd"]], [w["hwnd"] for w in self.app.window(MOUSE_TITLE)])
        self.app.single_click()
        self.app.assert_hand_offs(self, 1)

    def test_keyboard_tab_arrows_and_space(self):
        self.app.start()
        window = self.open_mouse_window()
        # Focus starts on Close; Tab moves it into the option group, where arrows select.
        self.app.keys(MOUSE_TITLE, "Tab", "Up")
        self.assert_selected(window, DOUBLE_CLICK)
        self.app.keys(MOUSE_TITLE, "Down")
        self.assert_selected(window, BOTH_CLICKS)
        self.app.keys(MOUSE_TITLE, "Up")
        self.assert_selected(window, DOUBLE_CLICK)
        self.app.keys(MOUSE_TITLE, "Tab", "space")
        self.app.wait_window_gone(MOUSE_TITLE)
        # The choice made by keyboard took effect.
        self.app.single_click()
        self.app.assert_hand_offs(self, 0)
        # Space presses Close also straight after opening: focus starts there.
        self.open_mouse_window()
        self.app.keys(MOUSE_TITLE, "space")
        self.app.wait_window_gone(MOUSE_TITLE)

    def test_enter_presses_close(self):
        # Focus starts on Close, so Enter presses it, as Space does.
        self.app.start()
        self.open_mouse_window()
        self.app.keys(MOUSE_TITLE, "Return")
        try:
            self.app.wait_window_gone(MOUSE_TITLE)
        except e2e.HarnessError:
            self.fail("Enter with the focus on Close left the mouse configuration window open")

    def test_quit_with_the_window_open_ends_when_it_closes(self):
        self.app.start()
        self.open_mouse_window()
        self.app.choose("Quit")
        self.session.wait_tray_gone()
        self.assertTrue(self.app.running(), "the program ended with its window still open")
        self.assertTrue(self.app.window(MOUSE_TITLE))
        self.close_mouse_window()
        self.app.program.wait_exit()


if __name__ == "__main__":
    unittest.main(verbosity=2)
