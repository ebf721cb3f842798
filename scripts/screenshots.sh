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
import subprocess

import wineharness as wh
from wineharness import wexla

docs = os.environ["DOCS"]
# Room around the menu, which opens at the pointer on the taskbar's notification area.
MARGIN = 8
MENU_CLASS = "#32768"
# Wine shows a new window black until its first paint; no painted window of the program is
# mostly black.
UNPAINTED_SHARE = 0.5
BLACK = (0, 0, 0)
screen_width, screen_height = map(int, wh.session.DESKTOP_SIZE.split("x"))
# Wine's virtual desktop, as a Windows user sees the program: a taskbar with the icon in its
# notification area, and windows with the frames and captions Wine draws there itself.


def screenshot(session, path, window="root", crop=()):
    subprocess.run(["import", "-window", str(window), *crop, path], env=session.env, check=True)


def painted(session, window):
    rgb = session.pixels(window)
    return wh.count_colour(rgb, BLACK) < UNPAINTED_SHARE * len(rgb) / wh.session.RGB_BYTES


with wh.Session(desktop=True) as session:
    app = wexla.App(session, wexla.exe()).start()
    app.open_menu()
    menu = wh.wait_for(lambda: session.windows(cls=MENU_CLASS, visible=True), what="the menu")[0]
    # The pointer rests on the first row, as a user's would; the icon's tooltip goes.
    session.xdotool("mousemove", menu["x"] + menu["width"] // 2, menu["y"] + MARGIN)
    wh.wait_for(lambda: not session.tooltips(), what="the tooltip to go")
    left, top = menu["x"] - MARGIN, menu["y"] - MARGIN
    screenshot(session, os.path.join(docs, "tray-menu.png"), crop=("-crop", "%dx%d+%d+%d" % (
        screen_width - left, screen_height - top, left, top), "+repage"))
    session.menu_keys(app.exe_name, "Escape")
    session.wait_menus_gone(app.exe_name)
    for row, title, name in (("Mouse configuration", wexla.MOUSE_TITLE, "mouse-configuration.png"),
                             ("About", wexla.ABOUT_TITLE, "about.png")):
        app.choose(row)
        window = session.x_window(app.program.pid, title)
        wh.wait_for(lambda: painted(session, window), what="the window %r painted" % title)
        screenshot(session, os.path.join(docs, name), window)
        if title == wexla.ABOUT_TITLE:
            screenshot(session, os.path.join(docs, "desktop.png"))
        app.keys(title, "Return")
        app.window_gone(title)
    # The taskbar never goes, so the program ends without waiting for an empty tray.
    session.stop(app.program)
print("pictures in %s" % docs)
PYTHON
