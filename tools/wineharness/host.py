"""What the host gives: Wine loaders per architecture, the check that this host runs them, a
private X display, and the waiting and ending of processes that everything else builds on."""

import atexit
import os
import shutil
import signal
import subprocess
import tempfile
import time

LOADERS = {"x86_64": "/usr/lib/wine/wine64", "i686": "/usr/lib/wine/wine"}
# Debian's qemu-user: runs the 32-bit loader where the kernel cannot execute i386 code.
QEMU_I386 = "/usr/bin/qemu-i386"
# How i686 programs run: "native", "emulated" (also where the kernel could run them, to measure
# emulation there) or "auto" (native where the kernel executes them, else emulated if allowed).
I686_WAY = os.environ.get("WINEHARNESS_I686", "auto")
I686_WAYS = ("native", "emulated", "auto")
# qemu 7.2 walks its page table for every mmap of Wine's address-space set-up: each start of
# a 32-bit Wine process costs ~60 s of CPU emulated against ~1 s native. Every wait and tool
# time-out stretches by this factor while the i686 programs run emulated.
EMULATION_SLOWDOWN = 10
# Wine's own tools (reg, wineboot, winebrowser) and the probe are 64-bit in any session.
TOOLS_LOADER = LOADERS["x86_64"]
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
WINE_FONTS = "/usr/share/wine/fonts"  # the fonts-wine package
I686_CC = "i686-w64-mingw32-gcc"
# The tiny program of the 32-bit check exits with this; anything else means it did not run.
CHECK_EXIT_CODE = 42
# Where a PE file's header starts is stored at 0x3C; the header names the machine.
PE_OFFSET_AT, PE_HEAD_BYTES, I386_MACHINE = 0x3C, 4096, b"\x4c\x01"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SCREEN_GEOMETRY = "1024x768x24"
# Wine 8 draws a taskbar (Start button, notification area) in a virtual desktop of this name
# only, unless HKCU\Software\Wine\Explorer\Desktops says EnableShell for another one; it
# fills the X screen.
DESKTOP = "shell"
DESKTOP_SIZE = SCREEN_GEOMETRY.rsplit("x", 1)[0]
EXPLORER_KEY = r"HKCU\Software\Wine\Explorer"
DISPLAYS = os.environ.get("WINEHARNESS_DISPLAYS", "100-199")

DEFAULT_TIMEOUT = 20.0
POLL_INTERVAL = 0.1
END_GRACE = 3.0
TOOL_TIMEOUT = 60.0
BOOT_TIMEOUT = 180.0
# 1, or EMULATION_SLOWDOWN once this process runs its i686 programs emulated.
_slowdown = 1
# The script that runs the 32-bit loader under qemu-i386 once emulation was chosen, and why.
_emulated_loader = _emulated_because = None


class HarnessError(AssertionError):
    """A wait ran out or a tool failed; an AssertionError, so unittest reports a failure."""


def wait_for(predicate, timeout=DEFAULT_TIMEOUT, what="condition", interval=POLL_INTERVAL):
    """Polls predicate until it returns something truthy, and returns that."""
    timeout *= _slowdown
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def end_process(process, grace=END_GRACE):
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
    """PIDs of processes in a Linux session or of a Wine prefix: whatever a script started and
    left behind (wineserver leaves the session when it detaches)."""
    wanted = ("WINEPREFIX=" + prefix).encode()
    return [pid for pid, in_sid, variables, _ in linux_processes()
            if in_sid == sid or wanted in variables]


def run_to_end(argv, env, cwd=None, timeout=TOOL_TIMEOUT):
    """Runs a program to its end; returns (exit code, stdout bytes). Output goes through a file:
    a wineserver the program happens to start would hold a pipe open long after it ends."""
    timeout *= _slowdown
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
    if _emulated_loader:
        # Wine falls back on WINELOADER when the kernel refuses the 32-bit loader, so the 32-bit
        # programs that the session's programs start run emulated too.
        env["WINELOADER"] = _emulated_loader
    return env


