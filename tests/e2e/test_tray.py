"""The tray end to end: clicks in the settings file's mode, the tooltip and the pop-up menu by
keyboard and mouse, one icon after a shell restart and a second start, and scripts/run.sh with
no display."""

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
                app.quit()

    def test_tooltip_and_menu_by_keyboard_and_mouse(self):
        app = self.app().start()
        # Two small moves: Wine's tooltip timer starts on motion inside the icon.
        self.session.click_tray(button=None, offset=-2)
        self.session.click_tray(button=None)
        wh.wait_for(lambda: wexla.CAPTION in self.session.tooltips(), what="the tooltip")
        menu = app.open_menu()
        # The second row opens the icon submenu.
        self.session.menu_keys(app.exe_name, "Down", "Down", "Right")
        self.session.wait_menus(app.exe_name, count=2)
        self.session.menu_keys(app.exe_name, "Escape")
        wh.wait_for(lambda: self.session.menus(app.exe_name) == [menu], what="the submenu to close")
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
        self.assertEqual(["mailto:"], self.session.mail_settled(1))
        # The mark goes with the icon at Quit, though the About window keeps the copy running.
        app.choose("About")
        app.window(wexla.ABOUT_TITLE)
        app.choose("Quit")
        self.session.wait_tray_empty()
        elsewhere.start()
        self.assertTrue(app.running())
        # And with the copy that held it, however it ended.
        elsewhere.end()
        elsewhere.start()

    @unittest.skipUnless(os.environ.get("WINEHARNESS_ARCH") == "x86_64",
                         "run.sh starts the 64-bit program")
    def test_run_script_without_a_display_leaves_nothing_behind(self):
        prefix = os.path.join(self.session.dir, "run-prefix")
        subprocess.run(["cp", "-a", self.session.prefix, prefix], check=True)
        env = dict({k: v for k, v in os.environ.items() if k != "DISPLAY"}, WINEPREFIX=prefix)
        with open(os.path.join(self.session.dir, "run.log"), "wb") as log:
            script = subprocess.Popen([os.path.join(ROOT, "scripts", "run.sh")], env=env,
                                      stdout=log, stderr=subprocess.STDOUT,
                                      stdin=subprocess.DEVNULL, start_new_session=True)
        # Whatever the script leaves behind is ended by PID, also when a step fails.
        def leftovers():
            return [pid for pid, _ in wh.session.prefix_processes(prefix, script.pid)]

        def end_leftovers():
            for pid in leftovers():
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass  # ended meanwhile
        self.addCleanup(end_leftovers)
        display = wh.wait_for(lambda: re.findall(r"virtual display (:\d+)",
                                                  pathlib.Path(log.name).read_text("latin-1")),
                              timeout=RUN_TIMEOUT, what="run.sh's display")[0]
        shell = wh.Shell(dict(env, DISPLAY=display))
        # The first program of a new Wine session also starts Wine's services: allow for it.
        wh.wait_for(shell.tray_window, timeout=RUN_TIMEOUT, what="the icon")
        shell.click_tray(button=wh.X_RIGHT)
        shell.menu_keys("wexla98.exe", *wexla.menu_keys("Quit"))
        self.assertEqual(0, script.wait(timeout=wh.session.DEFAULT_TIMEOUT))
        wh.wait_for(lambda: not leftovers(), what="run.sh to clean up")
        self.assertFalse(os.path.exists("/tmp/.X%s-lock" % display[1:]), "the display stayed")


if __name__ == "__main__":
    unittest.main(verbosity=2)
