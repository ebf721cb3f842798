"""What the host gives: Wine loaders per architecture and whether this kernel runs them, a
private X display, prefixes, and the waiting and ending of processes."""

import os
import select
import signal
import subprocess
import tempfile
import time

LOADERS = {"x86_64": "/usr/lib/wine/wine64", "i686": "/usr/lib/wine/wine"}
# Wine's own tools (reg, wineboot, winebrowser) are 64-bit in any session.
TOOLS_LOADER = LOADERS["x86_64"]
WINESERVER = "/usr/lib/wine/wineserver"
WINE_FONTS = "/usr/share/wine/fonts"  # the fonts-wine package
# Where a PE file's header starts is stored at 0x3C; the header names the machine.
PE_OFFSET_AT, PE_HEAD_BYTES, I386_MACHINE = 0x3C, 4096, b"\x4c\x01"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SCREEN_GEOMETRY = "1024x768x24"
# Wine 8 draws a taskbar with its notification area in a virtual desktop of this name only.
DESKTOP = "shell"
DESKTOP_SIZE = SCREEN_GEOMETRY.rsplit("x", 1)[0]
EXPLORER_KEY = r"HKCU\Software\Wine\Explorer"
# Only how long a failing wait lasts: on two CPUs shared with compilers, a menu once took over
# 20 s to show after its click.
DEFAULT_TIMEOUT = 45.0
POLL_INTERVAL = 0.1
END_GRACE = 3.0
TOOL_TIMEOUT = 60.0
BOOT_TIMEOUT = 180.0


class HarnessError(AssertionError):
    """A wait ran out or a tool failed; an AssertionError, so unittest reports a failure."""


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


def end_process(process):
    """Ends one process we started, by its PID: SIGTERM, then SIGKILL."""
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=END_GRACE)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=END_GRACE)


def end_pid(pid):
    """Ends a process a script of ours started and left behind, by its PID."""
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass  # ended meanwhile


def linux_processes():
    """(PID, session id, environment entries, program) of every process still there."""
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % entry) as stat:
                sid = int(stat.read().rsplit(")", 1)[1].split()[3])
            with open("/proc/%s/environ" % entry, "rb") as environ:
                variables = environ.read().split(b"\0")
            with open("/proc/%s/cmdline" % entry, "rb") as cmdline:
                program = cmdline.read().split(b"\0")[0].decode("latin-1")
        except (OSError, IndexError, ValueError):
            continue  # ended meanwhile
        yield int(entry), sid, variables, program


def leftovers(sid, prefix):
    """PIDs of processes in a Linux session or of a Wine prefix."""
    wanted = ("WINEPREFIX=" + prefix).encode()
    return [pid for pid, in_sid, variables, _ in linux_processes()
            if in_sid == sid or wanted in variables]


def run_to_end(argv, env, cwd=None, timeout=TOOL_TIMEOUT):
    """Runs a program to its end; returns (exit code, stdout bytes). Output goes through a file:
    a wineserver the program happens to start would hold a pipe open long after it ends."""
    with tempfile.TemporaryFile() as out:
        process = subprocess.Popen([str(a) for a in argv], env=env, cwd=cwd,
                                   stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=subprocess.DEVNULL)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            end_process(process)
            raise HarnessError("%s did not finish within %.0f s" % (argv[0], timeout))
        out.seek(0)
        return code, out.read()


def base_env(prefix, display=None):
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    # The host's own desktop must never leak into a test.
    for name in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY"):
        env.pop(name, None)
    if display is not None:
        env["DISPLAY"] = ":%d" % display
    return env


