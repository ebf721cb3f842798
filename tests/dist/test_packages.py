"""Checks the release files of one architecture without running them: what the portable zip
holds and what the installer declares about itself.

Environment:
  WEXLA_DIST_DIR   folder with the packages (scripts/package.sh --out)
  WEXLA_DIST_ARCH  i686 or x86_64
  WEXLA_VERSION    the project's version, e.g. 1.3.2
  WEXLA_APP_DIR    the build folder the packages were made from (wexla98.exe, wexla98.hlp)
"""

import os
import unittest
import zipfile

import pe_header

DIST_DIR = os.environ.get("WEXLA_DIST_DIR", "")
ARCH = os.environ.get("WEXLA_DIST_ARCH", "")
VERSION = os.environ.get("WEXLA_VERSION", "")
APP_DIR = os.environ.get("WEXLA_APP_DIR", "")

ZIP_NAMES = {"wexla98.exe", "wexla98.hlp", "readme.txt"}
WINHELP_MAGIC = bytes([0x3F, 0x5F, 0x03, 0x00])
SETTINGS_NAME = b"wexla.ini"
# The installer's manifest must not ask Windows for elevation: it installs per user.
AS_INVOKER = b'requestedExecutionLevel level="asInvoker"'
ELEVATED_LEVELS = (b'level="requireAdministrator"', b'level="highestAvailable"')


def zip_path():
    return os.path.join(DIST_DIR, "wexla98-%s-%s.zip" % (VERSION, ARCH))


def setup_path():
    return os.path.join(DIST_DIR, "wexla98-%s-setup-%s.exe" % (VERSION, ARCH))


def read_file(path):
    with open(path, "rb") as handle:
        return handle.read()


def setUpModule():
    missing = [name for name, value in (("WEXLA_DIST_DIR", DIST_DIR), ("WEXLA_DIST_ARCH", ARCH),
                                        ("WEXLA_VERSION", VERSION), ("WEXLA_APP_DIR", APP_DIR))
               if not value]
    if missing:
        raise unittest.SkipTest("set %s" % ", ".join(missing))


class PortableZip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with zipfile.ZipFile(zip_path()) as archive:
            cls.infos = archive.infolist()
            cls.files = {info.filename: archive.read(info) for info in cls.infos}

    def test_holds_exactly_the_program_its_help_and_the_readme(self):
        names = [info.filename for info in self.infos]
        self.assertEqual(sorted(names), sorted(ZIP_NAMES), "no folders, nothing else")

    def test_program_is_a_gui_exe_for_this_architecture(self):
        machine, subsystem = pe_header.read(self.files["wexla98.exe"])
        self.assertEqual(machine, pe_header.MACHINE_OF_ARCH[ARCH])
        self.assertEqual(subsystem, pe_header.SUBSYSTEM_WINDOWS_GUI, "a console would open")

    def test_help_is_a_winhelp_file(self):
        self.assertEqual(self.files["wexla98.hlp"][:len(WINHELP_MAGIC)], WINHELP_MAGIC)

    def test_files_are_the_ones_just_built(self):
        for name in ("wexla98.exe", "wexla98.hlp"):
            with self.subTest(name=name):
                self.assertEqual(self.files[name], read_file(os.path.join(APP_DIR, name)),
                                 "stale package")

    def test_readme_is_for_notepad_and_this_version(self):
        text = self.files["readme.txt"]
        self.assertEqual(text.count(b"\n"), text.count(b"\r\n"), "every line ends in CRLF")
        self.assertIn(VERSION.encode(), text)
        self.assertNotIn(b"@", text, "a placeholder was left")
        self.assertIn(SETTINGS_NAME, text, "the readme names the settings file")


class Installer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = read_file(setup_path())

    def test_is_a_gui_exe_for_this_architecture(self):
        # A 32-bit installer for the 64-bit program would install it on 32-bit Windows too.
        machine, subsystem = pe_header.read(self.data)
        self.assertEqual(machine, pe_header.MACHINE_OF_ARCH[ARCH])
        self.assertEqual(subsystem, pe_header.SUBSYSTEM_WINDOWS_GUI)

    def test_needs_no_administrator_rights(self):
        self.assertIn(AS_INVOKER, self.data)
        for level in ELEVATED_LEVELS:
            self.assertNotIn(level, self.data)

    def test_version_resource_names_the_release(self):
        # VIAddVersionKey strings are stored as UTF-16 in the installer's resources.
        self.assertIn(("%s setup (%s)" % (VERSION, ARCH)).encode("utf-16-le"), self.data)


if __name__ == "__main__":
    unittest.main(verbosity=2)
