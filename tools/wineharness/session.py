"""A Session: a private Xvfb display, a copy of one booted Wine prefix, the programs started in
it (by Linux PID), the probe and the mail hand-off log; and the shell there driven as a person
drives it: Wine's tray, pop-up menus, X windows, keys and pixels."""

import atexit
import contextlib
import ctypes
import itertools
import json
import os
import pathlib
import select
import shutil
import signal
import subprocess
import tempfile
import time

LOADERS = {"x86_64": "/usr/lib/wine/wine64", "i686": "/usr/lib/wine/wine"}
# Wine's own tools (reg, wineboot, winebrowser) are 64-bit in any session.
TOOLS_LOADER = LOADERS["x86_64"]
WINESERVER = "/usr/lib/wine/wineserver"
WINE_FONTS = "/usr/share/wine/fonts"  # the fonts-wine package
# Where a PE file's header starts is stored at 0x3C; the header names the machine, and its
# subsystem is 0x5C bytes into it in PE32 and PE32+ alike.
PE_OFFSET_AT, SUBSYSTEM_AT, I386_MACHINE = 0x3C, 0x5C, b"\x4c\x01"
SCREEN_GEOMETRY = "1024x768x24"
# Wine 8 draws a taskbar with its notification area in a virtual desktop of this name only.
DESKTOP, DESKTOP_SIZE = "shell", SCREEN_GEOMETRY.rsplit("x", 1)[0]
EXPLORER_KEY = r"HKCU\Software\Wine\Explorer"
# Only how long a failing wait lasts: on two CPUs shared with compilers, a menu once took over
# 20 s to show after its click.
DEFAULT_TIMEOUT = 45.0
POLL_INTERVAL = 0.1
END_GRACE = 3.0
TOOL_TIMEOUT = 60.0
BOOT_TIMEOUT = 180.0
# Exit code of a test run that did not run: ctest reports it as "not run", never as passed.
NOT_RUN_EXIT = 77
# Opens the line that tells how a session's 32-bit programs ran; scripts/test.sh collects them.
WAY_LINE = "32-bit program:"
HAND_OFF_KEY = r"HKCU\Software\Wine\WineBrowser"
MAIL_MARKER = "mailto:sentinel-"  # hand-offs of the harness itself, see mail_settled

TRAY_NAME = "Wine System Tray"
# Wine's virtual desktop is an X window named "<desktop name> - Wine desktop".
DESKTOP_NAME_END = " - Wine desktop$"
# Wine's own tray lays icons out in NIM_ADD order, one square cell each, as high as the tray.
TRAY_CELL = 20
TOOLTIP_CLASS = "tooltips_class32"
X_LEFT, X_RIGHT = 1, 3
# Both clicks of a double click within GetDoubleClickTime (500 ms); separate ones further apart.
DOUBLE_CLICK_DELAY_MS = 80
SEPARATE_CLICK_GAP_S = 0.8
# Far from the tray (top left) and from where menus and message boxes open.
PARKING_POINT = (1000, 700)
NUDGE_INTERVAL = 0.3
NUDGE_OFFSET = 2
RGB_BYTES = 3
_live = []
# Debian's Wine has no preloader to hold the addresses Wine needs: the kernel puts a program's
# heap anywhere in the GiB above it (the loader sits at 0x7d000000), now and then over the
# shared user data page at 0x7ffe0000, and that start fails ("failed to map the shared user
# data", exit code 1). Every process started from here gets its heap right after its program.
ADDR_NO_RANDOMIZE, QUERY_PERSONALITY = 0x0040000, 0xFFFFFFFF
_libc = ctypes.CDLL(None)
_libc.personality(_libc.personality(QUERY_PERSONALITY) | ADDR_NO_RANDOMIZE)


class HarnessError(AssertionError):  # so that unittest reports a failure
    pass


class NotRunnable(SystemExit):
    pass  # this host cannot run the session's architecture: the run ends as not run


