"""The tray shell end to end: start-up, click modes by settings file, unreadable settings, the
pop-up menu by keyboard and mouse, a shell restart, and Help, also where no program opens help
files."""

import os
import signal
import time
import unittest

import wineharness as wh
from wineharness import wexla

UNREADABLE = "The settings file wexla.ini could not be read"
HELP_VIEWER = "Wexla 98 Help"
WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP = 0x201, 0x202, 0x203, 0x205


class Tray(wexla.AppTest):
    def test_settings_files_decide_the_click_mode(self):
        # (case, file content, how it is stored, double-click mode); unreadable content warns,
        # the defaults apply, and the file stays as it was.
        cases = [("no file", None, None, False),
                 ("single click", wexla.settings_line("0", False), None, False),
                 ("double click, capitals", wexla.settings_line("0", True), "WEXLA.INI", True),
                 ("hidden", wexla.settings_line("0", True), "+h", False),
                 ("garbage", b"garbage\r\n", "unreadable", False)]
        for name, content, how, double_click in cases:
            with self.subTest(name):
                app = self.app()
                path = app.settings if how != "WEXLA.INI" else os.path.join(app.app_dir, how)
                if content is not None:
                    with open(path, "wb") as out:
                        out.write(content)
                    if how == "+h":
                        self.session.wine("attrib", how, wh.windows_path(path))
                before = sorted(os.listdir(app.app_dir))
                app.start(ready=how != "unreadable")
                if how == "unreadable":
                    app.pid = self.session.wait_window(cls=wexla.main_class())["pid"]
                    self.assertTrue(app.answer().startswith(UNREADABLE))
                    app.wait_ready()
                self.assertEqual([], self.session.windows(pid=app.pid, visible=True))
                app.single_click()
                single = int(not double_click)
                self.assertEqual(["mailto:"] * single, app.hand_offs(single))
                time.sleep(wh.SEPARATE_CLICK_GAP_S)
                app.double_click()
                # A double click is two clicks to a single-click program, never three.
                expected = 1 if double_click else 3
                self.assertEqual(["mailto:"] * expected, app.hand_offs(expected))
                app.quit()
                self.assertEqual(before, sorted(os.listdir(app.app_dir)))
                if content is not None:
                    with open(path, "rb") as data:
                        self.assertEqual(content, data.read())

    def test_menu_by_keyboard_and_mouse(self):
        app = self.app().start()
        main = self.session.wait_window(cls=wexla.main_class())
        self.assertEqual(("Wexla 98", False), (main["title"], main["visible"]))
        self.session.hover_tray()
        self.assertIn("Wexla 98", wh.wait_for(self.session.tooltips, what="the tooltip"))
        menu = app.open_menu()
        self.session.menu_keys(app.exe_name, "Down", "Down", "Right")
        self.assertEqual(2, len(self.session.wait_menus(app.exe_name, count=2)))
        self.session.menu_keys(app.exe_name, "Escape")
        wh.wait_for(lambda: self.session.menus(app.exe_name) == [menu], what="the submenu to close")
        # Tray events are ignored while the menu is open, and reach the program once it is closed.
        for event in (WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP):
            self.session.probe("callback", event)
        self.assertEqual([menu], self.session.menus(app.exe_name))
        self.session.menu_keys(app.exe_name, "Escape")
        self.session.wait_menus_gone(app.exe_name)
        self.assertEqual([], app.hand_offs(0))
        for event in (WM_LBUTTONDOWN, WM_LBUTTONUP):
            self.session.probe("callback", event)
        self.assertEqual(["mailto:"], app.hand_offs(1))
        app.click("Save settings")
        self.assertEqual("No changes were made", app.answer())
        app.click("Quit")
        app.program.wait_exit()
        self.session.wait_tray_empty()
        self.assertEqual([app.exe_name], os.listdir(app.app_dir))

    def test_icon_comes_back_once_after_a_shell_restart(self):
        app = self.app().start()
        empty_cell = self.session.tray_pixels(icon=2)

        def restart_shell():
            restarted = self.session.probe("shell-restart")
            self.assertTrue(restarted and restarted[0]["deleted"] and restarted[0]["gone"])
            wh.wait_for(lambda: self.session.probe("icon-exists"), what="the icon to come back")

        app.choose("Mouse configuration")
        window = app.window(wexla.MOUSE_TITLE)
        restart_shell()
        self.assertEqual(empty_cell, self.session.tray_pixels(icon=2), "icon added twice")
        self.session.click_button(window, "Close")
        app.open_menu()
        restart_shell()
        self.session.menu_keys(app.exe_name, "Escape")
        self.session.wait_menus_gone(app.exe_name)
        self.assertEqual(empty_cell, self.session.tray_pixels(icon=2), "icon added twice")
        app.single_click()
        self.assertEqual(["mailto:"], app.hand_offs(1))

    def test_help_opens_the_help_file_of_the_current_folder(self):
        app = self.app(with_help=True).start()
        elsewhere = wh.write_icon(os.path.join(self.session.dir, "red.ico"), [(16, (255, 0, 0))])
        # The Open dialog went to another folder: Help still finds the file of the current one.
        app.choose_icon_file(wh.windows_path(elsewhere))
        app.choose("Help")
        viewer = wh.wait_for(lambda: self.session.search("--name", "^%s$" % HELP_VIEWER),
                             timeout=30, what="the help viewer")[0]
        pid = int(self.session.xdotool("getwindowpid", viewer))
        # The viewer is the shell's child, not ours: it is ended by the PID its window names.
        self.addCleanup(os.kill, pid, signal.SIGTERM)
        self.assertNotEqual(app.program.pid, pid)
        self.assertGreater(min(self.session.geometry(viewer)[2:]), 200, "an error box, not a page")
        self.assertTrue(app.running())

    def test_help_opens_the_page_where_no_program_opens_help_files(self):
        browser = wh.browser
        log = browser.BrowserLog(self.session)
        # As on Windows since Vista: no viewer for .hlp files; pages open in the browser.
        for extension, cls in ((".hlp", None), (".htm", browser.WEB_PAGE_CLASS)):
            self.addCleanup(browser.set_file_type, self.session, extension,
                            browser.file_type(self.session, extension))
            browser.set_file_type(self.session, extension, cls)
        app = self.app(with_help=True).start()
        app.choose("Help")
        page = os.path.join(app.app_dir, wexla.HELP_PAGE_NAME)
        self.assertEqual([page], wh.wait_for(log.hand_offs, what="the page handed to a browser"))
        self.assertTrue(app.running())


if __name__ == "__main__":
    unittest.main(verbosity=2)
