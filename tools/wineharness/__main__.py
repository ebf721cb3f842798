"""python3 -m wineharness prefix DIR: boots the prefix a test run's sessions copy (set
WINEHARNESS_PREFIX=DIR/prefix for them).
python3 -m wineharness fonts PREFIX: gives an existing prefix Wine's Windows UI fonts.
python3 -m wineharness run [--dpi N] PROGRAM: runs a Windows program to its end in a copy of
$WINEHARNESS_PREFIX on a private display; exits with its exit code, or 77 (not run) where
the kernel cannot run it.
python3 -m wineharness desktop: explorer's argument for the virtual desktop with its taskbar.
python3 -m wineharness wait-icon: waits until the first icon of the tray or the taskbar on
$DISPLAY has been drawn; exits 1 when none comes."""

import os
import shutil
import subprocess
import sys
import tempfile

from . import host, session
from .shell import Shell

# A program's first start in a prefix also starts Wine's services, and run.sh may share a busy
# machine: more time than a test's wait.
ICON_TIMEOUT = 120.0


def run(args):
    dpi = None
    if args[:1] == ["--dpi"]:
        dpi, args = int(args[1]), args[2:]
    loader = host.loader_for(args[0])
    session.require("i686" if loader == host.LOADERS["i686"] else "x86_64")
    work_dir = tempfile.mkdtemp(prefix="wineharness-run-")
    xvfb = None
    env = host.base_env(session.copy_prefix(os.path.join(work_dir, "prefix")))
    try:
        xvfb, display = host.start_xvfb(work_dir)
        env = host.base_env(env["WINEPREFIX"], display)
        if dpi is not None:
            host.set_log_pixels(env, dpi)
        return subprocess.call([loader, *args], env=env, timeout=host.BOOT_TIMEOUT)
    finally:
        host.wineserver(env, "-k", "-w")
        host.end_process(xvfb)
        shutil.rmtree(work_dir, ignore_errors=True)


command = sys.argv[1:2]
if command == ["run"] and len(sys.argv) > 2:
    sys.exit(run(sys.argv[2:]))
elif sys.argv[1:] == ["desktop"]:
    print(host.desktop_argument())
elif sys.argv[1:] == ["wait-icon"]:
    shell = Shell()
    shell.env = dict(os.environ)
    try:
        host.wait_for(shell.icon_shown, ICON_TIMEOUT, "the icon in the notification area")
    except host.HarnessError as error:
        sys.exit(str(error))
elif command == ["fonts"] and len(sys.argv) == 3:
    host.link_ui_fonts(sys.argv[2])
elif command == ["prefix"] and len(sys.argv) == 3:
    target = os.path.join(sys.argv[2], "prefix")
    shutil.rmtree(target, ignore_errors=True)
    os.makedirs(sys.argv[2], exist_ok=True)
    print("prefix ready: %s" % host.boot_prefix(target))
else:
    sys.exit(__doc__)
