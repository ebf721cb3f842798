#!/usr/bin/env bash
# Runs a Windows test program under wine64 with a private virtual display and the build's
# own Wine prefix (made on first use). Usage: run_under_wine.sh PREFIX PROGRAM [ARGS...]
# WEXLA_LOG_PIXELS=N sets the prefix's screen resolution to N DPI first.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    "$wineserver" -w
  fi
  PYTHONPATH="$(dirname "$0")/../../tools" python3 -m wineharness fonts "$prefix"
  if [ -n "${WEXLA_LOG_PIXELS:-}" ]; then
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
      /d "$WEXLA_LOG_PIXELS" /f >/dev/null 2>&1
    "$wineserver" -w
  fi
) 9>"$prefix.lock"

display=80
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
"$wine" "$@"
