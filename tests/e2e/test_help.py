"""End to end: "Help" in the tray menu opens wexla98.hlp from the program's current directory
in the Windows Help viewer, under Xvfb + Wine.

Needs WEXLA_EXE (wexla98.exe, x86_64, with wexla98.hlp beside it) and WEXLA_PROBE
(wexla_probe.exe, which the harness keeps running); skips without them.
WEXLA_ARTIFACT_DIR: where the screenshot of the open viewer goes (default: the current
directory, which under ctest is the build tree).
"""

import os
import shutil
import signal
import tempfile
import unittest

import wexla_e2e as e2e

EXE = os.environ.get("WEXLA_EXE")
PROBE = os.environ.get("WEXLA_PROBE")
ARTIFACT_DIR = os.environ.get("WEXLA_ARTIFACT_DIR") or os.getcwd()
HELP_NAME = "wexla98.hlp"
MISSING = [name for name, value in (("WEXLA_EXE", EXE), ("WEXLA_PROBE", PROBE))
           if not value or not os.path.isfile(value)]
if EXE and not MISSING and not os.path.isfile(os.path.join(os.path.dirname(EXE), HELP_NAME)):
    MISSING.append(HELP_NAME + " beside WEXLA_EXE")

# The menu rows as they are counted with the Down key (separators are skipped).
MENU_ROWS = ["Mouse configuration", "Icon", "Save settings", "Help", "About", "Quit"]
VIEWER_TITLE = "Wexla 98 Help"
SCREENSHOT_NAME = "help-viewer.png"
# The title comes from the help file itself, so the viewer must have read it by then; a
# viewer that could not read the file shows its bare "Wine Help" window instead.
VIEWER_TIMEOUT = 30.0
# The viewer's window must be big enough to show a page, not an error box.
MIN_VIEWER_SIDE = 200


def setUpModule():
    if MISSING:
        raise unittest.SkipTest("set %s to run the help end-to-end test" % ", ".join(MISSING))


class HelpFromTrayMenu(unittest.TestCase):
    def setUp(self):
        self.session = e2e.Session(PROBE)
        self.addCleanup(self.session.close)
        # A copy of the program and its help file in a folder of their own: the program's
        # directory is the current directory, as with the installed shortcuts.
        self.app_dir = tempfile.mkdtemp(prefix="app-", dir=self.session.dir)
        self.addCleanup(shutil.rmtree, self.app_dir, ignore_errors=True)
        for name in (os.path.basename(EXE), HELP_NAME):
            shutil.copy(os.path.join(os.path.dirname(EXE), name), self.app_dir)
        self.exe_name = os.path.basename(EXE)
        self.viewer_pid = None
        self.addCleanup(self.end_viewer)

    def end_viewer(self):
        # The viewer is the shell's child, not ours; its X window names its PID.
        if self.viewer_pid:
            try:
                os.kill(self.viewer_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass

    def viewer_windows(self):
        return self.session.search("--name", "^%s$" % VIEWER_TITLE)

    def test_help_opens_the_help_file_in_the_viewer(self):
        program = self.session.start(os.path.join(self.app_dir, self.exe_name), cwd=self.app_dir)
        self.session.wait_tray()
        self.assertEqual([], self.viewer_windows())

        self.session.click_tray(button=e2e.X_RIGHT_BUTTON)
        menu = self.session.wait_menus(self.exe_name)[0]
        self.session.keys(menu, *(["Down"] * (MENU_ROWS.index("Help") + 1) + ["Return"]))
        self.session.wait_menus_gone(self.exe_name)

        viewer = e2e.wait_for(self.viewer_windows, VIEWER_TIMEOUT, "the help viewer")[0]
        pid = self.session.xdotool("getwindowpid", viewer, check=False).strip()
        self.viewer_pid = int(pid) if pid.isdigit() else None
        self.assertIsNotNone(self.viewer_pid, "the viewer window names no PID")
        self.assertNotEqual(program.pid, self.viewer_pid, "the viewer is a program of its own")
        _, _, width, height = self.session.window_geometry(viewer)
        self.assertGreaterEqual(min(width, height), MIN_VIEWER_SIDE)

        os.makedirs(ARTIFACT_DIR, exist_ok=True)
        screenshot = os.path.join(ARTIFACT_DIR, SCREENSHOT_NAME)
        self.session.screenshot(screenshot)
        print("help viewer screenshot: %s" % screenshot, flush=True)
        self.assertTrue(os.path.getsize(screenshot) > 0, screenshot)

        self.assertTrue(program.running(), "the program ended when it opened help")
        self.end_viewer()
        e2e.wait_for(lambda: not self.viewer_windows(), what="the help viewer to close")
        self.session.stop(program)


if __name__ == "__main__":
    unittest.main(verbosity=2)
