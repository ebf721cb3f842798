"""The program in its surroundings end to end: a second start, a drive's root, a save the file
system refuses, a planted DLL, and scripts/run.sh on a machine with no display."""

import json
import os
import pathlib
import re
import shutil
import subprocess
import unittest

import wineharness as wh
from wineharness import wexla

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SAVE_FAILED = "The settings could not be saved to "
PLANTED = "comdlg32.dll"
RUN_TIMEOUT = 300
# A second start ends before any window; this allows for Wine's start-up on a loaded machine.
SECOND_START_TIMEOUT = 10.0


class Surroundings(wexla.AppTest):
    def double_click_mode(self, app):
        app.choose("Mouse configuration")
        window = app.window(wexla.MOUSE_TITLE)
        self.session.click_button(window, "Double click")
        self.session.click_button(window, "Close")
        app.window_gone(wexla.MOUSE_TITLE)

    def test_a_second_start_ends_and_the_running_copy_still_answers(self):
        app, elsewhere = self.app().start(), self.app()
        empty_cell = self.session.tray_pixels(icon=2)
        # Started again from its folder, and as a copy in another folder: the same program.
        for second in (app.exe, elsewhere.exe):
            program = self.session.start(second, cwd=os.path.dirname(second))
            self.assertEqual(0, program.wait_exit(SECOND_START_TIMEOUT), second)
            self.session.stop(program)
        self.assertEqual(1, len(self.session.windows(cls=wexla.main_class())))
        self.assertEqual(empty_cell, self.session.tray_pixels(icon=2), "a second icon")
        app.single_click()
        self.assertEqual(["mailto:"], app.hand_offs(1))
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

    def test_a_refused_save_warns_keeps_the_changes_and_a_later_save_succeeds(self):
        drive = os.path.join(self.session.dir, "drive e")
        self.session.map_drive("e", drive)
        # At a drive's root the file belongs in the root, not in the current folder.
        for app_dir, exe in ((None, None), (drive, r"E:\wexla98.exe")):
            with self.subTest(exe=exe):
                app, cwd = self.app(app_dir=app_dir), os.path.join(drive, "cwd")
                os.makedirs(cwd, exist_ok=True)
                # A folder where the file belongs: not read at start, and no file replaces it.
                os.mkdir(app.settings)
                app.start(cwd=cwd, exe=exe)
                self.double_click_mode(app)
                app.choose("Save settings")
                name = r"E:\wexla.ini" if exe else wh.windows_path(app.settings)
                self.assertEqual(SAVE_FAILED + name + ".", app.answer())
                app.choose("Quit")
                self.assertEqual("Changes were made. Do you want to save?", app.answer("Yes"))
                self.assertTrue(app.answer().startswith(SAVE_FAILED) and app.running())
                os.rmdir(app.settings)
                app.choose("Save settings")
                wh.wait_for(lambda: app.read_settings() == wexla.settings_line("", True),
                            what="the settings saved")
                self.assertEqual([], os.listdir(cwd))
                app.end()

    def test_a_planted_dll_is_not_loaded(self):
        builds = {arch: os.path.join(self.session.dir, arch, PLANTED)
                  for arch in {"x86_64", self.session.arch}}
        for arch, dll in builds.items():
            os.mkdir(os.path.dirname(dll))
            subprocess.run(["%s-w64-mingw32-g++" % arch, "-shared", "-static", "-O2", "-o", dll,
                            os.path.join(os.path.dirname(__file__), "planted_dll.cpp")],
                           check=True, timeout=RUN_TIMEOUT)
        # Wine prefers its builtin DLLs; native first makes a planted copy the danger it is on
        # Windows.
        env = dict(self.session.env, WINEDLLOVERRIDES="mscoree,mshtml=;comdlg32=n,b")
        app, cwd = self.app(), os.path.join(self.session.dir, "cwd")
        os.mkdir(cwd)
        # The setup shows the danger: beside the probe, an unrestricted load takes the copy.
        probe = shutil.copy(self.session.probe_exe, os.path.dirname(builds["x86_64"]))
        out = wh.host.run_to_end([wh.host.TOOLS_LOADER, probe, "load", PLANTED], env, cwd)[1]
        self.assertEqual(wh.windows_path(builds["x86_64"]).lower(), json.loads(out)["path"].lower())
        for folder in (app.app_dir, cwd):
            shutil.copy(builds[self.session.arch], folder)
        app.program = self.session.start(app.exe, cwd=cwd, env=env)
        app.wait_ready()
        app.choose("Icon", "Change icon")
        app.keys(wexla.OPEN_TITLE, "Escape")
        app.window_gone(wexla.OPEN_TITLE)
        self.assertTrue(app.running())
        self.assertEqual([], [f for f in (app.app_dir, cwd)
                              if os.path.exists(os.path.join(f, PLANTED + ".loaded"))])

    @unittest.skipUnless(os.environ.get("WINEHARNESS_ARCH", "x86_64")
                         == "x86_64", "run.sh starts the 64-bit program")
    def test_run_script_without_a_display_leaves_nothing_behind(self):
        prefix = os.path.join(self.session.dir, "run-prefix")
        shutil.copytree(self.session.prefix, prefix, symlinks=True)
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        env["WINEPREFIX"] = prefix
        with open(os.path.join(self.session.dir, "run.log"), "wb") as log:
            script = subprocess.Popen([os.path.join(ROOT, "scripts", "run.sh")], env=env,
                                      stdout=log, stderr=subprocess.STDOUT,
                                      stdin=subprocess.DEVNULL, start_new_session=True)
        # Whatever the script leaves behind is ended by PID, also when a step fails.
        self.addCleanup(lambda: [wh.end_pid(pid) for pid in wh.host.leftovers(script.pid, prefix)])
        display = wh.wait_for(lambda: re.findall(r"virtual display (:\d+)",
                                                  pathlib.Path(log.name).read_text("latin-1")),
                              timeout=RUN_TIMEOUT, what="run.sh's display")[0]
        shell = wh.shell.Shell()
        shell.env = dict(env, DISPLAY=display)
        # The first program of a new prefix also starts Wine's own services: allow for it.
        wh.wait_for(shell.tray_window, timeout=RUN_TIMEOUT, what="the tray window to show")
        shell.click_tray(button=wh.X_RIGHT)
        shell.wait_menus("wexla98.exe")
        shell.menu_keys("wexla98.exe", *["Down"] * len(wexla.menu_rows()[0]), "Return")
        self.assertEqual(0, script.wait(timeout=wh.host.DEFAULT_TIMEOUT))
        wh.wait_for(lambda: not wh.host.leftovers(script.pid, prefix), what="run.sh's processes to end")
        self.assertFalse(os.path.exists("/tmp/.X%s-lock" % display[1:]), "the display stayed")


if __name__ == "__main__":
    unittest.main(verbosity=2)
