"""The release files of one architecture (WEXLA_DIST_ARCH) in WEXLA_DIST_DIR, made from the
build folder WEXLA_APP_DIR: the zip, the program's size and imports, the help file as Wine's
help viewer shows it, and the installer run silently under Wine (install, start through the
Start-menu shortcut, uninstall)."""

import glob
import html
import os
import pathlib
import re
import shutil
import unittest
import zipfile

import footprint
import wineharness as wh
from wineharness import wexla

ARCH, VERSION = os.environ.get("WEXLA_DIST_ARCH", ""), os.environ.get("WEXLA_VERSION", "")
DIST, APP_DIR = os.environ.get("WEXLA_DIST_DIR", ""), os.environ.get("WEXLA_APP_DIR", "")
SETUP = os.path.join(DIST, "wexla98-%s-setup-%s.exe" % (VERSION, ARCH))
PROGRAM_FILES = ("wexla98.exe", "wexla98.hlp", "wexla98.htm")
# PE machine and subsystem as the header stores them.
MACHINES = {"i686": b"\x4c\x01", "x86_64": b"\x64\x86"}
GUI_SUBSYSTEM = 2
SIZE_BUDGET = 128 * 1024
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Wexla98"
FOLDERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
PE_KIND = (MACHINES.get(ARCH), GUI_SUBSYSTEM)
VIEWER_CLASS, VIEWER_TITLE = "MS_WINHELP", "Wexla 98 Help"
BULLET = "\x95 "


def program_files(folder):
    return {name: pathlib.Path(folder, name).read_bytes() for name in PROGRAM_FILES}


class Packages(unittest.TestCase):
    def test_zip_and_installer(self):
        with zipfile.ZipFile(os.path.join(DIST, "wexla98-%s-%s.zip" % (VERSION, ARCH))) as zipped:
            files = {info.filename: zipped.read(info) for info in zipped.infolist()}
        readme = files.pop("readme.txt")
        self.assertEqual(program_files(APP_DIR), files)
        self.assertEqual(readme.count(b"\n"), readme.count(b"\r\n"), "Notepad needs CRLF")
        self.assertIn(VERSION.encode(), readme)
        self.assertNotIn(b"@", readme, "a placeholder was left")
        # The installer is for this architecture and asks for no elevation.
        data = pathlib.Path(SETUP).read_bytes()
        self.assertEqual(PE_KIND, wh.session.pe_kind(data))
        self.assertIn(b'requestedExecutionLevel level="asInvoker"', data)


class Budget(unittest.TestCase):
    def test_a_windows_program_within_128_kib_importing_only_system_functions(self):
        exe = os.path.join(APP_DIR, "wexla98.exe")
        self.assertEqual(PE_KIND, wh.session.pe_kind(pathlib.Path(exe).read_bytes()))
        self.assertLessEqual(os.path.getsize(exe), SIZE_BUDGET)
        imported = footprint.imports(ARCH, exe)
        self.assertTrue(footprint.only_system_dlls(imported), sorted(imported))
        # The 32-bit program loads on the oldest Windows MinGW-w64's runtime supports.
        if ARCH == "i686":
            allowed = pathlib.Path(__file__).with_name("windows2000_imports.txt").read_text()
            self.assertEqual([], sorted({"%s %s" % (dll.upper(), f) for dll, functions
                                         in imported.items() for f in functions}
                                        - set(allowed.splitlines())))


def page_topics(page):
    """Each topic of the help page by its anchor, as a help viewer shows it: the title, then a
    line per block, a bullet's after "\x95 ". The copyright closes the page, not a topic."""
    body = page.partition("<body>")[2].partition('<p class="copyright">')[0].replace("\n", "")
    topics = {}
    for anchor, section in re.findall(r'<h[12] id="([^"]*)">(.*?)(?=<h[12] id=|$)', body):
        text = re.sub(r"</(h1|h2|h3|p|li)>", "\r\n", section.replace("<li>", BULLET))
        topics[anchor] = html.unescape(re.sub(r"<[^>]*>", "", text)).rstrip("\r\n")
    return topics


class HelpViewer(unittest.TestCase):
    def test_every_topic_reads_in_the_viewer_as_on_the_page(self):
        # The help file against a reader that is not ours: the viewer opens on the contents
        # (the page's first topic) by itself, on every other topic by its context.
        page = pathlib.Path(APP_DIR, "wexla98.htm").read_bytes().decode("latin-1")
        help_file = wh.windows_path(os.path.join(APP_DIR, "wexla98.hlp"))
        with wh.Session(arch=ARCH) as session:
            for i, (anchor, text) in enumerate(page_topics(page).items()):
                viewer = session.start("winhlp32", *(["-i", anchor] if i else []), help_file)
                title = text.partition("\r\n")[0] + "\r\n"

                def shown():  # the viewer's text once it opens with the topic's title line
                    found = session.windows(cls=VIEWER_CLASS, title=VIEWER_TITLE, visible=True)
                    return next((t for w in found for t in w["texts"] if t.startswith(title)), "")
                self.assertEqual(text, wh.wait_for(shown, what=anchor), anchor)
                session.stop(viewer)
                wh.wait_for(lambda: not session.windows(cls=VIEWER_CLASS), what="the viewer to end")