def wineserver(env, *flags):
    for flag in flags:
        try:
            subprocess.run([WINESERVER, flag], env=env, timeout=TOOL_TIMEOUT,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass  # a hung server is killed with the prefix's processes by the caller


def link_ui_fonts(prefix):
    """Gives the prefix Wine's stand-ins for the Windows UI fonts: Debian's Wine does not look
    in the fonts-wine folder by itself, and a wider Linux font makes texts overflow."""
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for name in os.listdir(WINE_FONTS) if os.path.isdir(WINE_FONTS) else ():
        if not os.path.lexists(os.path.join(fonts, name)):
            os.symlink(os.path.join(WINE_FONTS, name), os.path.join(fonts, name))


def boot_prefix(path):
    """Makes a Wine prefix at path (~10 s); needs no display."""
    env = base_env(path)
    try:
        code, _ = run_to_end([TOOLS_LOADER, "wineboot", "-i"], env, timeout=BOOT_TIMEOUT)
    finally:
        wineserver(env, "-w")
    if code != 0:
        raise HarnessError("wineboot failed (%d) for %s" % (code, path))
    link_ui_fonts(path)
    return path


def reg_add(env, key, name, data, kind="REG_SZ"):
    code, _ = run_to_end([TOOLS_LOADER, "reg", "add", key, "/v", name, "/t", kind, "/d", data,
                          "/f"], env)
    if code != 0:
        raise HarnessError("reg add %s /v %s failed (%d)" % (key, name, code))


def set_log_pixels(env, dpi):
    """Sets the screen's DPI for the programs the prefix of env starts from now on."""
    reg_add(env, DESKTOP_KEY, "LogPixels", dpi, "REG_DWORD")


def desktop_argument():
    """explorer's argument that starts a program in the virtual desktop."""
    return "/desktop=%s,%s" % (DESKTOP, DESKTOP_SIZE)


def use_virtual_desktop(env):
    """The prefix's programs show in Wine's virtual desktop, with frames, captions and the
    taskbar's notification area."""
    reg_add(env, EXPLORER_KEY, "Desktop", DESKTOP)
    reg_add(env, EXPLORER_KEY + r"\Desktops", DESKTOP, DESKTOP_SIZE)


def loader(arch):
    return LOADERS[arch]


def loader_for(exe):
    """The loader for a PE file, by the machine its header names."""
    with open(exe, "rb") as data:
        head = data.read(PE_HEAD_BYTES)
    at = int.from_bytes(head[PE_OFFSET_AT:PE_OFFSET_AT + 4], "little")
    return LOADERS["i686" if head[at + 4:at + 6] == I386_MACHINE else "x86_64"]


def arch_unavailable(arch):
    """None when this kernel runs arch's Wine loader, else the reason in plain words. The
    32-bit loader is itself a 32-bit program: a kernel without 32-bit support refuses it."""
    loader = LOADERS[arch]
    if not os.access(loader, os.X_OK):
        return "no Wine loader %s (Debian package %s)" % (
            loader, "wine32:i386" if arch == "i686" else "wine64")
    try:
        subprocess.run([loader, "--version"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=TOOL_TIMEOUT)
    except OSError as error:
        return "this kernel runs no %s programs (%s: %s)" % (
            "32-bit" if arch == "i686" else arch, loader, error.strerror)
    return None


def start_xvfb(log_dir):
    """Starts Xvfb on a free display number of its own choosing; returns (process, number)
    once it accepts clients, which is when it names the number."""
    read, write = os.pipe()
    with open(os.path.join(log_dir, "xvfb.log"), "wb") as log:
        process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                    SCREEN_GEOMETRY, "-nolisten", "tcp", "-noreset"],
                                   stdout=log, stderr=subprocess.STDOUT, pass_fds=(write,))
    os.close(write)
    with os.fdopen(read) as named:
        if not select.select([named], [], [], DEFAULT_TIMEOUT)[0]:
            end_process(process)
            raise HarnessError("Xvfb named no display within %.0f s" % DEFAULT_TIMEOUT)
        number = named.readline().strip()
    if not number.isdigit():
        end_process(process)
        raise HarnessError("Xvfb did not start (see %s)" % log.name)
    return process, int(number)