def wineserver(env, *flags):
    for flag in flags:
        try:
            subprocess.run([WINESERVER, flag], env=env, timeout=TOOL_TIMEOUT,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass


def link_ui_fonts(prefix):
    """Gives the prefix Wine's stand-ins for the Windows UI fonts (MS Sans Serif, Tahoma...).
    Debian's Wine does not look in the fonts-wine folder by itself, so without these links the
    windows fall back to a wider Linux font and their texts no longer fit."""
    if not os.path.isdir(WINE_FONTS):
        return
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for name in os.listdir(WINE_FONTS):
        link = os.path.join(fonts, name)
        if not os.path.lexists(link):
            os.symlink(os.path.join(WINE_FONTS, name), link)


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


def set_log_pixels(env, dpi):
    """Sets the screen's DPI for the programs the prefix of env starts from now on."""
    code, _ = run_to_end([TOOLS_LOADER, "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t",
                          "REG_DWORD", "/d", dpi, "/f"], env)
    if code != 0:
        raise HarnessError("the DPI could not be set to %s (%d)" % (dpi, code))


def desktop_argument():
    """explorer's argument that starts a program in the virtual desktop."""
    return "/desktop=%s,%s" % (DESKTOP, DESKTOP_SIZE)


def use_virtual_desktop(env):
    """Every program the prefix of env starts from now on shows in Wine's virtual desktop, with
    frames and captions that Wine draws itself and the taskbar's notification area."""
    for key, name, data in ((EXPLORER_KEY, "Desktop", DESKTOP),
                            (EXPLORER_KEY + r"\Desktops", DESKTOP, DESKTOP_SIZE)):
        code, _ = run_to_end([TOOLS_LOADER, "reg", "add", key, "/v", name, "/d", data, "/f"], env)
        if code != 0:
            raise HarnessError("the virtual desktop could not be set (%d)" % code)


def loader(arch):
    """The Wine loader that runs a program built for arch ("x86_64" or "i686")."""
    if arch not in LOADERS:
        raise HarnessError("unknown architecture %r" % arch)
    if arch == "i686" and _emulated_loader:
        return _emulated_loader
    return LOADERS[arch]


def loader_for(exe):
    """The loader for a PE file, by the machine its header names."""
    with open(exe, "rb") as data:
        head = data.read(PE_HEAD_BYTES)
    at = int.from_bytes(head[PE_OFFSET_AT:PE_OFFSET_AT + 4], "little")
    return loader("i686" if head[at + 4:at + 6] == I386_MACHINE else "x86_64")


def loader_unavailable(arch):
    """None when arch's Wine loader is there and the kernel executes it, else the reason."""
    if not os.access(loader(arch), os.X_OK):
        return "no Wine loader %s for %s programs" % (loader(arch), arch)
    try:
        subprocess.run([loader(arch), "--version"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=TOOL_TIMEOUT)
    except OSError as error:
        return "this kernel does not execute %s programs (%s: %s)" % (arch, loader(arch),
                                                                   error.strerror)
    return None


def _check_program(work_dir):
    source = os.path.join(work_dir, "exit_check.c")
    exe = os.path.join(work_dir, "exit_check.exe")
    with open(source, "w") as out:
        out.write("int main(void) { return %d; }\n" % CHECK_EXIT_CODE)
    subprocess.run([I686_CC, "-o", exe, source], check=True, timeout=TOOL_TIMEOUT)
    return exe


def check_runs(argv, prefix, work_dir, slowdown=1):
    """None when the check program ran under argv with its exit code, else the reason."""
    env = base_env(prefix)
    try:
        code, _ = run_to_end([*argv, _check_program(work_dir)], env, work_dir,
                             TOOL_TIMEOUT * slowdown)
    finally:
        # The check started the prefix's Wine session with no display. A keeper joining that
        # session would keep it alive, and every later 32-bit GUI program in it hangs at
        # start-up: it ends here, before any program of the session starts.
        wineserver(env, "-w")
    if code != CHECK_EXIT_CODE:
        return "exit code %d, expected %d" % (code, CHECK_EXIT_CODE)
    return None


def _write_emulated_loader():
    """A loader named like the 32-bit one, so that Wine's own switch between the 32-bit and
    64-bit loaders (by name, beside it) keeps finding wine64 for the 64-bit programs.
    WINELOADERNOEXEC: without it the loader re-executes itself, which the kernel refuses."""
    folder = tempfile.mkdtemp(prefix="wineharness-qemu-")
    atexit.register(shutil.rmtree, folder, True)
    script = os.path.join(folder, "wine")
    with open(script, "w") as out:
        out.write('#!/bin/sh\nWINELOADERNOEXEC=1 exec %s %s "$@"\n'
                  % (QEMU_I386, LOADERS["i686"]))
    os.chmod(script, 0o755)
    return script


def use_emulation(script, because):
    """From now on this process runs its i686 programs through script, with longer waits."""
    global _emulated_loader, _emulated_because, _slowdown
    _emulated_loader, _emulated_because, _slowdown = script, because, EMULATION_SLOWDOWN


def i686_way(prefix, work_dir, emulation=False, way=None):
    """How this host runs i686 programs under Wine: ("native", None), ("emulated", why not
    natively) or (None, the reason it cannot), in plain words. A tiny 32-bit console program
    must run and return its exit code. emulation: whether this caller may use qemu-i386."""
    way = way or I686_WAY
    if way not in I686_WAYS:
        raise HarnessError("WINEHARNESS_I686 must be one of %s, not %r" % (I686_WAYS, way))
    if _emulated_loader:
        # Shown to work in this process already: another check would cost a minute.
        return "emulated", _emulated_because
    if not os.access(LOADERS["i686"], os.X_OK):
        return None, "no Wine loader %s for i686 programs (Debian package wine32:i386)" % (
            LOADERS["i686"])
    if not shutil.which(I686_CC):
        return None, "%s is missing, so the 32-bit check program cannot be built" % I686_CC
    native = "native runs not tried (WINEHARNESS_I686=emulated)"
    if way != "emulated":
        failed = loader_unavailable("i686") or check_runs([LOADERS["i686"]], prefix, work_dir)
        if failed is None:
            return "native", None
        native = "a 32-bit program does not run natively here: " + failed
    if way == "native" or not emulation:
        return None, native
    if not os.access(QEMU_I386, os.X_OK):
        return None, "%s; no %s for emulation (Debian package qemu-user)" % (native, QEMU_I386)
    script = _write_emulated_loader()
    failed = check_runs([script], prefix, work_dir, EMULATION_SLOWDOWN)
    if failed:
        return None, "%s; under %s neither (%s)" % (native, QEMU_I386, failed)
    use_emulation(script, native)
    return "emulated", native


def arch_unavailable(arch, prefix, work_dir, emulation=False):
    """None when this host runs arch's programs under Wine, else the reason in plain words."""
    if arch != "i686":
        return loader_unavailable(arch)
    way, note = i686_way(prefix, work_dir, emulation)
    return note if way is None else None


def start_xvfb(log_dir):
    """Starts Xvfb on the first free display number; returns (process, number)."""
    first, _, last = DISPLAYS.partition("-")
    for number in range(int(first), int(last or first) + 1):
        socket = "/tmp/.X11-unix/X%d" % number
        if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists(socket):
            continue
        with open(os.path.join(log_dir, "xvfb.log"), "wb") as log:
            process = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", SCREEN_GEOMETRY,
                                        "-nolisten", "tcp", "-noreset"], stdout=log,
                                       stderr=subprocess.STDOUT)
        try:
            # Xvfb exits at once when another server won the race for this number.
            wait_for(lambda: process.poll() is not None or os.path.exists(socket),
                     what="Xvfb :%d" % number)
        except HarnessError:
            end_process(process)
            continue
        if process.poll() is None:
            return process, number
    raise HarnessError("no free X display in %s" % DISPLAYS)
