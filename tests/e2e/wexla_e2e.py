"""End-to-end harness: a private Xvfb display and Wine prefix per session, and the means to
drive a tray program in it (tray clicks, menus, message boxes) and observe what it does (mail
hand-offs, Win32 texts through the probe helper, tray pixels).

Every wait polls with a timeout. Everything a session starts is ended by PID, also when a test
fails or the interpreter exits early.

Environment:
  WEXLA_PROBE         path of wexla_probe.exe (required)
  WEXLA_WINE          Wine loader (default /usr/lib/wine/wine64)
  WEXLA_E2E_DISPLAYS  display numbers to try, "FIRST-LAST" (default 70-99)
  WEXLA_E2E_TMPDIR    where sessions make their temporary folders (default: system temp)
  WEXLA_E2E_KEEP      "1" keeps the temporary folders for a post-mortem
"""

import atexit
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

WINE = os.environ.get("WEXLA_WINE", "/usr/lib/wine/wine64")
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver64"

TRAY_WINDOW_NAME = "Wine System Tray"
# Wine's own tray window lays icons out in NIM_ADD order, one cell each.
TRAY_CELL = 20
SCREEN_GEOMETRY = "1024x768x24"
# Far from the tray (top left) and from where menus and message boxes open.
PARKING_POINT = (1000, 700)

# Tray callback events (lParam) as the shell delivers them.
WM_MOUSEMOVE = 0x200
WM_LBUTTONDOWN = 0x201
WM_LBUTTONUP = 0x202
WM_LBUTTONDBLCLK = 0x203
WM_RBUTTONDOWN = 0x204
WM_RBUTTONUP = 0x205

X_LEFT_BUTTON = 1
X_RIGHT_BUTTON = 3
# Wine's double-click detection needs both clicks within GetDoubleClickTime (500 ms).
DOUBLE_CLICK_DELAY_MS = 80
# Two separate clicks must be further apart than that, or the shell reports a double click.
DOUBLE_CLICK_TIME_S = 0.5
SEPARATE_CLICK_GAP_S = DOUBLE_CLICK_TIME_S + 0.3

DEFAULT_TIMEOUT = 20.0
POLL_INTERVAL = 0.1
NUDGE_INTERVAL = 0.3
NUDGE_OFFSET = 2
PREFIX_TIMEOUT = 180.0
PROBE_TIMEOUT = 30.0
X_TOOL_TIMEOUT = 15.0

_live_sessions = []


class HarnessError(AssertionError):
    """A wait ran out or a tool failed; an AssertionError so unittest reports a failure."""


def wait_for(predicate, timeout=DEFAULT_TIMEOUT, what="condition", interval=POLL_INTERVAL):
    """Polls predicate until it returns something truthy and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def _display_range():
    text = os.environ.get("WEXLA_E2E_DISPLAYS", "70-99")
    first, _, last = text.partition("-")
    return range(int(first), int(last or first) + 1)


def _temp_root():
    root = os.environ.get("WEXLA_E2E_TMPDIR") or tempfile.gettempdir()
    os.makedirs(root, exist_ok=True)
    return root


def _base_env():
    env = dict(os.environ)
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    # The host's own display or session bus must never leak into a test.
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    return env


def _end_process(process, grace=3.0):
    """Ends one process we started, by its PID: SIGTERM, then SIGKILL."""
    if process is None or process.poll() is not None:
        return
    try:
        process.send_signal(signal.SIGTERM)
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=grace)
    except ProcessLookupError:
        pass


def _wineserver(env, flag, timeout=PREFIX_TIMEOUT):
    subprocess.run([WINESERVER, flag], env=env, timeout=timeout,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def _run_to_files(argv, env, cwd, timeout):
    """Runs a Wine tool to completion. Its output goes to files, not pipes: a wineserver it
    happens to launch inherits them and would hold a pipe open long after the tool ends."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            _end_process(process)
            raise HarnessError("%s did not finish within %.0f s" % (" ".join(argv), timeout))
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()


