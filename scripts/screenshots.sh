#!/usr/bin/env bash
# Makes the README's pictures from the real program under Xvfb + Wine: the tray icon with its
# pop-up menu, the Mouse configuration window and the About window, as PNG files in docs/.
# Usage: screenshots.sh [exe]   (default: build/x86_64/wexla98.exe, built first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-}
if [ -z "$exe" ]; then
  "$root/scripts/install-deps.sh" run
  "$root/scripts/build.sh" native x86_64
  exe="$root/build/x86_64/wexla98.exe"
fi
probe=$(find "$root/build/x86_64" -name wexla_probe.exe -print -quit)
[ -n "$probe" ] || cmake --build "$root/build/x86_64" --target wexla_probe
probe=$(find "$root/build/x86_64" -name wexla_probe.exe -print -quit)
mkdir -p "$root/docs"
PYTHONPATH="$root/tools" WINEHARNESS_PROBE="$probe" WEXLA_EXE="$exe" DOCS="$root/docs" \
  python3 - <<'PYTHON'
import os
import wineharness as wh
from wineharness import wexla

docs = os.environ["DOCS"]
# Room around the tray and its menu, which opens at the pointer on the tray.
MARGIN = 8
with wh.Session() as session:
    app = wexla.App(session, wexla.exe()).start()
    menu = app.open_menu()
    x, y, width, height = session.geometry(menu)
    session.screenshot(os.path.join(docs, "tray-menu.png"), crop="%dx%d+0+0" % (
        x + width + MARGIN, y + height + MARGIN))
    session.menu_keys(app.exe_name, "Escape")
    session.wait_menus_gone(app.exe_name)
    for row, title, name in (("Mouse configuration", wexla.MOUSE_TITLE, "mouse-configuration.png"),
                             ("About", wexla.ABOUT_TITLE, "about.png")):
        app.choose(row)
        # No window manager: the X window is the client area, without a caption.
        session.screenshot(os.path.join(docs, name), session.x_window(app.program.pid, title))
        app.keys(title, "Return")
        app.window_gone(title)
    app.end()
print("pictures in %s" % docs)
PYTHON
