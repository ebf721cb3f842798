"""The program end to end, only for what needs the real shell. Tray: clicks in the settings
file's mode, the tooltip and the pop-up menu by keyboard and mouse, one icon after a shell
restart and a second start, and scripts/run.sh with no display. Windows: Change icon through
the Open dialog, Save and Quit after changes, Help, the Mouse configuration and About windows."""

import os
import pathlib
import re
import signal
import subprocess
import time
import unittest

import wineharness as wh
from wineharness import wexla

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RUN_TIMEOUT = 300
# A second start ends before any window; this allows for Wine's start-up on a loaded machine.
SECOND_START_TIMEOUT = 15.0
# Half a row above the bottom border and padding: inside the last row for any font here.
LAST_ROW_UP = 10
MAILTO = ["mailto:"]
# Colours the built-in icon does not have.
RED, BLUE = (230, 20, 40), (30, 60, 220)
# A 16x16 icon in a 20x20 tray cell: most of its pixels show the file's colour.
ICON_PIXELS = 128
HELP_VIEWER = "Wexla 98 Help"


class Tray(wexla.AppTest):
    def test_clicks_follow_the_mode_of_the_settings_file(self):
        # (double-click mode, hand-offs of a click, then of a double click as well): a double
        # click is two clicks to a single-click program, never three.
        for double_click, after_click, after_double in ((False, 1, 3), (True, 0, 1)):
            with self.subTest(double_click=double_click):
                app = self.app(wexla.settings_line("", True) if double_click else None).start()
                self.assertEqual([], self.session.search("--pid", app.program.pid), "a window")
                app.click()
                self.assertEqual(MAILTO * after_click, self.session.mail_settled(after_click))
                # Apart by more than the double-click time: two clicks, not a double click.
                time.sleep(wh.SEPARATE_CLICK_GAP_S)
                app.click(double=True)
                self.assertEqual(MAILTO * after_double, self.session.mail_settled(after_double))
                app.end()

    def test_tooltip_and_menu_by_keyboard_and_mouse(self):
        app = self.app().start()
        # Two small moves: Wine's tooltip timer starts on motion inside the icon.
        self.session.click_tray(button=None, offset=-2)
        self.session.click_tray(button=None)
        wh.wait_for(lambda: wexla.CAPTION in self.session.tooltips(), what="the tooltip")
        # Escape closes the menu and runs nothing.
        app.open_menu()
        self.session.menu_keys(app.exe_name, "Escape")
        self.session.wait_menus_gone(app.exe_name)
        self.assertEqual([], self.session.mail_settled())
        # Quit, the last row, by the mouse: half a row above the menu's bottom border.
        x, y, width, height = self.session.geometry(app.open_menu())
        self.session.xdotool("mousemove", "--sync", x + width // 2, y + height - LAST_ROW_UP)
        self.session.xdotool("click", wh.X_LEFT)
        app.program.wait_exit()
        self.session.wait_tray_empty()
        self.assertEqual([app.exe_name], os.listdir(app.app_dir))

    def test_one_icon_after_a_shell_restart_and_a_second_start(self):
        app, elsewhere = self.app().start(), self.app()
        empty_cell = self.session.tray_pixels(icon=2)
        # Restarts with a window open, and with the menu's modal loop running.
        app.choose("Mouse configuration")
        app.window(wexla.MOUSE_TITLE)
        app.shell_restart()
        app.close(wexla.MOUSE_TITLE, "Return")  # focus starts on Close
        app.open_menu()
        app.shell_restart()
        self.session.menu_keys(app.exe_name, "Escape")
        self.session.wait_menus_gone(app.exe_name)
        # Started again from its folder, and as a copy in another folder: the same program.
        for second in (app.exe, elsewhere.exe):
            program = self.session.start(second, cwd=os.path.dirname(second))
            self.assertEqual(0, program.wait_exit(SECOND_START_TIMEOUT), second)
        self.assertEqual(empty_cell, self.session.tray_pixels(icon=2), "a second icon")
        app.click()
        self.assertEqual(MAILTO, self.session.mail_settled(1))
        # Quit with the About window open: the icon and the mark go at once, the program when
        # the window closes.
        app.choose("About")
        app.window(wexla.ABOUT_TITLE)
        app.choose("Quit")
        self.session.wait_tray_empty()
        elsewhere.start()
        self.assertTrue(app.running())
        app.close(wexla.ABOUT_TITLE, "Return")
        app.program.wait_exit()
        # And with the copy that held it, however it ended.
        elsewhere.end()
        elsewhere.start()

    @unittest.skipUnless(os.environ.get("WINEHARNESS_ARCH") == "x86_64",
                         "run.sh starts the 64-bit program")
    def test_run_script_without_a_display_leaves_nothing_behind(self):
        prefix = os.path.join(self.session.dir, "run-prefix")
        subprocess.run(["cp", "-a", self.session.prefix, prefix], check=True)
        env = dict({k: v for k, v in os.environ.items() if k != "DISPLAY"}, WINEPREFIX=prefix)
        log = pathlib.Path(self.session.dir, "run.log")
        with log.open("wb") as out:
            script = subprocess.Popen([os.path.join(ROOT, "scripts", "run.sh")], env=env,
                                      stdout=out, stderr=subprocess.STDOUT,
                                      stdin=subprocess.DEVNULL, start_new_session=True)

        def leftovers():
            return [str(pid) for pid, _ in wh.session.prefix_processes(prefix, script.pid)]
        # Whatever the script leaves behind is ended by PID, also when a step fails; one that
        # ended meanwhile is no error.
        self.addCleanup(lambda: subprocess.run(["kill", "-KILL", *leftovers()],
                                               stderr=subprocess.DEVNULL))
        display = wh.wait_for(lambda: re.findall(r"virtual display (:\d+)",
                                                  log.read_text("latin-1")),
                              timeout=RUN_TIMEOUT, what="run.sh's display")[0]
        shell = wh.Shell(dict(env, DISPLAY=display))
        # The first program of a new Wine session also starts Wine's services: allow for it.
        wh.wait_for(shell.tray_window, timeout=RUN_TIMEOUT, what="the icon")
        shell.click_tray(button=wh.X_RIGHT)
        shell.menu_keys("wexla98.exe", *wexla.menu_keys("Quit"))
        self.assertEqual(0, script.wait(timeout=wh.session.DEFAULT_TIMEOUT))
        wh.wait_for(lambda: not leftovers(), what="run.sh to clean up")
        self.assertFalse(os.path.exists("/tmp/.X%s-lock" % display[1:]), "the display stayed")


class Windows(wexla.AppTest):
    def shows(self, colour):
        return wh.count_colour(self.session.tray_pixels(), colour) >= ICON_PIXELS

    def test_icon_commands_save_quit_and_help(self):
        app = self.app(with_help=True)
        red = wh.windows_path(wh.write_icon(os.path.join(app.app_dir, "red.ico"), RED))
        # Blanks and a comma in the folder: the path must survive the dialog and the file.
        other = os.path.join(self.session.dir, "my icons, new")
        os.mkdir(other)
        blue = wh.windows_path(wh.write_icon(os.path.join(other, "blue.ico"), BLUE))
        # Started elsewhere: the Open dialog still starts in the program's folder, where the
        # bare file name finds the icon.
        app.start(cwd=self.session.dir)
        before = self.session.tray_pixels()
        app.choose("Icon", "Change icon")
        wh.wait_for(lambda: "Icon Files (*.ico)" in self.session.texts(wexla.OPEN_TITLE),
                    what="the Open dialog's file type")
        app.close(wexla.OPEN_TITLE, "Escape")
        self.assertEqual(before, self.session.tray_pixels())
        app.choose_icon_file("red.ico")
        wh.wait_for(lambda: self.shows(RED), what="the red icon")
        app.choose("Quit")
        app.close(wexla.CAPTION, "y")
        app.program.wait_exit()
        self.assertEqual(wexla.settings_line(red, False), app.read_settings())
        self.assertEqual(sorted([app.exe_name, "red.ico", wexla.SETTINGS_NAME, *wexla.HELP_NAMES]),
                         sorted(os.listdir(app.app_dir)))
        app.end()
        app.start()
        wh.wait_for(lambda: self.shows(RED), what="the saved icon at start")
        app.choose_icon_file(blue)
        app.choose("Save settings")
        wh.wait_for(lambda: app.read_settings() == wexla.settings_line(blue, False),
                    what="blue saved")
        # The Open dialog went to another folder: Help still opens the program folder's file.
        app.choose("Help")
        viewer = wh.wait_for(lambda: self.session.search("--name", "^%s$" % HELP_VIEWER),
                             timeout=30, what="the help viewer")[0]
        # The viewer is the shell's child, not ours: it is ended by the PID its window names.
        self.addCleanup(os.kill, int(self.session.xdotool("getwindowpid", viewer)), signal.SIGTERM)
        self.assertGreater(min(self.session.geometry(viewer)[2:]), 200, "an error box, not a page")
        # A change left unsaved at Quit, answered No: the file stays as saved.
        app.choose_icon_file(red)
        app.choose("Quit")
        app.close(wexla.CAPTION, "n")
        app.program.wait_exit()
        self.assertEqual(wexla.settings_line(blue, False), app.read_settings())

    def test_mouse_configuration_and_about_windows(self):
        app = self.app(wexla.settings_line("", True)).start()
        # Focus starts on Close in the Mouse window: Tab moves to the option shown selected,
        # Down selects the other (at once), Tab and space close it. In About it starts on OK.
        for row, title, keys in (("Mouse configuration", wexla.MOUSE_TITLE,
                                  ("Tab", "Down", "Tab", "space")),
                                 *(("About", wexla.ABOUT_TITLE, (key,))
                                   for key in ("Escape", "Return", "alt+F4"))):
            with self.subTest(title=title, keys=keys):
                for _ in range(2):  # a second choice shows the open window again
                    app.choose(row)
                    app.window(title)
                self.assertEqual(1, len(self.session.x_windows(app.program.pid, title)))
                app.close(title, *keys)
        app.choose("Save settings")
        wh.wait_for(lambda: app.read_settings() == wexla.settings_line("", False),
                    what="single-click mode saved")
        # System Info (Tab from OK): this prefix has none; its box goes, the window stays.
        app.choose("About")
        app.keys(wexla.ABOUT_TITLE, "Tab", "Return")
        app.close(wexla.CAPTION, "Return")
        app.close(wexla.ABOUT_TITLE, "Escape")


if __name__ == "__main__":
    unittest.main(verbosity=2)
