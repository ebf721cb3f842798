"""A Session: a private Xvfb display and a copy of one booted Wine prefix, the programs started
in it (tracked by Linux PID), the probe inside it and the mail hand-off log."""

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

# Exit code of a test run that did not run: ctest reports it as "not run", never as passed.
NOT_RUN_EXIT = 77
# Opens the line that tells how a session's 32-bit programs ran; scripts/test.sh collects them.
WAY_LINE = "32-bit program:"
HAND_OFF_KEY = r"HKCU\Software\Wine\WineBrowser"
MAIL_MARKER = "mailto:sentinel-"  # hand-offs of the harness itself, see mail_settled
_live = []


class NotRunnable(SystemExit):
    pass  # this host cannot run the session's architecture: the run ends as not run


def template_prefix():
    # The booted prefix every session copies (well under a second against ~10 s for a boot):
    # $WINEHARNESS_PREFIX, made by `python3 -m wineharness prefix`, or one of our own.
    path = os.environ.get("WINEHARNESS_PREFIX")
    if not path or not os.path.isfile(os.path.join(path, "system.reg")):
        own = tempfile.mkdtemp(prefix="wineharness-template-")
        atexit.register(shutil.rmtree, own, True)
        path = os.environ["WINEHARNESS_PREFIX"] = host.boot_prefix(os.path.join(own, "prefix"))
    return path


def copy_prefix(target):
    subprocess.run(["cp", "-a", template_prefix(), target], check=True,
                   timeout=host.TOOL_TIMEOUT)
    return target


def require(arch):
    """Says how the session's 32-bit programs run, and ends the run as not run where the host
    cannot run arch's programs: never a silent pass."""
    reason = host.arch_unavailable(arch)
    if arch == "i686":
        print("%s %s" % (WAY_LINE, "not run: " + reason if reason else "ran natively"),
              flush=True)
    if reason:
        print("NOT RUN: the %s tests did not run: %s." % (arch, reason), flush=True)
        raise NotRunnable(NOT_RUN_EXIT)


class Program:
    def __init__(self, process, exe_name):
        self.process, self.exe_name = process, exe_name
        self.pid = process.pid

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=host.DEFAULT_TIMEOUT):
        wait_for(lambda: not self.running(), timeout, "%s to exit" % self.exe_name)
        return self.process.returncode


class Session(Shell):
    """Xvfb + prefix copy + a keeper process; a context manager, or call close().

    arch: "x86_64" or "i686" (default $WINEHARNESS_ARCH, else x86_64). probe: probe.exe of
    either architecture (default $WINEHARNESS_PROBE). dpi: the screen's LogPixels (default
    96). desktop: the programs show in Wine's virtual desktop with its taskbar (pictures)."""

    def __init__(self, arch=None, probe=None, dpi=None, desktop=False):
        self.arch = arch or os.environ.get("WINEHARNESS_ARCH", "x86_64")
        self.probe_exe = probe or os.environ.get("WINEHARNESS_PROBE", "")
        if not os.path.isfile(self.probe_exe):
            raise HarnessError("WINEHARNESS_PROBE must name probe.exe (got %r)" % self.probe_exe)
        self.xvfb = self.keeper = self.env = None
        self.programs = []
        _live.append(self)
        self.dir = tempfile.mkdtemp(prefix="wineharness-")
        try:
            require(self.arch)
            self.prefix = copy_prefix(os.path.join(self.dir, "prefix"))
            self.xvfb, self.display = host.start_xvfb(self.dir)
            self.env = host.base_env(self.prefix, self.display)
            if dpi is not None:
                host.set_log_pixels(self.env, dpi)
            if desktop:
                host.use_virtual_desktop(self.env)
            # A program starts in about half the time while another keeps the prefix's
            # Wine session alive.
            self.keeper = self.spawn([host.loader_for(self.probe_exe), self.probe_exe, "keeper"],
                                     "keeper")
            self.log_mail()
        except BaseException:
            self.close()
            raise

    def close(self):
        for program in self.programs:
            host.end_process(program.process)
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

    def spawn(self, argv, name, cwd=None, env=None):
        with open(os.path.join(self.dir, "%s-%d.log" % (name, time.monotonic_ns())), "wb") as log:
            return subprocess.Popen([str(a) for a in argv], env=env or self.env,
                                    cwd=cwd or self.dir, stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT)

    def start(self, exe, cwd=None, env=None):
        """Starts a program of the session's architecture; exe is a Linux or Windows path."""
        name = exe.replace("\\", "/").rsplit("/", 1)[-1]
        program = Program(self.spawn([host.LOADERS[self.arch], exe], name, cwd, env), name)
        self.programs.append(program)
        return program

    def stop(self, program):
        host.end_process(program.process)
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
        code, out = host.run_to_end([loader, *args], self.env, self.dir)
        if check and code != 0:
            raise HarnessError("wine %s failed (%d)" % (" ".join(map(str, args)), code))
        return code, out.decode("latin-1")

    def probe(self, *args):
        """Runs the probe; returns its JSON objects, or None when it found nothing."""
        code, out = host.run_to_end([host.loader_for(self.probe_exe), self.probe_exe, *args],
                                    self.env, self.dir)
        if code not in (0, 1):
            raise HarnessError("probe %s exited %d" % (" ".join(map(str, args)), code))
        return [json.loads(line) for line in out.decode("latin-1").splitlines()] if code == 0 \
            else None

    def reg_values(self, key):
        """A key's values as {name: (type, data)} in the session's view, or None."""
        code, out = self.wine("reg", "query", key,
                              "/reg:32" if self.arch == "i686" else "/reg:64", check=False)
        if code != 0:
            return None
        return {parts[0]: (parts[1], parts[2] if len(parts) > 2 else "")
                for parts in (line.strip().split("    ") for line in out.splitlines())
                if len(parts) >= 2 and parts[1].startswith("REG_")}

    def unix_path(self, windows_path):
        drive, _, rest = windows_path.partition(":")
        return os.path.join(self.prefix, "dosdevices", drive.lower() + ":",
                            rest.lstrip("\\").replace("\\", "/"))

    # ----- mail hand-offs -----

    def log_mail(self):
        # Wine's mail program becomes a script that logs "<epoch seconds> <argument>" per
        # hand-off, the time read by the script itself.
        self.mail_log = os.path.join(self.dir, "mail.log")
        script = os.path.join(self.dir, "mail.sh")
        with open(script, "w") as out:
            out.write('#!/bin/sh\nfor a in "$@"; do printf "%%s %%s\\n" "$(date +%%s.%%N)" "$a"'
                      ' >> "%s"; done\n' % self.mail_log)
        os.chmod(script, 0o755)
        self.wine("reg", "add", HAND_OFF_KEY, "/v", "Mailers", "/d", script, "/f")

    def hand_offs(self):
        """Every logged mail hand-off as (time.time() reading, argument)."""
        try:
            with open(self.mail_log) as log:
                return [(float(t), arg) for t, _, arg in
                        (line.partition(" ") for line in log.read().splitlines())]
        except FileNotFoundError:
            return []

    def reset_mail(self):
        if os.path.exists(self.mail_log):
            os.remove(self.mail_log)

    def wait_mail(self, count):
        # Markers don't count: one logged before a click must not stand in for its hand-off.
        return wait_for(lambda: len([a for _, a in self.hand_offs()
                                     if not a.startswith(MAIL_MARKER)]) >= count,
                        what="%d mail hand-off(s)" % count)

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
