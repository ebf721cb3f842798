"""The program's windows end to end: Change icon through the Open dialog, Save and Quit after
changes, the Mouse configuration window, the About window and its System Info button."""

import os
import pathlib
import shutil
import unittest

import wineharness as wh
from wineharness import wexla

# Colours the built-in icon does not have.
RED, BLUE = (230, 20, 40), (30, 60, 220)
# A 16x16 icon in a 20x20 tray cell: most of its pixels show the file's colour.
ICON_PIXELS = 128
LOAD_FAILED = "The file could not be loaded as an icon"
SAVE_QUESTION = "Changes were made. Do you want to save?"
# Open dialog controls: file types, folder, file name.
FILTER_ID, FOLDER_ID, FILE_NAME_ID = 1136, 1137, 1148
UNAVAILABLE = "System Information Is Unavailable At This Time"
MSINFO = (r"HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO", "PATH")
TOOLS = (r"HKLM\SOFTWARE\Microsoft\Shared Tools Location", "MSINFO")


class Windows(wexla.AppTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # Blanks and a comma in the folder: the path must survive the dialog and the file.
        cls.icons = os.path.join(cls.session.dir, "my icons, new")
        os.mkdir(cls.icons)
        wh.write_icon(os.path.join(cls.icons, "red.ico"), [(16, RED)])
        wh.write_icon(os.path.join(cls.icons, "blue.ico"), [(16, BLUE)])

    def icon(self, name):
        return wh.windows_path(os.path.join(self.icons, name))

    def shows(self, colour):
        return wh.count_colour(self.session.tray_pixels(), colour) >= ICON_PIXELS

    def test_icon_commands_save_and_quit(self):
        app = self.app()
        # Started elsewhere: the dialog must still start in the program's folder.
        app.start(cwd=self.session.dir)
        before = self.session.tray_pixels()
        app.choose("Icon", "Change icon")
        controls = {c["id"]: c["text"] for c in self.session.probe(
            "children", app.window(wexla.OPEN_TITLE)["hwnd"]) if c["visible"]}
        self.assertEqual(("Icon Files (*.ico)", os.path.basename(app.app_dir), ""),
                         (controls[FILTER_ID], controls[FOLDER_ID], controls[FILE_NAME_ID]))
        app.keys(wexla.OPEN_TITLE, "Escape")
        app.window_gone(wexla.OPEN_TITLE)
        self.assertEqual(before, self.session.tray_pixels())
        app.choose_icon_file(self.icon("red.ico"))
        wh.wait_for(lambda: self.shows(RED), what="the red icon")
        with open(os.path.join(self.icons, "picture.ico"), "wb") as png:
            png.write(b"\x89PNG\r\n\x1a\n" + bytes(64))
        app.choose_icon_file(self.icon("picture.ico"))
        self.assertTrue(app.answer().startswith(LOAD_FAILED))
        self.assertTrue(self.shows(RED))
        app.choose("Quit")
        self.assertEqual(SAVE_QUESTION, app.answer("Yes"))
        app.program.wait_exit()
        self.assertEqual(wexla.settings_line(self.icon("red.ico"), False), app.read_settings())
        self.assertEqual(sorted([app.exe_name, wexla.SETTINGS_NAME]),
                         sorted(os.listdir(app.app_dir)))
        app.end()
        app.start()
        wh.wait_for(lambda: self.shows(RED), what="the saved icon at start")
        # With the mouse this time: rows measured from the menu and its submenu.
        app.click("Icon", "Restore default icon")
        # Wine's tray paints a new icon over the old one; a shell restart repaints the cell.
        self.session.probe("shell-restart")
        wh.wait_for(lambda: self.session.tray_pixels() == before, what="the built-in icon")
        app.choose("Quit")
        app.keys(wexla.CAPTION, "n")
        app.program.wait_exit()
        self.assertEqual(wexla.settings_line(self.icon("red.ico"), False), app.read_settings())
        app.end()
        app.start()
        app.choose_icon_file(self.icon("blue.ico"))
        app.choose("Save settings")
        wh.wait_for(lambda: app.read_settings() == wexla.settings_line(self.icon("blue.ico"),
                                                                     False), what="blue saved")

    def test_mouse_window(self):
        app = self.app(wexla.settings_line("0", True)).start()
        app.choose("Mouse configuration")
        window = app.window(wexla.MOUSE_TITLE)
        # Centred across; the caption Wine adds above moves the client area down a little.
        self.assertLessEqual(abs(window["x"] + window["width"] / 2 - 512), 2)

        def selected():
            controls = self.session.controls(window)
            return [name for name in ("Double click", "Double and single click")
                    if controls[name]["checked"]]
        self.assertEqual(["Double click"], selected())
        app.choose("Mouse configuration")
        self.assertEqual([window["hwnd"]], [w["hwnd"] for w in self.session.windows(
            pid=app.pid, title=wexla.MOUSE_TITLE)])
        # Focus starts on Close: Tab moves into the options, where arrows select.
        for keys, option in ((("Tab", "Down"), "Double and single click"),
                             (("Up",), "Double click")):
            app.keys(wexla.MOUSE_TITLE, *keys)
            wh.wait_for(lambda: selected() == [option], what=option + " by key")
        app.keys(wexla.MOUSE_TITLE, "Down", "Tab", "space")
        app.window_gone(wexla.MOUSE_TITLE)
        app.single_click()
        self.assertEqual(["mailto:"], app.hand_offs(1))
        app.choose("Save settings")
        wh.wait_for(lambda: app.read_settings() == wexla.settings_line("0", False),
                    what="single-click mode saved")
        # Quit with the window open: the icon goes at once, the program when the window closes.
        app.choose("Mouse configuration")
        app.choose("Quit")
        self.session.wait_tray_empty()
        self.assertTrue(app.running())
        self.session.click_button(app.window(wexla.MOUSE_TITLE), "Close")
        app.program.wait_exit()

    def test_about_window(self):
        app = self.app().start()
        closes = {"OK": lambda: self.session.click_button(app.window(wexla.ABOUT_TITLE), "OK"),
                  "Escape": lambda: app.keys(wexla.ABOUT_TITLE, "Escape"),
                  "Enter": lambda: app.keys(wexla.ABOUT_TITLE, "Return"),
                  "Alt+F4": lambda: app.keys(wexla.ABOUT_TITLE, "alt+F4")}
        for way, close in closes.items():
            with self.subTest(close=way):
                app.choose("About")
                window = app.window(wexla.ABOUT_TITLE)
                for text in ("Wexla 98", "Version: " + os.environ["WEXLA_VERSION"],
                             "Contact info:", "E-Mail:", "Homepage:"):
                    self.assertIn(text, self.session.controls(window))
                app.choose("About")
                self.assertEqual(1, len(self.session.windows(pid=app.pid, title=wexla.ABOUT_TITLE)))
                close()
                app.window_gone(wexla.ABOUT_TITLE)
        self.assertTrue(self.session.probe("icon-exists"))

    def test_system_info_button(self):
        # (PATH value, tools location, the program started or None); an unquoted path would
        # start C:\SysInfo.exe instead.
        cases = [(None, None, None),
                 (r"C:\SysInfo Test\logger.exe", r"C:\Tools", r"C:\SysInfo Test\logger.exe"),
                 (None, r"C:\Tools", r"C:\Tools\MSINFO32.EXE"),
                 (r"C:\Nowhere\msinfo32.exe", None, None)]
        loggers = {p: self.session.unix_path(p) for p in [c[2] for c in cases if c[2]] + [
            r"C:\SysInfo.exe"]}
        for path in loggers.values():
            os.makedirs(os.path.dirname(path), exist_ok=True)
            shutil.copy(self.session.probe_exe, path)

        def started():
            return {p: pathlib.Path(l + ".log").read_text("latin-1").splitlines()
                    for p, l in loggers.items() if os.path.exists(l + ".log")}
        app = self.app().start()
        app.choose("About")
        about = app.window(wexla.ABOUT_TITLE)
        for path, tools, expected in cases:
            with self.subTest(path=path, tools=tools):
                for (key, name), data in ((MSINFO, path), (TOOLS, tools)):
                    if data is None:
                        self.session.reg_delete(key, name)
                    else:
                        self.session.reg_set(key, name, data)
                for log in started():
                    os.remove(loggers[log] + ".log")
                if (path, tools) == (None, None):
                    # Focus starts on OK; Tab, then Enter: the keyboard reaches the button too.
                    app.keys(wexla.ABOUT_TITLE, "Tab", "Return")
                else:
                    self.session.click_button(about, "System Info...")
                if expected is None:
                    self.assertEqual(UNAVAILABLE, app.answer())
                    self.assertEqual({}, started())
                else:
                    wh.wait_for(started, what="System Information to start")
                    self.assertEqual({expected: ['"%s"' % expected]}, started())
                self.assertTrue(app.window(wexla.ABOUT_TITLE))


if __name__ == "__main__":
    unittest.main(verbosity=2)