class _PrefixTemplate:
    """One booted prefix per test run; sessions copy it, which costs well under a second
    against ~10 s for a boot."""

    path = None
    seconds = None
    _root = None

    @classmethod
    def get(cls):
        if cls.path is None:
            started = time.monotonic()
            cls._root = tempfile.mkdtemp(prefix="wexla-e2e-template-", dir=_temp_root())
            path = os.path.join(cls._root, "prefix")
            env = _base_env()
            env["WINEPREFIX"] = path
            # No display: booting needs none, and a template must not depend on one.
            env.pop("DISPLAY", None)
            try:
                subprocess.run([WINE, "wineboot", "-i"], env=env, timeout=PREFIX_TIMEOUT,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            finally:
                _wineserver(env, "-w")
            cls.path = path
            cls.seconds = time.monotonic() - started
            atexit.register(cls.remove)
        return cls.path

    @classmethod
    def remove(cls):
        if cls._root and os.environ.get("WEXLA_E2E_KEEP") != "1":
            shutil.rmtree(cls._root, ignore_errors=True)
        cls._root = cls.path = None


class Program:
    """A program started in a session, known by its Linux PID."""

    def __init__(self, session, process, exe_name):
        self.session = session
        self.process = process
        self.exe_name = exe_name

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        wait_for(lambda: not self.running(), timeout, "%s to exit" % self.exe_name)
        return self.process.returncode

    def end(self):
        _end_process(self.process)


class Session:
    """Xvfb + Wine prefix + keeper. Use as a context manager or call close()."""

    def __init__(self, probe=None):
        self.probe_exe = probe or os.environ.get("WEXLA_PROBE")
        if not self.probe_exe or not os.path.isfile(self.probe_exe):
            raise HarnessError("WEXLA_PROBE must name wexla_probe.exe (got %r)" % self.probe_exe)
        self.xvfb = None
        self.keeper = None
        self.programs = []
        self.display = None
        self.dir = None
        self.prefix = None
        self.env = None
        self.mail_log = None
        self.timings = {}
        self._sentinels = 0
        _live_sessions.append(self)
        try:
            self._start()
        except BaseException:
            self.close()
            raise

    # ----- life cycle -----

    def _start(self):
        started = time.monotonic()
        template = _PrefixTemplate.get()
        self.timings["template"] = _PrefixTemplate.seconds
        self.dir = tempfile.mkdtemp(prefix="wexla-e2e-", dir=_temp_root())
        self.prefix = os.path.join(self.dir, "prefix")
        copied = time.monotonic()
        subprocess.run(["cp", "-a", template, self.prefix], check=True, timeout=PREFIX_TIMEOUT)
        self.timings["copy"] = time.monotonic() - copied
        self._start_xvfb()
        self.env = _base_env()
        self.env["WINEPREFIX"] = self.prefix
        self.env["DISPLAY"] = ":%d" % self.display
        self.keeper = self._spawn([WINE, self.probe_exe, "keeper"], "keeper")
        self._install_mail_hook()
        self.timings["session"] = time.monotonic() - started

    def _start_xvfb(self):
        for number in _display_range():
            if os.path.exists("/tmp/.X%d-lock" % number) or \
                    os.path.exists("/tmp/.X11-unix/X%d" % number):
                continue
            log = open(os.path.join(self.dir, "xvfb-%d.log" % number), "wb")
            process = subprocess.Popen(
                ["Xvfb", ":%d" % number, "-screen", "0", SCREEN_GEOMETRY, "-nolisten", "tcp",
                 "-noreset"], stdout=log, stderr=subprocess.STDOUT)
            log.close()
            socket = "/tmp/.X11-unix/X%d" % number
            try:
                # Xvfb exits at once when another server won the race for this number.
                wait_for(lambda: process.poll() is not None or os.path.exists(socket),
                         X_TOOL_TIMEOUT, "Xvfb :%d" % number)
            except HarnessError:
                _end_process(process)
                continue
            if process.poll() is None:
                self.xvfb = process
                self.display = number
                return
        raise HarnessError("no free X display in %s" % os.environ.get("WEXLA_E2E_DISPLAYS",
                                                                      "70-99"))

    def _install_mail_hook(self):
        self.mail_log = os.path.join(self.dir, "mail.log")
        hook = os.path.join(self.dir, "mailer.sh")
        with open(hook, "w") as script:
            script.write('#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a" >> "%s"; done\n'
                         % self.mail_log)
        os.chmod(hook, 0o755)
        self.wine("reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Mailers", "/d", hook,
                  "/f")

    def close(self):
        for program in self.programs:
            program.end()
        self.programs = []
        _end_process(self.keeper)
        self.keeper = None
        if self.env:
            try:
                _wineserver(self.env, "-k", X_TOOL_TIMEOUT)
                _wineserver(self.env, "-w", X_TOOL_TIMEOUT)
            except subprocess.TimeoutExpired:
                pass
        _end_process(self.xvfb)
        self.xvfb = None
        if self.dir and os.environ.get("WEXLA_E2E_KEEP") != "1":
            shutil.rmtree(self.dir, ignore_errors=True)
        self.dir = None
        self.env = None
        if self in _live_sessions:
            _live_sessions.remove(self)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # ----- processes -----

    def _spawn(self, argv, name, cwd=None):
        log = open(os.path.join(self.dir, "%s-%d.log" % (name, time.monotonic_ns())), "wb")
        try:
            return subprocess.Popen(argv, env=self.env, cwd=cwd or self.dir,
                                    stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT)
        finally:
            log.close()

    def wine(self, *args, timeout=PROBE_TIMEOUT, check=True):
        """Runs a Wine command-line tool (reg, ...) to completion."""
        code, out, err = _run_to_files([WINE] + list(args), self.env, self.dir, timeout)
        if check and code != 0:
            raise HarnessError("wine %s failed (%d): %s" % (" ".join(args), code,
                                                             err.decode(errors="replace")))
        return code, out

    def start(self, exe, cwd=None, args=()):
        exe_name = os.path.basename(exe)
        process = self._spawn([WINE, exe] + list(args), os.path.splitext(exe_name)[0], cwd)
        program = Program(self, process, exe_name)
        self.programs.append(program)
        return program

    def stop(self, program):
        program.end()
        if program in self.programs:
            self.programs.remove(program)

    def probe_run(self, *args, timeout=PROBE_TIMEOUT):
        """Runs the probe; returns (exit code, list of JSON objects)."""
        code, out, _ = _run_to_files([WINE, self.probe_exe] + [str(a) for a in args], self.env,
                                     self.dir, timeout)
        objects = []
        for line in out.decode("latin-1").splitlines():
            line = line.strip()
            if line.startswith("{"):
                objects.append(json.loads(line))
        return code, objects

    def probe(self, *args, timeout=PROBE_TIMEOUT):
        """Runs the probe; returns its objects, or None when it found nothing."""
        code, objects = self.probe_run(*args, timeout=timeout)
        if code == 1:
            return None
        if code != 0:
            raise HarnessError("probe %s exited %d" % (" ".join(map(str, args)), code))
        return objects

    def win32_windows(self, class_name=None, title=None):
        windows = self.probe("windows") or []
        return [w for w in windows
                if (class_name is None or w["class"] == class_name)
                and (title is None or w["title"] == title)]

    def wait_window_class(self, class_name, timeout=DEFAULT_TIMEOUT):
        return wait_for(lambda: self.win32_windows(class_name), timeout,
                        "a window of class %s" % class_name)[0]

    # ----- X side -----

    def xdotool(self, *args, check=True):
        try:
            result = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                                    timeout=X_TOOL_TIMEOUT, capture_output=True, text=True)
        except subprocess.TimeoutExpired:
            raise HarnessError("xdotool %s hung" % " ".join(map(str, args)))
        if check and result.returncode != 0:
            raise HarnessError("xdotool %s failed: %s" % (" ".join(map(str, args)),
                                                          result.stderr.strip()))
        return result.stdout

    def search(self, *criteria):
        """Visible X windows matching xdotool search criteria, as ids."""
        out = self.xdotool("search", "--onlyvisible", *criteria, check=False)
        return [int(word) for word in out.split()]

    def window_name(self, window):
        return self.xdotool("getwindowname", window, check=False).rstrip("\n")

    def window_geometry(self, window):
        """(x, y, width, height) of an X window; with no window manager this is its client
        area."""
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def tray_window(self):
        found = self.search("--name", "^%s$" % TRAY_WINDOW_NAME)
        return found[0] if found else None

    def wait_tray(self, timeout=DEFAULT_TIMEOUT):
        return wait_for(self.tray_window, timeout, "the tray window to show")

    def wait_tray_gone(self, timeout=DEFAULT_TIMEOUT):
        wait_for(lambda: self.tray_window() is None, timeout, "the tray window to go")

    def clear_tray(self, timeout=DEFAULT_TIMEOUT):
        """Waits until the tray is empty after its programs ended. Wine drops the icon of a
        killed program only when it next tries to tell the dead window about the mouse, so the
        pointer passes over the tray until the tray window is unmapped."""
        def nudged_and_gone():
            tray = self.tray_window()
            if tray is None:
                self.move_away()
                return True
            self._nudge = not getattr(self, "_nudge", False)
            offset = NUDGE_OFFSET if self._nudge else -NUDGE_OFFSET
            self.xdotool("mousemove", "--window", tray, TRAY_CELL // 2 + offset,
                         TRAY_CELL // 2 + offset, check=False)
            return False
        wait_for(nudged_and_gone, timeout, "the tray to empty", interval=NUDGE_INTERVAL)

    def move_away(self):
        """Parks the pointer where nothing of ours lives, which also ends any hover."""
        # No --sync on pointer moves: xdotool would wait forever when the pointer is already
        # there. The X server handles our requests in order, so a later click lands right.
        self.xdotool("mousemove", *PARKING_POINT)

    def click_tray(self, icon=1, button=X_LEFT_BUTTON, double=False):
        tray = self.wait_tray()
        x = TRAY_CELL * (icon - 1) + TRAY_CELL // 2
        y = TRAY_CELL // 2
        self.xdotool("mousemove", "--window", tray, x, y)
        if double:
            self.xdotool("click", "--repeat", 2, "--delay", DOUBLE_CLICK_DELAY_MS, button)
        else:
            self.xdotool("click", button)

    def hover_tray(self, icon=1):
        tray = self.wait_tray()
        x = TRAY_CELL * (icon - 1) + TRAY_CELL // 2
        # Two small moves: Wine's tooltip timer starts on motion inside the icon.
        self.xdotool("mousemove", "--window", tray, x - 2, TRAY_CELL // 2 - 2)
        self.xdotool("mousemove", "--window", tray, x, TRAY_CELL // 2)

    def tray_pixels(self, icon=1):
        """Raw RGB bytes of one tray cell."""
        tray = self.wait_tray()
        crop = "%dx%d+%d+0" % (TRAY_CELL, TRAY_CELL, TRAY_CELL * (icon - 1))
        result = subprocess.run(["import", "-window", str(tray), "-crop", crop, "+repage",
                                 "-depth", "8", "rgb:-"], env=self.env, timeout=X_TOOL_TIMEOUT,
                                capture_output=True)
        if result.returncode != 0:
            raise HarnessError("import failed: %s" % result.stderr.decode(errors="replace"))
        return result.stdout

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, timeout=X_TOOL_TIMEOUT,
                       check=False)

    def menus(self, exe_name):
        """Open pop-up menus of a program: its visible X windows with an empty name, in the
        order X lists them (the menu first, then open submenus)."""
        return [w for w in self.search("--classname", "^%s$" % exe_name)
                if self.window_name(w) == ""] or \
               [w for w in self.search("--class", "^%s$" % exe_name)
                if self.window_name(w) == ""]

    def wait_menus(self, exe_name, count=1, timeout=DEFAULT_TIMEOUT):
        return wait_for(lambda: (lambda m: m if len(m) >= count else None)(self.menus(exe_name)),
                        timeout, "%d menu window(s) of %s" % (count, exe_name))

    def wait_menus_gone(self, exe_name, timeout=DEFAULT_TIMEOUT):
        wait_for(lambda: not self.menus(exe_name), timeout, "the menu of %s to close" % exe_name)

    def keys(self, window, *keys):
        """Types keys into a window (a menu, a message box). X focus moves there first and
        the keys go through XTEST like a person's: `key --window` fails whenever X focus is
        PointerRoot, which it is after a menu closes."""
        for key in keys:
            self.xdotool("windowfocus", window)
            self.xdotool("key", key)

    def menu_keys(self, exe_name, *keys):
        """Types keys into the innermost open menu of a program. Each key goes to the menu
        that is open at that moment: Right opens a submenu, Escape closes one."""
        for key in keys:
            menus = self.menus(exe_name)
            if not menus:
                raise HarnessError("no menu of %s open for key %s" % (exe_name, key))
            self.keys(max(menus), key)

    def close_menus(self, exe_name, timeout=DEFAULT_TIMEOUT):
        """Escapes out of any open menu; a menu left open when its program dies can keep
        Wine's tray from delivering later clicks."""
        def escaped():
            menus = self.menus(exe_name)
            if menus:
                self.xdotool("windowfocus", max(menus), check=False)
                self.xdotool("key", "Escape", check=False)
            return not menus
        wait_for(escaped, timeout, "the menus of %s to close" % exe_name,
                 interval=NUDGE_INTERVAL)

    def x_windows_named(self, name):
        return self.search("--name", "^%s$" % name)

    # ----- Win32 texts through the probe -----

    def message_box(self, caption, timeout=DEFAULT_TIMEOUT):
        """Waits for a visible window with this caption; returns the probe's text objects
        (the window first, then its children)."""
        return wait_for(lambda: self.probe("text", caption), timeout,
                        "a window captioned %r" % caption)

    def message_text(self, caption, timeout=DEFAULT_TIMEOUT):
        """The static text of a message box (the longest non-button child text)."""
        objects = self.message_box(caption, timeout)
        texts = [o["text"] for o in objects[1:] if o.get("class", "").lower() != "button"]
        return max(texts, key=len) if texts else ""

    def click_button(self, caption, button):
        if self.probe("click", caption, button) is None:
            raise HarnessError("no button %r in a window captioned %r" % (button, caption))

    def wait_no_window(self, caption, timeout=DEFAULT_TIMEOUT):
        wait_for(lambda: self.probe("text", caption) is None, timeout,
                 "the window captioned %r to close" % caption)

    def tooltip_texts(self):
        return [o["text"] for o in (self.probe("tooltip") or [])]

    # ----- mail hand-off -----

    def mail_lines(self):
        try:
            with open(self.mail_log) as log:
                return log.read().splitlines()
        except FileNotFoundError:
            return []

    def mail_sentinel(self):
        """Hands off a marked address through the same mail hook and returns the hand-offs
        logged before it. winebrowser returns only after the hook has run, so anything a
        program handed off earlier is in the log by then."""
        self._sentinels += 1
        marker = "mailto:sentinel-%d" % self._sentinels
        self.wine("winebrowser", marker)
        lines = wait_for(lambda: (lambda l: l if marker in l else None)(self.mail_lines()),
                         what="the sentinel hand-off")
        return [line for line in lines[:lines.index(marker)]
                if not line.startswith("mailto:sentinel-")]

    def reset_mail(self):
        try:
            os.remove(self.mail_log)
        except FileNotFoundError:
            pass

    def wait_mail(self, count, timeout=DEFAULT_TIMEOUT):
        """Waits until the mail hook has logged at least count arguments; returns them."""
        return wait_for(lambda: (lambda lines: lines if len(lines) >= count else None)(
            self.mail_lines()), timeout, "%d mail hand-off(s)" % count)


def _close_leftovers():
    for session in list(_live_sessions):
        session.close()


def _exit_on_sigterm(signum, frame):
    # ctest ends a test that runs out of time with SIGTERM; exiting normally runs the atexit
    # clean-up, so no Xvfb or wineserver outlives the run.
    raise SystemExit(128 + signum)


atexit.register(_close_leftovers)
if signal.getsignal(signal.SIGTERM) == signal.SIG_DFL:
    signal.signal(signal.SIGTERM, _exit_on_sigterm)
