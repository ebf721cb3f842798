"""End-to-end tests of Wexla 98 against hostile inputs and hostile surroundings, under Xvfb +
Wine: broken settings files, files that are no icons, a read-only or full program directory,
kills in the middle of a save, a shell restart at awkward moments, and a planted DLL.

Needs WEXLA_EXE (wexla98.exe, x86_64) and WEXLA_PROBE (wexla_probe.exe); skips without them.
The read-only directory case needs mount rights (root), the DLL case MinGW-w64's g++.
WEXLA_KILL_ITERATIONS sets how many kills the save-kill loop makes.
One Xvfb + prefix serves the whole module; each case starts its own program and ends it by PID.
"""

import contextlib
import os
import random
import shutil
import subprocess
import tempfile
import time
import unittest

import hostile_files as hostile
import icon_file
import tmpfs_folder
import wexla_e2e as e2e
from wexla_ui import (CAPTION, ICON_LOAD_FAILED_PREFIX, ICON_SUBMENU, MAILTO, MAIN_CLASS, MENU_ROWS,
                      SAVE_QUESTION, SETTINGS_NAME)

EXE = os.environ.get("WEXLA_EXE")
PROBE = os.environ.get("WEXLA_PROBE")
MISSING = [name for name, value in (("WEXLA_EXE", EXE), ("WEXLA_PROBE", PROBE))
           if not value or not os.path.isfile(value)]

MESSAGE_BOX_CLASS = "#32770"
SETTINGS_TEMP_NAME = "wexla.ini.new"
UNREADABLE_PREFIX = "The settings file wexla.ini could not be read"
SAVE_FAILED_PREFIX = "The settings could not be saved to"
OPEN_TITLE = "Open"
MOUSE_TITLE = "Mouse configuration"
DOUBLE_CLICK = "Double click"
CLOSE = "Close"


# The program refuses longer icon paths; the ANSI file functions could not open them.
MAX_ICON_PATH = 259
MAX_SETTINGS_BYTES = 4096
ONE_MEGABYTE = 1 << 20

RED = (255, 0, 0)
GREEN = (0, 255, 0)
BLUE = (0, 0, 255)
RGB_BYTES = 3
# A 16x16 icon in a 20x20 tray cell: most of its 256 pixels show the file's colour.
MIN_ICON_PIXELS = 128
TYPE_DELAY_MS = 5
MENU_ATTEMPTS = 3

# Room for the program (~100 KB) and a settings file, and little else.
TMPFS_BYTES = 1 << 20
KILL_ITERATIONS = int(os.environ.get("WEXLA_KILL_ITERATIONS", "16"))
# Kills land from before the save starts to well after it ends, as timed on this machine.
KILL_WINDOW_FACTOR = 1.5
CALIBRATION_POLL_S = 0.01
# No file name between the quotes (the built-in icon), the mode, the line end.
COMPLETE_BUILTIN_ICON_LINE = rb'\A"[^"\\]*",#FALSE#\r\n\Z'
KILL_SEED = int(os.environ.get("WEXLA_KILL_SEED", "1998"))

MINGW_CXX = "x86_64-w64-mingw32-g++"
HERE = os.path.dirname(os.path.abspath(__file__))
PLANTED_DLL_SOURCE = os.path.join(HERE, "planted_dll.cpp")
LOADER_SOURCE = os.path.join(HERE, "unrestricted_loader.cpp")
# The program loads the common-dialog DLL itself, by bare name, the first time it needs the
# Open dialog: exactly the load a planted copy would hijack.
PLANTED_NAME = "comdlg32.dll"
MARKER_SUFFIX = ".loaded"
# Wine prefers its own builtin DLLs; "native first" for this one name makes a planted copy a real
# danger, as a native system would be.
NATIVE_FIRST = "mscoree,mshtml=;comdlg32=n,b"
COMPILE_TIMEOUT = 300.0

_session = None
_compiles = None


