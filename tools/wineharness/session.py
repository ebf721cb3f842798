"""A Session: a private Xvfb display and a copy of one booted Wine prefix, the programs started
in it (tracked by Linux PID), the probe inside it, the mail hand-off logger, the registry, the
screen's DPI and drive letters."""

import atexit
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

from . import host
from .host import HarnessError, wait_for
from .shell import Shell

PROBE_TIMEOUT = 30.0
# Exit code of a test run that did not run: ctest reports it as "not run", never as passed.
NOT_RUN_EXIT = 77
# Opens the line that tells how a session's 32-bit programs ran; scripts/test.sh collects them.
WAY_LINE = "32-bit program:"
# Wine's hand-off of addresses and files to Linux programs: its "Mailers" and "Browsers" values.
HAND_OFF_KEY = r"HKCU\Software\Wine\WineBrowser"
MAIL_MARKER = "mailto:sentinel-"  # hand-offs of the harness itself, see mail_settled
_live = []


class NotRunnable(SystemExit):
    """This host cannot run the session's architecture. A SystemExit, so that raised from a
    module or class fixture it ends the whole run with NOT_RUN_EXIT."""


class _Template:
    """One booted prefix per test run, copied by every session: well under a second against
    ~10 s for a boot. WINEHARNESS_PREFIX names one made beforehand (python -m wineharness)."""

    path = os.environ.get("WINEHARNESS_PREFIX") or None
    _own = None

    @classmethod
    def get(cls):
        if cls.path and os.path.isfile(os.path.join(cls.path, "system.reg")):
            return cls.path
        cls._own = tempfile.mkdtemp(prefix="wineharness-template-")
        atexit.register(shutil.rmtree, cls._own, True)
        cls.path = host.boot_prefix(os.path.join(cls._own, "prefix"))
        return cls.path


class Program:
    """A program started in a session, known by its Linux PID."""

    def __init__(self, process, exe_name):
        self.process = process
        self.exe_name = exe_name

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=host.DEFAULT_TIMEOUT):
        wait_for(lambda: not self.running(), timeout, "%s to exit" % self.exe_name)
        return self.process.returncode

    def end(self):
        host.end_process(self.process)


