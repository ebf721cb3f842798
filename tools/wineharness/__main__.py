"""python3 -m wineharness prefix DIR: boots the Wine prefix a test run's sessions copy (set
WINEHARNESS_PREFIX=DIR/prefix for them); an existing one is booted afresh.
python3 -m wineharness fonts PREFIX: gives an existing prefix Wine's Windows UI fonts.
python3 -m wineharness run [--dpi N] PREFIX PROGRAM [ARGS...]: runs a Windows program to its
end on a private display in PREFIX (booted on first use, shared by runs one at a time), with
the loader its header asks for; exits with the program's exit code.
python3 -m wineharness desktop: prints explorer's argument for the virtual desktop with its
taskbar (explorer /desktop=NAME,SIZE PROGRAM starts PROGRAM there).
python3 -m wineharness wait-icon: waits until the first icon of the tray or the taskbar on
$DISPLAY has been drawn; exits 1 when none comes."""

import fcntl
import os
import shutil
import subprocess
import sys
import tempfile

from . import host
from .shell import Shell

# A program's first start in a prefix also starts Wine's services, and run.sh may share a busy
# machine: more time than a test's wait.
ICON_TIMEOUT = 120.0


def run(args):
    dpi = None
    if args[:1] == ["--dpi"]:
        dpi, args = int(args[1]), args[2:]
    if len(args) < 2:
        sys.exit(__doc__)
    prefix, program = os.path.abspath(args[0]), args[1:]
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    env = host.base_env(prefix)
    with open(prefix + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.isfile(os.path.join(prefix, "system.reg")):
            host.boot_prefix(prefix)
        host.link_ui_fonts(prefix)
        if dpi is not None:
            host.set_log_pixels(env, dpi)
        host.wineserver(env, "-w")
    work_dir = tempfile.mkdtemp(prefix="wineharness-run-")
    xvfb = None
    try:
        xvfb, display = host.start_xvfb(work_dir)
        env = host.base_env(prefix, display)
        return subprocess.call([host.loader_for(program[0]), *program], env=env)
    finally:
        host.wineserver(env, "-k", "-w")
        host.end_process(xvfb)
        shutil.rmtree(work_dir, ignore_errors=True)


def wait_icon():
    shell = Shell()
    shell.env = dict(os.environ)
    try:
        host.wait_for(shell.icon_shown, ICON_TIMEOUT, "the icon in the notification area")
    except host.HarnessError as error:
        sys.exit(str(error))


if len(sys.argv) >= 2 and sys.argv[1] == "run":
    sys.exit(run(sys.argv[2:]))
if sys.argv[1:] == ["desktop"]:
    print(host.desktop_argument())
    sys.exit(0)
if sys.argv[1:] == ["wait-icon"]:
    wait_icon()
    sys.exit(0)
if len(sys.argv) != 3 or sys.argv[1] not in ("prefix", "fonts"):
    sys.exit(__doc__)
if sys.argv[1] == "fonts":
    host.link_ui_fonts(sys.argv[2])
    sys.exit(0)
target = os.path.join(sys.argv[2], "prefix")
shutil.rmtree(target, ignore_errors=True)
os.makedirs(sys.argv[2], exist_ok=True)
host.boot_prefix(target)
print("prefix ready: %s" % target)
