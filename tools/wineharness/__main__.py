"""python3 -m wineharness prefix DIR: boots the Wine prefix a test run's sessions copy (set
WINEHARNESS_PREFIX=DIR/prefix for them); an existing one is booted afresh.
python3 -m wineharness fonts PREFIX: gives an existing prefix Wine's Windows UI fonts."""

import os
import shutil
import sys

from . import host

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