def wait_for(predicate, timeout=DEFAULT_TIMEOUT, what="condition", interval=POLL_INTERVAL):
    """Polls predicate until it returns something truthy, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def end_process(process):  # SIGTERM, then SIGKILL
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=END_GRACE)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=END_GRACE)


def prefix_processes(prefix, sid=None):  # (PID, program) of a prefix's or a session's
    wanted = ("WINEPREFIX=" + prefix).encode()
    for entry in filter(str.isdigit, os.listdir("/proc")):
        proc = pathlib.Path("/proc", entry)
        try:
            in_sid = int((proc / "stat").read_text().rsplit(")", 1)[1].split()[3])
            variables = (proc / "environ").read_bytes().split(b"\0")
            program = (proc / "cmdline").read_bytes().split(b"\0")[0].decode("latin-1")
        except (OSError, IndexError, ValueError):
            continue  # ended meanwhile
        if in_sid == sid or wanted in variables:
            yield int(entry), program


def run_to_end(argv, env, cwd=None, timeout=TOOL_TIMEOUT):
    """(exit code, stdout bytes, stderr text). Output goes through files: a wineserver the
    program happens to start would hold a pipe open long after it ends."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:  # a program that runs out of time is killed
            code = subprocess.run([str(a) for a in argv], env=env, cwd=cwd, timeout=timeout,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=err).returncode
        except subprocess.TimeoutExpired:
            raise HarnessError("%s did not finish within %.0f s" % (argv[0], timeout))
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read().decode("latin-1")


