"""End-to-end tests of Wexla 98's About window and its System Info button, run under Xvfb +
Wine.

Needs WEXLA_EXE (wexla98.exe, x86_64) and WEXLA_PROBE (wexla_probe.exe); skips without them.
The stand-ins for System Information are copies of start_logger.exe (WEXLA_START_LOGGER, or
compiled here with x86_64-w64-mingw32-g++). One Xvfb + prefix serves the whole module.
"""

import os
import shutil
import unittest

import wexla_e2e as e2e
import wexla_ui as ui

EXE = os.environ.get("WEXLA_EXE")
PROBE = os.environ.get("WEXLA_PROBE")
MISSING = [name for name, value in (("WEXLA_EXE", EXE), ("WEXLA_PROBE", PROBE))
           if not value or not os.path.isfile(value)]

ABOUT_TITLE = "About Wexla 98"
ABOUT_CLASS = "Wexla98About"
OK = "OK"
SYS_INFO = "&System Info..."
ABOUT_TEXTS = ["Wexla 98", "Version: 1.3.2", "Contact info:", "E-Mail:", "Homepage:"]
# 4095 x 3435 twips at 15 twips per pixel, placed at 2340, 1935 twips.
ABOUT_CLIENT = (156, 129, 273, 229)
SYS_INFO_UNAVAILABLE = "System Information Is Unavailable At This Time"

MSINFO_KEY = r"HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO"
MSINFO_VALUE = "PATH"
TOOLS_KEY = r"HKLM\SOFTWARE\Microsoft\Shared Tools Location"
TOOLS_VALUE = "MSINFO"

_session = None
_logger = None


def setUpModule():
    global _session, _logger
    if MISSING:
        raise unittest.SkipTest("set %s to run the About end-to-end tests"
                                % " and ".join(MISSING))
    _session = e2e.Session(PROBE)
    _logger = ui.start_logger_exe(_session.dir)
    # A fresh prefix may already name a System Information program; these tests decide.
    set_registry(None, None)


def tearDownModule():
    global _session
    if _session is not None:
        _session.close()
        _session = None


def set_registry(msinfo_path, tools_location):
    """Sets (or, for None, deletes) the two values the System Info button reads."""
    for key, name, data in ((MSINFO_KEY, MSINFO_VALUE, msinfo_path),
                            (TOOLS_KEY, TOOLS_VALUE, tools_location)):
        if data is None:
            _session.wine("reg", "delete", key, "/v", name, "/f", check=False)
            code, _ = _session.wine("reg", "query", key, "/v", name, check=False)
            if code == 0:
                raise e2e.HarnessError("%s\\%s could not be deleted" % (key, name))
        else:
            _session.wine("reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", data, "/f")


def drive_c(windows_path):
    """The Linux path of a C:\\ path in the session's prefix."""
    assert windows_path.upper().startswith("C:\\"), windows_path
    return os.path.join(_session.prefix, "drive_c", *windows_path[3:].split("\\"))


