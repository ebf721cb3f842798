"""Runs the x86_64 installer and its uninstaller silently under Wine, in a private prefix and
display, and checks what a user would find: the files, the shortcuts and where they start the
program, the entry in "Add or remove programs", and what an uninstall leaves behind.

Environment:
  WEXLA_SETUP    wexla98-<version>-setup-x86_64.exe
  WEXLA_APP_DIR  the build folder it was made from (wexla98.exe, wexla98.hlp)
  WEXLA_VERSION  e.g. 1.3.2
(and those of wine_box.py)
"""

import filecmp
import os
import shutil
import unittest

import shell_link
import wine_box

SETUP = os.environ.get("WEXLA_SETUP", "")
APP_DIR = os.environ.get("WEXLA_APP_DIR", "")
VERSION = os.environ.get("WEXLA_VERSION", "")

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Wexla98"
SHELL_FOLDERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
FOLDER_NAME = "Wexla 98"
SHORTCUT_NAME = "Wexla 98.lnk"
PROGRAM_FILES = ("wexla98.exe", "wexla98.hlp")
UNINSTALLER = "uninstall.exe"
SETTINGS_NAME = "wexla.ini"
SETTINGS_TEXT = b'"",#FALSE#\r\n'
BYTES_PER_KB = 1024

INSTALL_TIMEOUT = 60.0
START_TIMEOUT = 30.0

_box = None


def setUpModule():
    global _box
    missing = [name for name, value in (("WEXLA_SETUP", SETUP), ("WEXLA_APP_DIR", APP_DIR),
                                        ("WEXLA_VERSION", VERSION)) if not value]
    if missing:
        raise unittest.SkipTest("set %s" % ", ".join(missing))
    _box = wine_box.WineBox()


def tearDownModule():
    global _box
    if _box is not None:
        _box.close()
        _box = None