def base_env(prefix, display=None):
    # The host's own desktop must never leak into a test.
    env = {name: value for name, value in os.environ.items()
           if name not in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY")}
    # Wine's loader tells why it could not start a process (exit code 1) only on this channel.
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all,err+virtual", WINEDLLOVERRIDES="mscoree,mshtml=")
    return env if display is None else dict(env, DISPLAY=":%d" % display)


def wineserver(env, *flags):
    for flag in flags:
        # A hung server is killed with the prefix's processes by the caller.
        with contextlib.suppress(subprocess.TimeoutExpired):
            subprocess.run([WINESERVER, flag], env=env, timeout=TOOL_TIMEOUT,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def link_ui_fonts(prefix):
    """Gives the prefix Wine's stand-ins for the Windows UI fonts: Debian's Wine does not look
    in the fonts-wine folder by itself, and a wider Linux font makes texts overflow."""
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for name in os.listdir(WINE_FONTS) if os.path.isdir(WINE_FONTS) else ():
        if not os.path.lexists(os.path.join(fonts, name)):
            os.symlink(os.path.join(WINE_FONTS, name), os.path.join(fonts, name))


def boot_prefix(path):
    env = base_env(path)
    try:
        code, _, _ = run_to_end([TOOLS_LOADER, "wineboot", "-i"], env, timeout=BOOT_TIMEOUT)
    finally:
        wineserver(env, "-w")
    if code != 0:
        raise HarnessError("wineboot failed (%d) for %s" % (code, path))
    link_ui_fonts(path)
    return path


def pe_kind(data):
    """(machine, subsystem) of a PE file's bytes."""
    at = int.from_bytes(data[PE_OFFSET_AT:PE_OFFSET_AT + 4], "little")
    return data[at + 4:at + 6], data[at + SUBSYSTEM_AT]


def arch_unavailable(arch):
    """None when this kernel runs arch's Wine loader (a 32-bit program for i686), else why."""
    try:
        subprocess.run([LOADERS[arch], "--version"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=TOOL_TIMEOUT)
    except OSError as error:  # no loader (Debian: wine32:i386, wine64), or one it cannot run
        return "this kernel runs no %s programs (%s: %s)" % (
            "32-bit" if arch == "i686" else arch, LOADERS[arch], error.strerror)
    return None


def count_colour(rgb_bytes, colour):
    wanted = bytes(colour)
    return sum(1 for i in range(0, len(rgb_bytes), RGB_BYTES)
               if rgb_bytes[i:i + RGB_BYTES] == wanted)


class Program(subprocess.Popen):
    """A started program; exe_name is its file's name."""

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        wait_for(lambda: self.poll() is not None, timeout, "%s to exit" % self.exe_name)
        return self.returncode


class Shell:
    """The shell on a display: needs self.env (DISPLAY among it) and, for what only a Win32
    process sees, self.probe."""

    def __init__(self, env=None):
        self.env = env

    def xdotool(self, *args, check=True):
        argv = ["xdotool", *map(str, args)]
        try:
            result = subprocess.run(argv, env=self.env, timeout=TOOL_TIMEOUT,
                                    capture_output=True, text=True)
        except subprocess.TimeoutExpired:
            raise HarnessError("%s hung" % " ".join(argv))
        if check and result.returncode != 0:
            raise HarnessError("%s failed: %s" % (" ".join(argv), result.stderr.strip()))
        return result.stdout

    def search(self, *criteria):
        return [int(w) for w in self.xdotool("search", "--onlyvisible", *criteria,
                                             check=False).split()]

    def name(self, window):
        return self.xdotool("getwindowname", window, check=False).strip()

    def geometry(self, window):  # with no window manager, the client area
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def pixels(self, window, crop=None):  # RGB bytes of a window, or of a "WxH+X+Y" part
        argv = ["import", "-window", str(window)] + (["-crop", crop, "+repage"] if crop else [])
        return subprocess.run(argv + ["-depth", "8", "rgb:-"], env=self.env, timeout=TOOL_TIMEOUT,
                              capture_output=True, check=True).stdout

    def keys(self, window, *keys):
        """Through XTEST, as a person types: `key --window` is lost while focus is elsewhere."""
        for key in keys:
            self.xdotool("windowfocus", "--sync", window)
            self.xdotool("key", key)

    def move_away(self):
        # No --sync: xdotool would wait forever when the pointer is already there.
        self.xdotool("mousemove", *PARKING_POINT)

    # ----- the tray -----

    def tray_window(self):
        """Wine's tray window, shown while it holds icons, or a virtual desktop's taskbar."""
        found = self.search("--name", "^%s$" % TRAY_NAME)
        if found:
            return found[0]
        for desktop in self.search("--name", DESKTOP_NAME_END):
            width = self.geometry(desktop)[2]
            for window in self.search("--classname", "^explorer\\.exe$"):
                if (window != desktop and self.geometry(window)[2] == width
                        and not self.name(window) and self.icon_shown(window)):
                    return window
        return None

    def wait_tray(self):
        return wait_for(self.tray_window, what="the tray window to show")

    def wait_tray_empty(self):
        # Wine unmaps its tray ~2 s after its last icon went; a new icon before that is hidden.
        wait_for(lambda: self.tray_window() is None, what="the tray window to go")

    def _cell(self, tray, icon):
        """(left edge, size) of the cell of the icon-th icon added: Wine's tray lays them out
        from its left end, the taskbar from its right end."""
        _, _, width, cell = self.geometry(tray)
        return (cell * (icon - 1) if self.name(tray) == TRAY_NAME else width - cell * icon), cell

    def tray_pixels(self, icon=1, tray=None):
        tray = tray or self.wait_tray()
        left, cell = self._cell(tray, icon)
        return self.pixels(tray, "%dx%d+%d+0" % (cell, cell, left))

    def icon_shown(self, tray=None):
        """Whether the first icon has been drawn: its cell holds more than one colour."""
        tray = tray or self.tray_window()
        rgb = tray and self.tray_pixels(1, tray)
        return bool(rgb) and len({rgb[i:i + RGB_BYTES] for i in range(0, len(rgb), RGB_BYTES)}) > 1

    def click_tray(self, button=X_LEFT, double=False, offset=0):
        """Clicks the first icon added; with no button only points at it."""
        tray = self.wait_tray()
        left, cell = self._cell(tray, 1)
        # Nothing keeps the tray on top; a later window may cover it.
        self.xdotool("windowraise", tray, check=False)
        self.xdotool("mousemove", "--window", tray, left + cell // 2 + offset,
                     cell // 2 + offset)
        if button:
            self.xdotool("click", *(["--repeat", 2, "--delay", DOUBLE_CLICK_DELAY_MS] if double
                                    else []), button)

    def clear_tray(self):
        """Waits until the tray went after its programs ended. Wine drops a killed program's
        icon only when it next tells its window about the mouse: the pointer passes over it."""
        nudges = itertools.cycle((-NUDGE_OFFSET, NUDGE_OFFSET))

        def gone():
            tray = self.tray_window()
            if tray is not None:
                point = TRAY_CELL // 2 + next(nudges)
                self.xdotool("mousemove", "--window", tray, point, point, check=False)
            return tray is None
        wait_for(gone, what="the tray to empty", interval=NUDGE_INTERVAL)
        self.move_away()

    # ----- pop-up menus -----

    def menus(self, exe_name):
        """A program's open pop-up menus (its unnamed X windows), submenus after the menu."""
        return [w for w in self.search("--classname", "^%s$" % exe_name) if not self.name(w)]

    def wait_menus(self, exe_name):
        return wait_for(lambda: self.menus(exe_name), what="the menu of %s" % exe_name)

    def wait_menus_gone(self, exe_name):
        wait_for(lambda: not self.menus(exe_name), what="the menus of %s to close" % exe_name)

    def menu_keys(self, exe_name, *keys):
        """Into the innermost open menu; they reach it only if its program took the foreground."""
        for key in keys:
            self.keys(max(self.wait_menus(exe_name)), key)

    # ----- windows -----

    def windows(self, **wanted):
        """Top-level Win32 windows with the wanted values, as the probe lists them."""
        return [w for w in self.probe("windows") or []
                if all(w[key] == value for key, value in wanted.items())]

    def tooltips(self):
        return [w["title"] for w in self.windows(cls=TOOLTIP_CLASS, visible=True)]

    def texts(self, title):  # of the controls of the visible windows with this title
        return [text for w in self.windows(title=title, visible=True) for text in w["texts"]]

    def x_windows(self, linux_pid, title):  # not the shell's tooltip of the same name
        return self.search("--all", "--pid", linux_pid, "--name", "^%s$" % title)

    def x_window(self, linux_pid, title):
        return wait_for(lambda: (self.x_windows(linux_pid, title) or [None])[-1],
                        what="the X window %r" % title)


class Session(Shell):
    """Xvfb + prefix copy + a keeper process; a context manager, or call close().

    arch: "x86_64" or "i686" (default $WINEHARNESS_ARCH, else x86_64). probe: probe.exe of
    either architecture (default $WINEHARNESS_PROBE). dpi: the screen's LogPixels (default 96). desktop:
    the programs show in Wine's virtual desktop, with frames, captions and a taskbar."""

    def __init__(self, arch=None, probe=None, dpi=None, desktop=False):
        self.arch = arch or os.environ.get("WINEHARNESS_ARCH", "x86_64")
        self.probe_exe = probe or os.environ.get("WINEHARNESS_PROBE", "")
        if not os.path.isfile(self.probe_exe):
            raise HarnessError("WINEHARNESS_PROBE must name probe.exe (got %r)" % self.probe_exe)
        self.xvfb = self.keeper = self.env = None
        self.programs, self.wine_errors = [], ""
        _live.append(self)
        self.dir = tempfile.mkdtemp(prefix="wineharness-")
        try:
            # Says how the 32-bit programs ran, and ends a run the host cannot make as not
            # run: never a silent pass.
            reason = arch_unavailable(self.arch)
            if self.arch == "i686":
                print(WAY_LINE, "not run: " + reason if reason else "ran natively", flush=True)
            if reason:
                print("NOT RUN: the %s tests did not run: %s." % (self.arch, reason), flush=True)
                raise NotRunnable(NOT_RUN_EXIT)
            # Every session copies one booted prefix (well under a second against ~10 s for a
            # boot): $WINEHARNESS_PREFIX, made by `python3 -m wineharness prefix`, or our own.
            template = os.environ.get("WINEHARNESS_PREFIX")
            if not template or not os.path.isfile(os.path.join(template, "system.reg")):
                own = tempfile.mkdtemp(prefix="wineharness-template-")
                atexit.register(shutil.rmtree, own, True)
                template = os.environ["WINEHARNESS_PREFIX"] = boot_prefix(own + "/prefix")
            self.prefix = os.path.join(self.dir, "prefix")
            subprocess.run(["cp", "-a", template, self.prefix], check=True, timeout=TOOL_TIMEOUT)
            # Xvfb picks a free display and names it on its output once it accepts clients.
            with open(os.path.join(self.dir, "xvfb.log"), "wb") as log:
                self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0",
                                              SCREEN_GEOMETRY, "-nolisten", "tcp", "-noreset"],
                                             stdout=subprocess.PIPE, stderr=log)
            named = select.select([self.xvfb.stdout], [], [], DEFAULT_TIMEOUT)[0]
            with self.xvfb.stdout as out:  # Xvfb closes its end once it has named the display
                number = out.readline().strip() if named else b""
            if not number.isdigit():
                raise HarnessError("Xvfb named no display (see %s)" % log.name)
            self.display = int(number)
            self.env = base_env(self.prefix, self.display)
            if dpi is not None:
                self.reg_add(r"HKCU\Control Panel\Desktop", "LogPixels", dpi, "REG_DWORD")
            if desktop:
                self.reg_add(EXPLORER_KEY, "Desktop", DESKTOP)
                self.reg_add(EXPLORER_KEY + r"\Desktops", DESKTOP, DESKTOP_SIZE)
            # The probe is of either architecture: it runs under the loader its header names.
            machine = pe_kind(pathlib.Path(self.probe_exe).read_bytes())[0]
            self.probe_loader = LOADERS["i686" if machine == I386_MACHINE else "x86_64"]
            # A program starts in about half the time while another keeps the prefix's
            # Wine session alive.
            self.keeper = self.spawn([self.probe_loader, self.probe_exe, "keeper"], "keeper")
            # Wine's mail program becomes a script that logs "<epoch seconds> <argument>" per
            # hand-off, the time read by the script itself.
            self.mail_log = pathlib.Path(self.dir, "mail.log")
            script = pathlib.Path(self.dir, "mail.sh")
            script.write_text('#!/bin/sh\nfor a in "$@"; do printf "%%s %%s\\n" "$(date +%%s.%%N)"'
                              ' "$a" >> "%s"; done\n' % self.mail_log)
            script.chmod(0o755)
            self.reg_add(HAND_OFF_KEY, "Mailers", script)
        except BaseException:
            self.close()
            raise

    def close(self):
        for program in self.programs:
            end_process(program)
        self.programs = []
        end_process(self.keeper)
        if self.env:
            wineserver(self.env, "-k", "-w")
        end_process(self.xvfb)
        if os.environ.get("WINEHARNESS_KEEP") != "1":
            shutil.rmtree(self.dir, ignore_errors=True)
        self.env = self.xvfb = self.keeper = None
        if self in _live:
            _live.remove(self)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def spawn(self, argv, name, cwd=None, kind=subprocess.Popen):
        with open(os.path.join(self.dir, "%s-%d.log" % (name, time.monotonic_ns())), "wb") as log:
            return kind([str(a) for a in argv], env=self.env, cwd=cwd or self.dir,
                        stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)

    def start(self, exe, *args, cwd=None):  # a Linux or Windows path
        name = exe.replace("\\", "/").rsplit("/", 1)[-1]
        program = self.spawn([LOADERS[self.arch], exe, *args], name, cwd, Program)
        program.exe_name = name
        self.programs.append(program)
        return program

    def stop(self, program):
        end_process(program)
        if program in self.programs:
            self.programs.remove(program)

    def prefix_programs(self, starting=False):
        """Linux PIDs of the prefix's programs outside C:\\windows, ours or not (a shortcut's).
        A process shows its Windows path only once Wine's loader has set it up; with starting,
        processes still in the loader count too, as one a program has just started is."""
        return [pid for pid, program in prefix_processes(self.prefix)
                if program[1:3] == ":\\" and not program.lower().startswith("c:\\windows\\")
                or starting and program in LOADERS.values()]

    def wine(self, *args, check=True, loader=TOOLS_LOADER):
        """(exit code, output text). What the program or Wine wrote to stderr, the only word of
        why a program failed that Wine itself gives, is kept in self.wine_errors."""
        code, out, self.wine_errors = run_to_end([loader, *args], self.env, self.dir)
        if check and code != 0:
            raise HarnessError("wine %s failed (%d): %s" % (" ".join(map(str, args)), code,
                                                            self.wine_errors))
        return code, out.decode("latin-1")

    def probe(self, *args):  # its JSON objects, or None when it found nothing
        code, out = self.wine(self.probe_exe, *args, check=False, loader=self.probe_loader)
        if code not in (0, 1):
            raise HarnessError("probe %s exited %d" % (" ".join(map(str, args)), code))
        return [json.loads(line) for line in out.splitlines()] if code == 0 else None

    def reg_add(self, key, name, data, kind="REG_SZ"):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")

    def reg_values(self, key):  # {name: (type, data)}, or None
        code, out = self.wine("reg", "query", key, check=False)
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

    def hand_offs(self):  # (time.time() reading, argument) of each
        lines = self.mail_log.read_text().splitlines() if self.mail_log.exists() else []
        return [(float(t), arg) for t, _, arg in (line.partition(" ") for line in lines)]

    def reset_mail(self):
        self.mail_log.unlink(missing_ok=True)

    def mail_settled(self, count=0):
        """The arguments handed off so far, once there are count, proven complete by a marked
        hand-off after them. Markers never count as a click's hand-off."""
        def ours(args):
            return [arg for arg in args if not arg.startswith(MAIL_MARKER)]
        wait_for(lambda: len(ours(arg for _, arg in self.hand_offs())) >= count,
                 what="%d mail hand-off(s)" % count)
        marker = "%s%d" % (MAIL_MARKER, time.monotonic_ns())
        self.wine("winebrowser", marker)
        wait_for(lambda: marker in [arg for _, arg in self.hand_offs()], what="the marked hand-off")
        args = [arg for _, arg in self.hand_offs()]
        return ours(args[:args.index(marker)])


def _close_leftovers():
    for session in list(_live):
        session.close()


def _exit_on_sigterm(signum, frame):
    # ctest ends a test that runs out of time with SIGTERM; exiting normally runs the clean-up.
    raise SystemExit(128 + signum)


atexit.register(_close_leftovers)
if signal.getsignal(signal.SIGTERM) == signal.SIG_DFL:
    signal.signal(signal.SIGTERM, _exit_on_sigterm)