def place_logger(windows_path):
    path = drive_c(windows_path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    shutil.copy(_logger, path)
    return path


class AboutTestCase(unittest.TestCase):
    def setUp(self):
        self.session = _session
        self.app = ui.TrayProgram(self.session, EXE)
        self.addCleanup(self.app.end)
        self.app.start()

    def open_about(self):
        self.app.choose("About")
        return self.app.wait_window(ABOUT_TITLE)

    def about_keys(self, *keys):
        self.app.keys(ABOUT_TITLE, *keys)


class AboutWindow(AboutTestCase):
    def test_place_size_texts_and_buttons(self):
        window = self.open_about()
        self.assertEqual(ABOUT_CLIENT, (window["x"], window["y"], window["width"],
                                        window["height"]))
        # No window manager: the X window is the client area, where the program put it.
        self.assertEqual(ABOUT_CLIENT,
                         self.session.window_geometry(self.app.x_window(ABOUT_TITLE)))
        controls = self.app.controls(window)
        for text in ABOUT_TEXTS:
            self.assertIn(text, controls)
        buttons = sorted(c["text"] for c in controls.values() if c["class"] == "Button")
        self.assertEqual(sorted([OK, SYS_INFO]), buttons)

    def test_only_one_about_window(self):
        window = self.open_about()
        self.open_about()
        self.assertEqual([window["hwnd"]],
                         [w["hwnd"] for w in self.session.win32_windows(ABOUT_CLASS)])

    def test_ways_to_close(self):
        ways = {
            "OK button": lambda: self.session.click_button(ABOUT_TITLE, OK),
            "Escape": lambda: self.about_keys("Escape"),
            # Focus starts on OK.
            "Enter": lambda: self.about_keys("Return"),
            "Alt+F4": lambda: self.about_keys("alt+F4"),
        }
        for way, close in ways.items():
            with self.subTest(way=way):
                self.open_about()
                close()
                self.app.wait_window_gone(ABOUT_TITLE)
                self.assertTrue(self.app.running())
        # Still alive and in the tray after all that.
        self.assertTrue(self.session.probe("icon-exists"))

    def test_tab_then_enter_presses_system_info(self):
        set_registry(None, None)
        self.open_about()
        self.about_keys("Tab", "Return")
        self.assertEqual(SYS_INFO_UNAVAILABLE, self.app.message())
        self.app.dismiss_message()
        self.assertTrue(self.app.window(ABOUT_TITLE), "the About window closed")


class SystemInfo(AboutTestCase):
    def setUp(self):
        super().setUp()
        self.addCleanup(set_registry, None, None)
        self.open_about()
        self.loggers = {}

    def logger(self, windows_path):
        self.loggers[windows_path] = place_logger(windows_path)
        return windows_path

    def started(self):
        """Every logger copy that was started, with its command lines."""
        return {path: ui.start_log(linux) for path, linux in self.loggers.items()
                if ui.start_log(linux)}

    def press_system_info(self):
        self.session.click_button(ABOUT_TITLE, "System Info...")

    def assert_starts(self, windows_path):
        self.press_system_info()
        e2e.wait_for(lambda: self.started(), what="a System Information program to start")
        # Only its quoted path as command line, nothing else started, and no complaint.
        self.assertEqual({windows_path: ['"%s"' % windows_path]}, self.started())
        self.assertIsNone(self.session.probe("text", ui.CAPTION))

    def assert_unavailable(self):
        self.press_system_info()
        self.assertEqual(SYS_INFO_UNAVAILABLE, self.app.message())
        self.app.dismiss_message()
        self.assertEqual({}, self.started())

    def test_path_value_is_started_as_it_is(self):
        program = self.logger(r"C:\SysInfo Test\sysinfo-logger.exe")
        self.logger(r"C:\Tools Test\MSINFO32.EXE")
        set_registry(program, r"C:\Tools Test")
        # The first value wins even when the second one names a program too.
        self.assert_starts(program)

    def test_tools_location_is_used_without_a_path_value(self):
        program = self.logger(r"C:\Tools Only\MSINFO32.EXE")
        set_registry(None, r"C:\Tools Only")
        self.assert_starts(program)

    def test_path_with_blanks_starts_that_program_only(self):
        program = self.logger(r"C:\Program Files\Wexla Test\msinfo32.exe")
        # What an unquoted command line would start instead.
        self.logger(r"C:\Program.exe")
        set_registry(program, None)
        self.assert_starts(program)

    def test_every_failure_reports_unavailable(self):
        self.logger(r"C:\Tools Empty\other.exe")
        cases = {
            "neither value": (None, None),
            "missing program": (r"C:\Nowhere\msinfo32.exe", None),
            "empty path value": ("", None),
            "folder without MSINFO32.EXE": (None, r"C:\Tools Empty"),
            "missing folder": (None, r"C:\No Such Folder"),
        }
        for case, (msinfo_path, tools_location) in cases.items():
            with self.subTest(case=case):
                set_registry(msinfo_path, tools_location)
                self.assert_unavailable()
        self.assertTrue(self.app.window(ABOUT_TITLE), "the About window closed")


if __name__ == "__main__":
    unittest.main(verbosity=2)