class Installer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = wh.Session(arch=ARCH)
        cls.addClassCleanup(cls.session.close)
        folders = cls.session.reg_values(FOLDERS_KEY)
        cls.install_dir = folders["Local AppData"][1] + r"\Programs\Wexla 98"
        cls.links = [folders[kind][1] + r"\Wexla 98.lnk" for kind in ("Programs", "StartUp")]
        cls.help_link = cls.session.unix_path(folders["Programs"][1] + r"\Wexla 98 Help.lnk")
        cls.files = cls.session.unix_path(cls.install_dir)

    def run_setup(self, exe, *switches, code=0):
        self.assertEqual(code, self.session.wine(exe, "/S", *switches,
                                                 loader=wh.LOADERS[ARCH], check=False)[0],
                         "%s %s: %s" % (exe, switches, self.session.wine_errors))
        # An uninstaller goes on from a copy of itself (unless it failed, which it does in
        # place), which may still be in Wine's loader when the first ends; everything ends
        # before the next step.
        if code == 0:
            wh.wait_for(lambda: not self.session.prefix_programs(starting=True), timeout=60,
                        what="the prefix's programs to end")

    def links_exist(self):
        return [os.path.exists(self.session.unix_path(link)) for link in self.links]

    def test_a_held_program_file_ends_setup_and_uninstall_with_an_error(self):
        folder = r"C:\wexla98"  # no blank: NSIS reads _?= (run in place, and wait) unquoted only
        self.run_setup(SETUP, "/D=" + folder)
        # The probe in the program's place holds wexla98.exe with no window, as a program does
        # whose window has gone before its process.
        held = os.path.join(self.session.unix_path(folder), "wexla98.exe")
        shutil.copy(self.session.probe_exe, held)
        holder = self.session.start(folder + r"\wexla98.exe", "keeper")
        wh.wait_for(self.session.prefix_programs, what="the holder to run")
        self.run_setup(SETUP, "/D=" + folder, code=2)
        self.run_setup(folder + r"\uninstall.exe", "_?=" + folder, code=2)
        self.assertIsNotNone(self.session.reg_values(UNINSTALL_KEY), "gone, though not uninstalled")
        self.session.stop(holder)
        self.run_setup(folder + r"\uninstall.exe", "/REMOVESETTINGS=1")
        self.assertFalse(os.path.exists(held) or os.path.exists(os.path.dirname(held)),
                         "what stayed: %s" % glob.glob(os.path.dirname(held) + "/*"))

    def test_install_start_and_uninstall(self):
        self.run_setup(SETUP)
        self.assertEqual(program_files(APP_DIR), program_files(self.files))
        self.assertEqual([True, False], self.links_exist())
        link = pathlib.Path(self.help_link).read_bytes().decode("latin-1").replace("\0", "")
        self.assertIn("wexla98.htm", link)
        values = self.session.reg_values(UNINSTALL_KEY)
        uninstaller = '"%s\\uninstall.exe"' % self.install_dir
        for name, value in {"DisplayName": "Wexla 98", "DisplayVersion": VERSION,
                            "InstallLocation": self.install_dir,
                            "DisplayIcon": self.install_dir + r"\wexla98.exe,0",
                            "UninstallString": uninstaller,
                            "QuietUninstallString": uninstaller + " /S"}.items():
            self.assertEqual(("REG_SZ", value), values.get(name), name)
        # The shortcut starts the program in its folder: the double-click mode of the settings
        # there silences a single click.
        pathlib.Path(self.files, wexla.SETTINGS_NAME).write_bytes(wexla.settings_line("", True))
        self.session.wine("start", self.links[0])
        self.session.wait_tray()
        self.assertTrue(self.session.prefix_programs())
        self.session.click_tray()
        self.session.move_away()
        self.assertEqual([], self.session.mail_settled())
        # Uninstalling closes the running program and keeps the user's settings.
        self.run_setup(self.install_dir + r"\uninstall.exe")
        self.assertEqual([wexla.SETTINGS_NAME], os.listdir(self.files))
        self.assertEqual([False, False], self.links_exist())
        self.assertFalse(os.path.exists(self.help_link))
        self.assertIsNone(self.session.reg_values(UNINSTALL_KEY))
        self.session.clear_tray()
        # Start with Windows follows the switch, and a reinstall without it keeps the choice.
        for switches, start_up in ((["/STARTUP=1"], True), ([], True), (["/STARTUP=0"], False)):
            self.run_setup(SETUP, *switches)
            self.assertEqual([True, start_up], self.links_exist(), switches)
        self.run_setup(self.install_dir + r"\uninstall.exe", "/REMOVESETTINGS=1")
        self.assertFalse(os.path.exists(self.files), "stayed: %s" % glob.glob(self.files + "/*"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