class Session(Shell):
    """Xvfb + prefix copy + a keeper process; a context manager, or call close().

    arch: "x86_64" or "i686" (default $WINEHARNESS_ARCH, else x86_64), the loader start()
    uses; a host that cannot run it raises NotRunnable. emulation: whether i686 programs may
    run under qemu-i386 where the kernel cannot execute them (default $WINEHARNESS_EMULATION
    is 1). probe: path of probe.exe (default $WINEHARNESS_PROBE). dpi: the screen's LogPixels
    for the session's programs (default 96). desktop: the programs show in Wine's virtual
    desktop with its taskbar, as a Windows user sees them (for pictures); tests use the plain
    tray."""

    def __init__(self, arch=None, probe=None, dpi=None, emulation=None, desktop=False):
        self.arch = arch or os.environ.get("WINEHARNESS_ARCH", "x86_64")
        self.emulation = (os.environ.get("WINEHARNESS_EMULATION") == "1" if emulation is None
                          else emulation)
        self.way = None
        self.probe_exe = probe or os.environ.get("WINEHARNESS_PROBE")
        if not self.probe_exe or not os.path.isfile(self.probe_exe):
            raise HarnessError("WINEHARNESS_PROBE must name probe.exe (got %r)"
                               % self.probe_exe)
        self.xvfb = self.keeper = self.env = None
        self.programs = []
        _live.append(self)
        self.dir = tempfile.mkdtemp(prefix="wineharness-")
        try:
            self._start(dpi, desktop)
        except BaseException:
            self.close()
            raise

    def _start(self, dpi, desktop):
        if self.arch != "i686":
            self._require(host.loader_unavailable(self.arch))
        self.prefix = os.path.join(self.dir, "prefix")
        subprocess.run(["cp", "-a", _Template.get(), self.prefix], check=True,
                       timeout=host.TOOL_TIMEOUT)
        if self.arch == "i686":
            self._find_way()
        else:
            self.way = "native"
        self.xvfb, self.display = host.start_xvfb(self.dir)
        self.env = host.base_env(self.prefix, self.display)
        if dpi is not None:
            host.set_log_pixels(self.env, dpi)
        if desktop:
            host.use_virtual_desktop(self.env)
        self.keeper = self.spawn([host.loader_for(self.probe_exe), self.probe_exe, "keeper"],
                                 "keeper")
        self._install_mailer()

    def _find_way(self):
        """Finds out how the 32-bit programs run here and says so in the test's output: a
        host that cannot execute them natively must never pass them unnoticed."""
        self.way, note = host.i686_way(self.prefix, self.dir, self.emulation)
        if self.way == "native":
            print("%s ran natively (%s)" % (WAY_LINE, host.LOADERS["i686"]), flush=True)
        elif self.way == "emulated":
            print("%s ran emulated (%s on %s): %s" % (WAY_LINE, host.QEMU_I386,
                                                      host.LOADERS["i686"], note), flush=True)
        else:
            print("%s not run: %s" % (WAY_LINE, note), flush=True)
            self._require(note)

    def _require(self, reason):
        if reason:
            print("NOT RUN: the %s tests did not run: %s." % (self.arch, reason), flush=True)
            raise NotRunnable(NOT_RUN_EXIT)

    def close(self):
        for program in self.programs:
            program.end()
        self.programs = []
        host.end_process(self.keeper)
        if self.env:
            host.wineserver(self.env, "-k", "-w")
        host.end_process(self.xvfb)
        if os.environ.get("WINEHARNESS_KEEP") != "1":
            shutil.rmtree(self.dir, ignore_errors=True)
        self.env = self.xvfb = self.keeper = None
        if self in _live:
            _live.remove(self)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # ----- processes -----

    def spawn(self, argv, name, cwd=None, env=None):
        with open(os.path.join(self.dir, "%s-%d.log" % (name, time.monotonic_ns())), "wb") as log:
            return subprocess.Popen([str(a) for a in argv], env=env or self.env,
                                    cwd=cwd or self.dir, stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT)

    def start(self, exe, cwd=None, args=(), env=None):
        """Starts a program of the session's architecture; exe is a Linux or Windows path."""
        name = exe.replace("\\", "/").rsplit("/", 1)[-1]
        program = Program(self.spawn([host.loader(self.arch), exe, *args],
                                     os.path.splitext(name)[0], cwd, env), name)
        self.programs.append(program)
        return program

    def stop(self, program):
        program.end()
        if program in self.programs:
            self.programs.remove(program)

    def prefix_programs(self):
        """Linux PIDs of the prefix's Windows programs outside the system folder, also those
        started by others (a shortcut, an uninstaller going on from a copy of itself)."""
        wanted = ("WINEPREFIX=%s" % self.prefix).encode()
        return [pid for pid, _, variables, program in host.linux_processes()
                if wanted in variables and program[1:3] == ":\\"
                and not program.lower().startswith("c:\\windows\\")]

    def wine(self, *args, check=True, loader=host.TOOLS_LOADER):
        """Runs a Windows command-line program to its end; returns (exit code, output text)."""
        code, out = host.run_to_end([loader, *args], self.env, self.dir, PROBE_TIMEOUT)
        if check and code != 0:
            raise HarnessError("wine %s failed (%d)" % (" ".join(map(str, args)), code))
        return code, out.decode("latin-1")

    def probe(self, *args):
        """Runs the probe; returns its JSON objects, or None when it found nothing."""
        code, out = host.run_to_end([host.loader_for(self.probe_exe), self.probe_exe, *args],
                                    self.env, self.dir, PROBE_TIMEOUT)
        if code == 1:
            return None
        if code != 0:
            raise HarnessError("probe %s exited %d" % (" ".join(map(str, args)), code))
        return [json.loads(line) for line in out.decode("latin-1").splitlines()
                if line.startswith("{")]

    # ----- the registry, DPI and drives -----

    def _view(self):
        # A 32-bit program reads HKLM\SOFTWARE through its own view (Wow6432Node).
        return "/reg:32" if self.arch == "i686" else "/reg:64"

    def reg_set(self, key, name, data, kind="REG_SZ"):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f", self._view())

    def reg_delete(self, key, name):
        """Deletes a value in both views; fails when the session's view still has it."""
        for view in ("/reg:32", "/reg:64"):
            self.wine("reg", "delete", key, "/v", name, "/f", view, check=False)
        if self.wine("reg", "query", key, "/v", name, self._view(), check=False)[0] == 0:
            raise HarnessError("%s\\%s could not be deleted" % (key, name))

    def reg_values(self, key):
        """A key's values as {name: (type, data)} in the session's view, or None."""
        code, out = self.wine("reg", "query", key, self._view(), check=False)
        if code != 0:
            return None
        values = {}
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
        return values

    def map_drive(self, letter, linux_dir):
        """Makes drive letter: show linux_dir, through the prefix's dosdevices link."""
        link = os.path.join(self.prefix, "dosdevices", letter.lower() + ":")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.path.abspath(linux_dir), link)

    def unix_path(self, windows_path):
        drive, _, rest = windows_path.partition(":")
        return os.path.join(self.prefix, "dosdevices", drive.lower() + ":",
                            rest.lstrip("\\").replace("\\", "/"))

    # ----- mail hand-offs -----

    def log_hand_offs(self, value, name):
        """Registers a script as Wine's program of the kind `value` names ("Mailers",
        "Browsers") and returns its log: one line per hand-off, "<epoch seconds> <argument>",
        the time read by the script itself when the hand-off reaches it."""
        log_path = os.path.join(self.dir, name + ".log")
        script = os.path.join(self.dir, name + ".sh")
        with open(script, "w") as out:
            out.write('#!/bin/sh\nfor a in "$@"; do printf "%%s %%s\\n" "$(date +%%s.%%N)" "$a"'
                      ' >> "%s"; done\n' % log_path)
        os.chmod(script, 0o755)
        self.wine("reg", "add", HAND_OFF_KEY, "/v", value, "/d", script, "/f")
        return log_path

    @staticmethod
    def read_hand_offs(log_path):
        """Every hand-off of a log_hand_offs log as (time.time() reading, argument)."""
        try:
            with open(log_path) as log:
                return [(float(t), arg) for t, _, arg in
                        (line.partition(" ") for line in log.read().splitlines())]
        except FileNotFoundError:
            return []

    def _install_mailer(self):
        self.mail_log = self.log_hand_offs("Mailers", "mail")

    def hand_offs(self):
        """Every logged mail hand-off as (time.time() reading, argument)."""
        return self.read_hand_offs(self.mail_log)

    def reset_mail(self):
        if os.path.exists(self.mail_log):
            os.remove(self.mail_log)

    def program_hand_offs(self):
        """The logged arguments, without the markers of mail_settled."""
        return [arg for _, arg in self.hand_offs() if not arg.startswith(MAIL_MARKER)]

    def wait_mail(self, count, timeout=host.DEFAULT_TIMEOUT):
        # Markers don't count: one logged before a click must not stand in for its hand-off.
        return wait_for(lambda: len(self.program_hand_offs()) >= count, timeout,
                        "%d mail hand-off(s)" % count)

    def mail_settled(self):
        """The arguments handed off so far, proven complete: a marked hand-off through the same
        path comes back only after anything handed off earlier was logged."""
        marker = "%s%d" % (MAIL_MARKER, time.monotonic_ns())
        self.wine("winebrowser", marker)
        args = wait_for(lambda: (lambda a: a if marker in a else None)(
            [arg for _, arg in self.hand_offs()]), what="the marked hand-off")
        return [a for a in args[:args.index(marker)] if not a.startswith(MAIL_MARKER)]


def _close_leftovers():
    for session in list(_live):
        session.close()


def _exit_on_sigterm(signum, frame):
    # ctest ends a test that runs out of time with SIGTERM; exiting normally runs the clean-up.
    raise SystemExit(128 + signum)


atexit.register(_close_leftovers)
if signal.getsignal(signal.SIGTERM) == signal.SIG_DFL:
    signal.signal(signal.SIGTERM, _exit_on_sigterm)