class _Compiles:
    """The DLL case's helpers, compiled in the background while the module runs."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="wexla-hostile-build-")
        self.dll = os.path.join(self.dir, PLANTED_NAME)
        self.loader = os.path.join(self.dir, "unrestricted_loader.exe")
        flags = ["-std=c++20", "-O2", "-static", "-Wall", "-Wextra", "-Werror"]
        self.processes = []
        if shutil.which(MINGW_CXX):
            for extra, out, source in ((["-shared"], self.dll, PLANTED_DLL_SOURCE),
                                       ([], self.loader, LOADER_SOURCE)):
                self.processes.append(subprocess.Popen(
                    [MINGW_CXX] + flags + extra + ["-o", out, source],
                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE))

    def wait(self):
        if not self.processes:
            raise unittest.SkipTest("%s is missing" % MINGW_CXX)
        for process in self.processes:
            _, err = process.communicate(timeout=COMPILE_TIMEOUT)
            if process.returncode != 0:
                raise AssertionError("compiling failed: %s" % err.decode(errors="replace"))

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.communicate()
        shutil.rmtree(self.dir, ignore_errors=True)


def setUpModule():
    global _session, _compiles
    if MISSING:
        raise unittest.SkipTest("set %s to run the hostile-input end-to-end tests"
                                % " and ".join(MISSING))
    _compiles = _Compiles()
    _session = e2e.Session(PROBE)


def tearDownModule():
    global _session, _compiles
    if _session is not None:
        _session.close()
        _session = None
    if _compiles is not None:
        _compiles.close()
        _compiles = None


def settings_line(icon, double_click):
    return '"%s",%s\r\n' % (icon, "#TRUE#" if double_click else "#FALSE#")


def count_pixels(rgb_bytes, colour):
    wanted = bytes(colour)
    return sum(1 for i in range(0, len(rgb_bytes), RGB_BYTES)
               if rgb_bytes[i:i + RGB_BYTES] == wanted)


def run_to_completion(argv, env, cwd):
    """Runs a Wine program to its end; returns its exit code and its output as text. The output
    goes through a file: a pipe could be held open by a Wine server the program starts."""
    with tempfile.TemporaryFile() as out:
        result = subprocess.run(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.DEVNULL, timeout=e2e.PROBE_TIMEOUT)
        out.seek(0)
        return result.returncode, out.read().decode("latin-1").strip()


def read_bytes(path):
    try:
        with open(path, "rb") as data:
            return data.read()
    except FileNotFoundError:
        return None


class HostileCase(unittest.TestCase):
    """Drives one program at a time: started by PID in a directory of its own, through its
    tray icon, its pop-up menu (by keys) and its message boxes (through the probe)."""

    def setUp(self):
        self.session = _session
        self.exe_name = os.path.basename(EXE)
        self.program = None
        self.started = []
        self.addCleanup(self.end_program)

    # ----- directories and processes -----

    def new_dir(self, prefix):
        path = tempfile.mkdtemp(prefix=prefix, dir=self.session.dir)
        self.addCleanup(shutil.rmtree, path, True)
        return path

    def new_app_dir(self, path=None):
        """A copy of the program in a folder of its own: where it saves its settings."""
        app_dir = path or self.new_dir("program dir-")
        shutil.copy(EXE, app_dir)
        return app_dir

    def start(self, app_dir, cwd=None, env=None):
        exe = os.path.join(app_dir, self.exe_name)
        self.session.reset_mail()
        if env is None:
            self.program = self.session.start(exe, cwd=cwd or app_dir)
        else:
            log = open(os.path.join(self.session.dir, "program-%d.log" % time.monotonic_ns()),
                       "wb")
            with log:
                process = subprocess.Popen([e2e.WINE, exe], env=env, cwd=cwd or app_dir,
                                           stdin=subprocess.DEVNULL, stdout=log,
                                           stderr=subprocess.STDOUT)
            self.program = e2e.Program(self.session, process, self.exe_name)
            self.session.programs.append(self.program)
        self.started.append(self.program)
        return self.program

    def wait_ready(self):
        self.session.wait_window_class(MAIN_CLASS)
        self.session.wait_tray()
        e2e.wait_for(lambda: self.session.probe("icon-exists"), what="the program's tray icon")

    def start_ready(self, app_dir, cwd=None, env=None):
        self.start(app_dir, cwd, env)
        self.wait_ready()

    def end_program(self):
        """Ends every program this case started, also one a failed step left behind."""
        if any(program.running() for program in self.started):
            self.session.close_menus(self.exe_name)
        for program in self.started:
            self.session.stop(program)
        self.started = []
        self.program = None
        # The next program's icon must be in the first tray cell again.
        self.session.clear_tray()

    def assert_alive(self):
        self.assertTrue(self.program.running(), "the program ended")
        self.assertTrue(self.session.probe("icon-exists"), "the tray icon is gone")

    # ----- the pop-up menu -----

    def open_menu(self):
        self.session.click_tray(button=e2e.X_RIGHT_BUTTON)
        return self.session.wait_menus(self.exe_name)[0]

    def choose(self, item, subitem=None):
        keys = ["Down"] * (MENU_ROWS.index(item) + 1)
        if subitem is not None:
            keys += ["Right"] + ["Down"] * ICON_SUBMENU.index(subitem)
        for attempt in range(MENU_ATTEMPTS):
            menu = self.open_menu()
            try:
                self.session.keys(menu, *(keys + ["Return"]))
                break
            except e2e.HarnessError:
                # A window of the program that closed a moment ago can still take the
                # activation and so close the new menu under the keys; nothing was chosen.
                if self.session.menus(self.exe_name) or attempt + 1 == MENU_ATTEMPTS:
                    raise
        self.session.wait_menus_gone(self.exe_name)
        self.leave_tray()

    def leave_tray(self):
        """The icon's tooltip is captioned like the program's message boxes: it must be gone
        before a message box is looked for."""
        self.session.move_away()
        e2e.wait_for(lambda: not self.session.tooltip_texts(), what="the tray tooltip to hide")

    # ----- message boxes and windows -----

    def click_button(self, caption, button):
        """The probe reads captions with a timeout, so a program slowed by a loaded machine can
        hide its window from one look: retried, which is safe, as nothing was clicked then."""
        e2e.wait_for(lambda: self.session.probe("click", caption, button),
                     what="button %r in the window %r" % (button, caption))

    def message_boxes(self):
        return [w for w in self.session.win32_windows(MESSAGE_BOX_CLASS, CAPTION)
                if w["visible"]]

    def message(self):
        e2e.wait_for(self.message_boxes, what="a message box of the program")
        return self.session.message_text(CAPTION)

    def answer(self, button="OK"):
        self.click_button(CAPTION, button)
        e2e.wait_for(lambda: not self.message_boxes(), what="the message box to close")

    def assert_message_starts(self, prefix):
        text = self.message()
        self.assertTrue(text.startswith(prefix), text)
        return text

    # ----- clicks and hand-offs -----

    def single_click(self):
        self.session.click_tray()
        self.leave_tray()

    def double_click(self):
        self.session.click_tray(double=True)
        self.leave_tray()

    def assert_hand_offs(self, count):
        """Waits for `count` hand-offs, then proves with a later sentinel that there are no
        more, and that each handed the shell exactly "mailto:"."""
        if count:
            self.session.wait_mail(count)
        self.assertEqual([MAILTO] * count, self.session.mail_sentinel())

    def assert_click_mode(self, double_click_only):
        self.single_click()
        self.assert_hand_offs(0 if double_click_only else 1)
        if double_click_only:
            time.sleep(e2e.SEPARATE_CLICK_GAP_S)
            self.double_click()
            self.assert_hand_offs(1)

    # ----- commands -----

    def quit_without_question(self):
        self.choose("Quit")
        e2e.wait_for(lambda: not self.program.running() or self.message_boxes(),
                     what="the program to quit")
        if self.program.running():
            self.fail("Quit asked: %r" % self.session.message_text(CAPTION))
        self.session.wait_tray_gone()
        self.program = None

    def set_mouse_mode(self, option):
        self.choose("Mouse configuration")
        e2e.wait_for(lambda: self.session.probe("text", MOUSE_TITLE),
                     what="the mouse configuration window")
        self.click_button(MOUSE_TITLE, option)
        self.close_mouse_window()

    def close_mouse_window(self):
        self.click_button(MOUSE_TITLE, CLOSE)
        self.session.wait_no_window(MOUSE_TITLE)
        e2e.wait_for(lambda: not self.session.x_windows_named(MOUSE_TITLE),
                     what="the mouse configuration window to leave the screen")

    def choose_icon_file(self, linux_path):
        self.choose("Icon", "Change icon")
        dialog = e2e.wait_for(lambda: self.session.x_windows_named(OPEN_TITLE),
                              what="the Open dialog")[0]
        self.session.xdotool("windowfocus", "--sync", dialog, check=False)
        self.session.xdotool("type", "--delay", TYPE_DELAY_MS, hostile.windows_path(linux_path))
        self.session.keys(dialog, "Return")
        self.session.wait_no_window(OPEN_TITLE)

    def tray_colour_count(self, colour):
        return count_pixels(self.session.tray_pixels(), colour)

    def wait_tray_colour(self, colour):
        e2e.wait_for(lambda: self.tray_colour_count(colour) >= MIN_ICON_PIXELS,
                     what="the tray icon to show %r" % (colour,))


class SettingsFileVariants(HostileCase):
    """Every variant is a fresh start in the program's own directory, so a wrong save would
    overwrite the very file under test; a read one decides the click mode, a refused one gives
    the message and the defaults (single click mails)."""

    @contextlib.contextmanager
    def variant(self, name):
        with self.subTest(variant=name):
            try:
                yield self.new_app_dir()
            finally:
                self.end_program()

    def assert_unchanged_after_quit(self, app_dir, content):
        path = os.path.join(app_dir, SETTINGS_NAME)
        self.quit_without_question()
        self.assertEqual(content, read_bytes(path), "the settings file changed")
        self.assertFalse(os.path.exists(os.path.join(app_dir, SETTINGS_TEMP_NAME)))

    def test_refused_files_warn_start_with_defaults_and_stay_unchanged(self):
        too_long_path = "C:\\" + "p" * MAX_ICON_PATH
        # #TRUE# where the form allows it: taken for valid, it would silence single clicks.
        variants = {
            "empty": b"",
            "one item": b'""\r\n',
            "empty second item": b'"",\r\n',
            "unquoted path": b'C:\\icons\\a.ico,#TRUE#\r\n',
            "missing comma": b'"" #TRUE#\r\n',
            "unknown literal": b'"",#MAYBE#\r\n',
            "NUL in the literal": b'"",#TR\0UE#\r\n',
            "NUL in the path": b'"C:\\a\0b.ico",#TRUE#\r\n',
            "NUL after the line": b'"",#TRUE#\r\n\0',
            "one megabyte line": b'"' + b"a" * ONE_MEGABYTE + b'",#TRUE#\r\n',
            "just over the size limit": b'"",#TRUE#\r\n' + b" " * MAX_SETTINGS_BYTES,
            "path over 259 characters": ('"%s",#TRUE#\r\n' % too_long_path).encode(),
        }
        for name, content in variants.items():
            with self.variant(name) as app_dir:
                hostile.write_bytes(os.path.join(app_dir, SETTINGS_NAME), content)
                self.start(app_dir)
                self.assert_message_starts(UNREADABLE_PREFIX)
                self.answer()
                self.wait_ready()
                self.assert_click_mode(double_click_only=False)
                self.assert_unchanged_after_quit(app_dir, content)

    def test_accepted_forms_set_the_click_mode_without_a_message(self):
        variants = {
            "-1 is True": (b'"",-1\r\n', True),
            "0 is False": (b'"",0\r\n', False),
            "any other integer is True": (b'"",7\r\n', True),
            "blanks around items, LF only": (b'  ""  ,  #TRUE#  \n', True),
            "a second line is ignored": (b'"",#TRUE#\r\n"",#FALSE#\r\n', True),
        }
        for name, (content, double_click_only) in variants.items():
            with self.variant(name) as app_dir:
                hostile.write_bytes(os.path.join(app_dir, SETTINGS_NAME), content)
                self.start_ready(app_dir)
                self.assert_click_mode(double_click_only)
                self.assertEqual([], self.message_boxes())
                self.assert_unchanged_after_quit(app_dir, content)

    def test_files_the_program_must_not_find(self):
        """A directory of that name, and hidden or system files that hold #TRUE#: none is
        read, none brings a message, single clicks mail."""
        content = settings_line("", True).encode()
        for name, attribute in (("directory", None), ("hidden", "+h"), ("system", "+s")):
            with self.variant(name) as app_dir:
                path = os.path.join(app_dir, SETTINGS_NAME)
                if attribute is None:
                    os.mkdir(path)
                    hostile.write_bytes(os.path.join(path, SETTINGS_NAME), content)
                else:
                    hostile.write_bytes(path, content)
                    self.session.wine("attrib", attribute, hostile.windows_path(path))
                self.start_ready(app_dir)
                self.assert_click_mode(double_click_only=False)
                self.assertEqual([], self.message_boxes())
                self.quit_without_question()
                if attribute is None:
                    self.assertTrue(os.path.isdir(path))
                else:
                    self.assertEqual(content, read_bytes(path))


class IconFiles(HostileCase):
    def test_hostile_icon_files_never_crash_and_keep_the_previous_icon(self):
        icons = self.new_dir("icons-")
        # Blanks and commas: the settings line must keep them inside its quotes.
        odd_folder = os.path.join(icons, "my icons, old")
        os.mkdir(odd_folder)
        red = os.path.join(odd_folder, "red, big.ico")
        icon_file.write_solid_icon(red, RED)
        refused = {
            "zero bytes": hostile.write_bytes(os.path.join(icons, "empty.ico"), b""),
            "truncated": hostile.write_bytes(os.path.join(icons, "cut.ico"),
                                             hostile.truncated_icon_bytes(GREEN)),
            "PNG named .ico": hostile.write_bytes(os.path.join(icons, "picture.ico"),
                                                  hostile.png_bytes(GREEN)),
        }
        many = hostile.write_bytes(os.path.join(icons, "many.ico"),
                                   hostile.multi_image_icon_bytes(GREEN))
        deep = hostile.deep_file_path(os.path.join(icons, "deep"), MAX_ICON_PATH)
        icon_file.write_solid_icon(deep, BLUE)

        app_dir = self.new_app_dir()
        self.start_ready(app_dir)
        with self.subTest(icon="blanks and commas"):
            self.choose_icon_file(red)
            self.wait_tray_colour(RED)
        for name, path in refused.items():
            with self.subTest(icon=name):
                before = self.session.tray_pixels()
                self.choose_icon_file(path)
                self.assert_message_starts(ICON_LOAD_FAILED_PREFIX)
                self.answer()
                self.assert_alive()
                self.assertEqual(before, self.session.tray_pixels(), "the icon changed")
        with self.subTest(icon="20 images up to 256x256"):
            self.choose_icon_file(many)
            self.wait_tray_colour(GREEN)
            self.assert_alive()
        with self.subTest(icon="path of 259 characters"):
            self.choose_icon_file(deep)
            self.wait_tray_colour(BLUE)
            self.assert_alive()
            # The longest path survives the round trip through the settings file.
            self.choose("Save settings")
            settings = os.path.join(app_dir, SETTINGS_NAME)
            expected = settings_line(hostile.windows_path(deep), False).encode()
            e2e.wait_for(lambda: read_bytes(settings) == expected, what="the saved settings")
            self.quit_without_question()
            self.start_ready(app_dir)
            self.wait_tray_colour(BLUE)
            self.assertEqual([], self.message_boxes())


class ReadOnlyProgramDirectory(HostileCase):
    def test_failed_saves_warn_keep_the_changes_and_a_later_save_succeeds(self):
        mount_point = os.path.join(self.session.dir, "read-only program dir")
        try:
            folder = tmpfs_folder.TmpfsFolder(mount_point, TMPFS_BYTES)
        except tmpfs_folder.MountUnavailable as error:
            self.skipTest("cannot mount a tmpfs: %s" % error)
        def end_then_unmount():
            # The program holds files of the mount until it ends.
            self.end_program()
            folder.unmount()
        self.addCleanup(end_then_unmount)
        app_dir = self.new_app_dir(mount_point)
        settings = os.path.join(app_dir, SETTINGS_NAME)
        old = settings_line("", False).encode()
        hostile.write_bytes(settings, old)
        # Settings come from the current directory; this one has none, so defaults.
        self.start_ready(app_dir, cwd=self.new_dir("cwd-"))
        self.set_mouse_mode(DOUBLE_CLICK)

        folder.make_read_only()
        with self.subTest(refusal="read-only"):
            self.choose("Save settings")
            self.assert_message_starts(SAVE_FAILED_PREFIX)
            self.answer()
            self.assertEqual(old, read_bytes(settings))
            # The changes are still unsaved, so Quit asks; Yes fails again and keeps it running.
            self.choose("Quit")
            self.assertEqual(SAVE_QUESTION, self.message())
            self.answer("Yes")
            self.assert_message_starts(SAVE_FAILED_PREFIX)
            self.answer()
            self.assert_alive()
            self.assertEqual(old, read_bytes(settings))

        folder.make_writable()
        folder.fill()
        with self.subTest(refusal="disk full"):
            self.choose("Save settings")
            self.assert_message_starts(SAVE_FAILED_PREFIX)
            self.answer()
            self.assertEqual(old, read_bytes(settings))
            self.assertFalse(os.path.exists(os.path.join(app_dir, SETTINGS_TEMP_NAME)),
                             "a half-written temporary file was left behind")
            self.assert_alive()

        folder.unfill()
        self.choose("Save settings")
        new = settings_line("", True).encode()
        e2e.wait_for(lambda: read_bytes(settings) == new, what="the saved settings")
        self.assertEqual([], self.message_boxes())
        self.quit_without_question()


class KilledDuringSave(HostileCase):
    def save_by_quitting(self, app_dir):
        """Starts the program, drops its icon file for the built-in icon and answers Yes to the
        question on Quit, which saves at once: the moment is known to within a message, unlike
        a menu command whose menu closes on its own time. Returns when Yes was clicked."""
        self.start_ready(app_dir)
        self.choose("Icon", "Restore default icon")
        self.choose("Quit")
        self.assertEqual(SAVE_QUESTION, self.message())
        self.click_button(CAPTION, "Yes")
        return time.monotonic()

    def test_a_kill_around_the_save_leaves_the_old_or_the_new_line(self):
        """Every round starts from a file naming an icon and saves the built-in one, and a
        SIGKILL lands at a random moment around the save; what is left must be one of the two
        complete lines. A temporary file a kill left behind stays for the next round."""
        rng = random.Random(KILL_SEED)
        app_dir = self.new_app_dir()
        red = os.path.join(self.new_dir("icons-"), "red.ico")
        icon_file.write_solid_icon(red, RED)
        settings = os.path.join(app_dir, SETTINGS_NAME)
        old = settings_line(hostile.windows_path(red), False).encode()
        outcomes = {"old": 0, "new": 0}
        # A round without a kill times the save on this machine and shows the line it writes.
        hostile.write_bytes(settings, old)
        started = self.save_by_quitting(app_dir)
        e2e.wait_for(lambda: read_bytes(settings) != old, what="the timing save",
                     interval=CALIBRATION_POLL_S)
        save_time = time.monotonic() - started
        new = read_bytes(settings)
        self.assertRegex(new, COMPLETE_BUILTIN_ICON_LINE)
        self.program.wait_exit()
        self.end_program()
        for round_number in range(KILL_ITERATIONS):
            delay = rng.uniform(0, save_time * KILL_WINDOW_FACTOR)
            hostile.write_bytes(settings, old)
            with self.subTest(round=round_number, delay=round(delay, 3)):
                try:
                    self.save_by_quitting(app_dir)
                    time.sleep(delay)
                    self.program.process.kill()
                    self.program.wait_exit()
                finally:
                    self.end_program()
                left = read_bytes(settings)
                self.assertIn(left, (old, new))
                outcomes["old" if left == old else "new"] += 1
        print("\nkill loop: %d rounds, seed %d, save %.3f s: %r"
              % (KILL_ITERATIONS, KILL_SEED, save_time, outcomes))
        # A loop whose kills all land on one side has tested nothing about the other.
        self.assertGreater(outcomes["new"], 0, outcomes)


class ShellRestart(HostileCase):
    def assert_icon_back_once(self, empty_cell):
        e2e.wait_for(lambda: self.session.probe("icon-exists"), what="the icon to come back")
        self.assertEqual(empty_cell, self.session.tray_pixels(icon=2), "icon added twice")

    def restart_shell(self):
        restarted = self.session.probe("shell-restart")
        self.assertTrue(restarted and restarted[0]["deleted"] and restarted[0]["gone"],
                        restarted)

    def test_icon_comes_back_with_a_window_or_the_menu_open(self):
        self.start_ready(self.new_app_dir())
        empty_cell = self.session.tray_pixels(icon=2)
        with self.subTest(during="mouse configuration window"):
            self.choose("Mouse configuration")
            e2e.wait_for(lambda: self.session.probe("text", MOUSE_TITLE),
                         what="the mouse configuration window")
            self.restart_shell()
            self.assert_icon_back_once(empty_cell)
            self.assertTrue(self.session.probe("text", MOUSE_TITLE), "the window went")
            self.close_mouse_window()
            self.assert_alive()
        with self.subTest(during="pop-up menu"):
            menu = self.open_menu()
            self.restart_shell()
            e2e.wait_for(lambda: self.session.probe("icon-exists"), what="the icon to come back")
            self.session.keys(menu, "Escape")
            self.session.wait_menus_gone(self.exe_name)
            # Only now: the open menu covers the tray cells.
            self.assert_icon_back_once(empty_cell)
            self.assert_alive()
        with self.subTest(afterwards="menu and clicks"):
            self.choose("Mouse configuration")
            e2e.wait_for(lambda: self.session.probe("text", MOUSE_TITLE),
                         what="the mouse configuration window")
            self.close_mouse_window()
            self.single_click()
            self.assert_hand_offs(1)
            self.quit_without_question()


class Security(HostileCase):
    def test_the_shell_gets_exactly_mailto(self):
        self.start_ready(self.new_app_dir())
        self.single_click()
        # The hook logs one line per argument: one argument, and nothing appended to it.
        self.assertEqual([MAILTO], self.session.mail_sentinel())

    def plant(self, folder):
        shutil.copy(_compiles.dll, folder)
        return os.path.join(folder, PLANTED_NAME + MARKER_SUFFIX)

    def test_a_planted_dll_is_not_loaded(self):
        _compiles.wait()
        env = dict(self.session.env)
        env["WINEDLLOVERRIDES"] = NATIVE_FIRST
        app_dir = self.new_app_dir()
        cwd = self.new_dir("cwd-")
        markers = [self.plant(app_dir), self.plant(cwd)]

        with self.subTest(control="a program without the restriction"):
            shutil.copy(_compiles.loader, app_dir)
            loader = os.path.join(app_dir, os.path.basename(_compiles.loader))
            code, loaded = run_to_completion([e2e.WINE, loader, PLANTED_NAME], env, cwd)
            self.assertEqual(0, code)
            # The planted copy beside the loader: the hazard is real in this setup.
            self.assertEqual(hostile.windows_path(os.path.join(app_dir, PLANTED_NAME)).lower(),
                             loaded.lower())
            self.assertTrue(os.path.exists(markers[0]), "the control did not load the copy")
            os.remove(markers[0])

        self.start_ready(app_dir, cwd=cwd, env=env)
        self.single_click()
        self.choose("About")
        about = e2e.wait_for(lambda: [w for w in self.session.win32_windows(title="About Wexla 98")
                                      if w["visible"]], what="the About window")[0]
        self.click_button(about["title"], "OK")
        self.choose("Icon", "Change icon")
        dialog = e2e.wait_for(lambda: self.session.x_windows_named(OPEN_TITLE),
                              what="the Open dialog")[0]
        self.session.keys(dialog, "Escape")
        self.session.wait_no_window(OPEN_TITLE)
        # The dialog works, so the program got the real comdlg32, and from nowhere else.
        self.assert_alive()
        self.assertEqual([], [m for m in markers if os.path.exists(m)],
                         "the planted DLL was loaded")
        self.assert_hand_offs(1)
        self.quit_without_question()


if __name__ == "__main__":
    unittest.main()