class SilentInstall(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Where this user's folders are, as Wine itself reports them.
        folders = _box.reg_values(SHELL_FOLDERS_KEY)
        cls.install_dir = folders["Local AppData"][1] + "\\Programs\\" + FOLDER_NAME
        cls.start_menu_link = folders["Programs"][1] + "\\" + SHORTCUT_NAME
        cls.startup_link = folders["StartUp"][1] + "\\" + SHORTCUT_NAME
        cls.unix_dir = _box.unix_path(cls.install_dir)

    def tearDown(self):
        # Whatever a failed test left must not decide the next one.
        for process in list(_box.programs):
            _box.stop(process)
        _box.settle()
        _box.run("reg", "delete", UNINSTALL_KEY, "/f")
        shutil.rmtree(self.unix_dir, ignore_errors=True)
        for link in (self.start_menu_link, self.startup_link):
            if os.path.exists(_box.unix_path(link)):
                os.remove(_box.unix_path(link))

    # ----- steps -----

    def install(self, *switches):
        code, _ = _box.run(SETUP, "/S", *switches, timeout=INSTALL_TIMEOUT)
        self.assertEqual(code, 0, "setup %s" % " ".join(switches))
        _box.settle()

    def uninstall(self, *switches):
        uninstaller = os.path.join(self.unix_dir, UNINSTALLER)
        self.assertTrue(os.path.isfile(uninstaller))
        code, _ = _box.run(self.install_dir + "\\" + UNINSTALLER, "/S", *switches,
                           timeout=INSTALL_TIMEOUT)
        self.assertEqual(code, 0)
        # The uninstaller hands over to a copy of itself in the temporary folder and exits.
        _box.settle()

    def put_settings(self):
        with open(os.path.join(self.unix_dir, SETTINGS_NAME), "wb") as settings:
            settings.write(SETTINGS_TEXT)

    def start_from_shortcut(self):
        """Starts the program as the Start-menu shortcut does and waits for its tray icon."""
        link = shell_link.read_file(_box.unix_path(self.start_menu_link))
        self.assertFalse(_box.tray_visible(), "a tray icon before the program started")
        program = _box.start(_box.unix_path(link["target"]),
                             cwd=_box.unix_path(link["working_dir"]))
        wine_box.wait_for(_box.tray_visible, START_TIMEOUT, "the installed program's tray icon")
        self.assertIsNone(program.poll(), "the program ended on its own")
        return program

    # ----- checks -----

    def assert_link_starts_program(self, windows_link):
        path = _box.unix_path(windows_link)
        self.assertTrue(os.path.isfile(path), windows_link)
        link = shell_link.read_file(path)
        self.assertEqual(link["target"].lower(), (self.install_dir + "\\wexla98.exe").lower())
        # The program finds its settings and its help file in the current directory.
        self.assertEqual(link.get("working_dir", "").lower(), self.install_dir.lower(),
                         "Start in")

    def assert_installed(self):
        for name in PROGRAM_FILES:
            self.assertTrue(filecmp.cmp(os.path.join(self.unix_dir, name),
                                        os.path.join(APP_DIR, name), shallow=False), name)
        self.assertTrue(os.path.isfile(os.path.join(self.unix_dir, UNINSTALLER)))
        self.assert_link_starts_program(self.start_menu_link)

        values = _box.reg_values(UNINSTALL_KEY)
        self.assertIsNotNone(values, "no entry in Add or remove programs")
        uninstaller = '"%s\\%s"' % (self.install_dir, UNINSTALLER)
        expected = {
            "DisplayName": ("REG_SZ", "Wexla 98"),
            "DisplayVersion": ("REG_SZ", VERSION),
            "InstallLocation": ("REG_SZ", self.install_dir),
            "DisplayIcon": ("REG_SZ", self.install_dir + "\\wexla98.exe,0"),
            "UninstallString": ("REG_SZ", uninstaller),
            "QuietUninstallString": ("REG_SZ", uninstaller + " /S"),
            "NoModify": ("REG_DWORD", "0x1"),
            "NoRepair": ("REG_DWORD", "0x1"),
        }
        for name, value in expected.items():
            with self.subTest(value=name):
                self.assertEqual(values.get(name), value)
        self.assertTrue(values.get("Publisher", ("", ""))[1], "Publisher")
        kind, size = values["EstimatedSize"]
        self.assertEqual(kind, "REG_DWORD")
        files_kb = sum(os.path.getsize(os.path.join(self.unix_dir, name))
                       for name in PROGRAM_FILES) // BYTES_PER_KB
        self.assertGreaterEqual(int(size, 16), files_kb, "EstimatedSize is in KB")

    def assert_uninstalled(self):
        for name in PROGRAM_FILES + (UNINSTALLER,):
            self.assertFalse(os.path.exists(os.path.join(self.unix_dir, name)), name)
        for link in (self.start_menu_link, self.startup_link):
            self.assertFalse(os.path.exists(_box.unix_path(link)), link)
        self.assertIsNone(_box.reg_values(UNINSTALL_KEY), "the uninstall entry stayed")

    # ----- tests -----

    def test_install_runs_and_uninstall_keeps_settings(self):
        self.install()
        self.assert_installed()
        self.assertFalse(os.path.exists(_box.unix_path(self.startup_link)),
                         "Start with Windows is off by default")

        program = self.start_from_shortcut()
        _box.stop(program)
        # A killed program cannot take its icon away; Wine's tray goes once the prefix is idle.
        wine_box.wait_for(lambda: not _box.tray_visible(), START_TIMEOUT,
                          "the tray to go with the program")

        self.put_settings()
        self.uninstall()
        self.assert_uninstalled()
        self.assertTrue(os.path.isdir(self.unix_dir), "the folder with the settings went")
        self.assertEqual(os.listdir(self.unix_dir), [SETTINGS_NAME],
                         "only the user's settings stay")

    def test_start_with_windows_follows_the_switch(self):
        self.install("/STARTUP=1")
        self.assert_installed()
        self.assert_link_starts_program(self.startup_link)

        self.install()
        self.assertTrue(os.path.exists(_box.unix_path(self.startup_link)),
                        "a reinstall without the switch keeps the earlier choice")
        self.install("/STARTUP=0")
        self.assertFalse(os.path.exists(_box.unix_path(self.startup_link)))
        self.assert_installed()

        self.uninstall()
        self.assert_uninstalled()
        self.assertFalse(os.path.exists(self.unix_dir), "the empty folder stayed")

    def test_uninstall_closes_the_program_and_can_remove_settings(self):
        self.install("/STARTUP=1")
        self.put_settings()
        program = self.start_from_shortcut()
        # uninstall() returns only once no program runs in the prefix, this one included.
        self.uninstall("/REMOVESETTINGS=1")
        self.assertIsNotNone(program.poll(), "the running program was not closed")
        self.assert_uninstalled()
        self.assertFalse(os.path.exists(self.unix_dir), "settings or folder stayed")


if __name__ == "__main__":
    unittest.main(verbosity=2)
