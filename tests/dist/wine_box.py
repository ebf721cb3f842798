"""A private Xvfb display and Wine prefix for the installer tests, and the few things they do
in it: run a Windows program to completion, start one and end it by PID, read the registry,
map Windows paths to the prefix's files.

Environment:
  WEXLA_WINE           Wine loader (default /usr/lib/wine/wine64)
  WEXLA_DIST_DISPLAYS  display numbers to try, "FIRST-LAST" (default 130-159)
"""

import atexit
import os
import shutil
import signal
import subprocess
import tempfile
import time

WINE = os.environ.get("WEXLA_WINE", "/usr/lib/wine/wine64")
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver64"
SCREEN_GEOMETRY = "1024x768x24"
TRAY_WINDOW_NAME = "Wine System Tray"

POLL_INTERVAL = 0.1
DEFAULT_TIMEOUT = 30.0
BOOT_TIMEOUT = 180.0
SETTLE_TIMEOUT = 60.0
# A Wine process shows its Windows path as its command line; Wine's own services run from
# the system folder.
WINDOWS_PATH_START = ("c:\\", "z:\\")
SYSTEM_FOLDER = "c:\\windows\\"
END_GRACE = 3.0
X_TOOL_TIMEOUT = 15.0

_open_boxes = []


class WineError(AssertionError):
    """A wait ran out or a tool failed; an AssertionError so unittest reports a failure."""


def wait_for(predicate, timeout=DEFAULT_TIMEOUT, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise WineError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(POLL_INTERVAL)


def end_process(process):
    """Ends a process this module started, by its PID: SIGTERM, then SIGKILL."""
    if process is None or process.poll() is not None:
        return
    try:
        process.send_signal(signal.SIGTERM)
        process.wait(timeout=END_GRACE)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=END_GRACE)
    except ProcessLookupError:
        pass


def _displays():
    first, _, last = os.environ.get("WEXLA_DIST_DISPLAYS", "130-159").partition("-")
    return range(int(first), int(last or first) + 1)


class WineBox:
    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="wexla-dist-")
        self.prefix = os.path.join(self.dir, "prefix")
        self.xvfb = None
        self.programs = []
        _open_boxes.append(self)
        try:
            self.display = self._start_xvfb()
            self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                            WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=":%d" % self.display)
            self.env.pop("WAYLAND_DISPLAY", None)
            self.run("wineboot", "-i", timeout=BOOT_TIMEOUT)
        except BaseException:
            self.close()
            raise

    def _start_xvfb(self):
        for number in _displays():
            socket = "/tmp/.X11-unix/X%d" % number
            if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists(socket):
                continue
            process = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", SCREEN_GEOMETRY,
                                        "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            # Xvfb exits at once when another one took this number meanwhile.
            try:
                wait_for(lambda: process.poll() is not None or os.path.exists(socket),
                         X_TOOL_TIMEOUT, "Xvfb :%d" % number)
            except WineError:
                end_process(process)
                continue
            if process.poll() is None:
                self.xvfb = process
                return number
        raise WineError("no free X display in %s" % os.environ.get("WEXLA_DIST_DISPLAYS",
                                                                   "130-159"))

    def close(self):
        for process in self.programs:
            end_process(process)
        self.programs = []
        if os.path.isdir(self.prefix):
            env = dict(os.environ, WINEPREFIX=self.prefix)
            for flag in ("-k", "-w"):
                try:
                    subprocess.run([WINESERVER, flag], env=env, timeout=X_TOOL_TIMEOUT,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                except subprocess.TimeoutExpired:
                    pass
        end_process(self.xvfb)
        self.xvfb = None
        shutil.rmtree(self.dir, ignore_errors=True)
        if self in _open_boxes:
            _open_boxes.remove(self)

    # ----- Windows programs -----

    def run(self, *args, timeout=DEFAULT_TIMEOUT):
        """Runs a Windows program to completion; returns (exit code, stdout text). Output goes
        to files: a wineserver it starts would hold pipes open long after it ends."""
        with tempfile.TemporaryFile() as out:
            process = subprocess.Popen([WINE] + [str(a) for a in args], env=self.env,
                                       cwd=self.dir, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=subprocess.DEVNULL)
            try:
                code = process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                end_process(process)
                raise WineError("%s did not finish within %.0f s" % (args[0], timeout))
            out.seek(0)
            return code, out.read().decode("latin-1")

    def settle(self, timeout=SETTLE_TIMEOUT):
        """Waits until no program runs in the prefix any more but Wine's own services, also
        none a finished program left behind (an uninstaller goes on from a copy of itself)."""
        wait_for(lambda: not self.busy_processes(), timeout, "the prefix's programs to end")

    def busy_processes(self):
        """Linux PIDs of this prefix's Windows programs outside the system folder."""
        busy = []
        wanted = ("WINEPREFIX=%s" % self.prefix).encode()
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/environ" % entry, "rb") as environ:
                    if wanted not in environ.read().split(b"\0"):
                        continue
                with open("/proc/%s/cmdline" % entry, "rb") as cmdline:
                    program = cmdline.read().split(b"\0")[0].decode("latin-1").lower()
            except OSError:
                continue  # ended meanwhile, or not ours to read
            if program.startswith(WINDOWS_PATH_START) and not program.startswith(SYSTEM_FOLDER):
                busy.append(int(entry))
        return busy

    def start(self, unix_exe, cwd):
        process = subprocess.Popen([WINE, unix_exe], env=self.env, cwd=cwd,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.programs.append(process)
        return process

    def stop(self, process):
        end_process(process)
        if process in self.programs:
            self.programs.remove(process)

    # ----- registry and paths -----

    def reg_values(self, key):
        """The values of a registry key as {name: (type, data)}, or None without the key."""
        code, out = self.run("reg", "query", key)
        if code != 0:
            return None
        values = {}
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
        return values

    def unix_path(self, windows_path):
        drive, _, rest = windows_path.partition(":")
        return os.path.join(self.prefix, "dosdevices", drive.lower() + ":",
                            rest.lstrip("\\").replace("\\", "/"))

    # ----- X side -----

    def tray_visible(self):
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                 "^%s$" % TRAY_WINDOW_NAME], env=self.env,
                                timeout=X_TOOL_TIMEOUT, capture_output=True, text=True)
        return result.stdout.split()


def _close_open_boxes():
    for box in list(_open_boxes):
        box.close()


def _exit_on_sigterm(signum, frame):
    # ctest ends a test that runs out of time with SIGTERM; a normal exit runs the clean-up.
    raise SystemExit(128 + signum)


atexit.register(_close_open_boxes)
if signal.getsignal(signal.SIGTERM) == signal.SIG_DFL:
    signal.signal(signal.SIGTERM, _exit_on_sigterm)
