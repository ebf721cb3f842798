#!/usr/bin/env bash
# Installs what is missing, builds Wexla 98 and starts it under Wine: on the user's display,
# or on a virtual one when there is none, in Wine's virtual desktop with a taskbar, as a
# Windows user sees it. Runs until the program is quit from its tray menu.
# Usage: run.sh   (as root, or as a user who may use sudo for the package installation)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
harness() { PYTHONPATH="$root/tools" python3 -m wineharness "$@"; }
"$root/scripts/install-deps.sh" run
"$root/scripts/build.sh" native x86_64

app_dir="$root/build/x86_64"
export WINEPREFIX="${WINEPREFIX:-$HOME/.local/share/wexla98/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Debian's Wine has no preloader: with the heap placed at random, a start now and then fails
# ("failed to map the shared user data"). Without address randomization it never does.
wine=(setarch "$(uname -m)" --addr-no-randomize /usr/lib/wine/wine64)

wineserver=/usr/lib/wine/wineserver

xvfb_pid=""
app_pid=""
desktop=()
# Every step runs even when its process has ended already (a failing kill must not end the
# clean-up under set -e).
cleanup() {
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    # The prefix's Wine processes live on the virtual display: they end before it does.
    timeout 30 "$wineserver" -w 2>/dev/null || "$wineserver" -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
# Ctrl+C or a kill of this script ends the program and the virtual display with it.
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  display=99
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  echo "No display found: Wexla 98 runs on the virtual display $DISPLAY."
  echo "See it with: DISPLAY=$DISPLAY import -window root wexla98-screen.png"
  # Nobody's desktop to join: Wine's own draws the taskbar and the frames of the windows.
  desktop=(explorer "$(harness desktop)")
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX (once)..."
  mkdir -p "$WINEPREFIX"
  "${wine[@]}" wineboot -i >/dev/null 2>&1
  "$wineserver" -w
fi
harness fonts "$WINEPREFIX"

# Started in its own directory, so the settings it saves are found at the next start.
cd "$app_dir"
echo "Starting Wexla 98: its envelope icon is in the notification area (right click for the menu)."
# In the virtual desktop, explorer runs the program and ends about a second after it.
"${wine[@]}" "${desktop[@]}" "$app_dir/wexla98.exe" &
app_pid=$!
if [ -n "$xvfb_pid" ]; then
  harness wait-icon && import -window root "$root/build/wexla98-screen.png" 2>/dev/null &&
    echo "Screenshot of the virtual display: $root/build/wexla98-screen.png"
fi
wait "$app_pid"
