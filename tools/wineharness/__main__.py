"""python3 -m wineharness COMMAND: prefix DIR (boots the prefix that sessions copy, as
WINEHARNESS_PREFIX=DIR/prefix); fonts PREFIX (gives it Wine's Windows UI fonts); run --dpi N
PROGRAM (runs a $WINEHARNESS_ARCH program to its end in a session at N dots per inch, exits
with its exit code or 77, not run); desktop (explorer's argument for a virtual desktop with a
taskbar); wait-icon (waits for the first icon on $DISPLAY's tray or taskbar, else exits 1)."""

import os
import shutil
import subprocess
import sys

from . import session as wh

# A program's first start in a prefix also starts Wine's services, and run.sh may share a busy
# machine: more time than a test's wait.
ICON_TIMEOUT = 120.0


args = sys.argv[1:]
if args[:2] == ["run", "--dpi"] and len(args) == 4:
    with wh.Session(dpi=int(args[2])) as session:
        sys.exit(subprocess.call([wh.LOADERS[session.arch], args[3]], env=session.env,
                                 timeout=wh.BOOT_TIMEOUT))
elif args == ["desktop"]:
    print("/desktop=%s,%s" % (wh.DESKTOP, wh.DESKTOP_SIZE))
elif args == ["wait-icon"]:
    try:
        wh.wait_for(wh.Shell(dict(os.environ)).icon_shown, ICON_TIMEOUT, "the icon")
    except wh.HarnessError as error:
        sys.exit(str(error))
elif args[:1] == ["fonts"] and len(args) == 2:
    wh.link_ui_fonts(args[1])
elif args[:1] == ["prefix"] and len(args) == 2:
    shutil.rmtree(os.path.join(args[1], "prefix"), ignore_errors=True)
    os.makedirs(args[1], exist_ok=True)
    print("prefix ready: %s" % wh.boot_prefix(os.path.join(args[1], "prefix")))
else:
    sys.exit(__doc__)
