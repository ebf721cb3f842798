#!/bin/bash
# Opens a generated help file in Wine's help viewer and checks that the viewer accepts it:
# the window must appear with the help file's title as its caption. Saves a screenshot.
#   check_help_in_wine.sh HLP_FILE EXPECTED_TITLE SCREENSHOT.png
# Needs DISPLAY (an Xvfb of your own) and WINEPREFIX (an initialised prefix of your own).
set -u
hlp=$(readlink -f "$1")
title=$2
screenshot=$3
wine=${WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
readonly timeout_tenths=300

windows_path="Z:$(echo "$hlp" | tr / '\\')"
"$wine" winhlp32 "$windows_path" >/dev/null 2>&1 &
launcher=$!

window=""
for ((i = 0; i < timeout_tenths; i++)); do
  window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done

status=0
if [ -z "$window" ]; then
  echo "FAIL: no viewer window titled '$title' within $((timeout_tenths / 10)) s" >&2
  xwininfo -root -tree | grep -i winhlp32 >&2
  any_viewer=$(xdotool search --onlyvisible --class winhlp32 2>/dev/null | head -1)
  [ -n "$any_viewer" ] && viewer=$(xprop -id "$any_viewer" _NET_WM_PID | awk '{print $3}')
  status=1
else
  viewer=$(xprop -id "$window" _NET_WM_PID | awk '{print $3}')
  import -window root "$screenshot"
  echo "OK: viewer window $window ('$title'), screenshot $screenshot"
fi

# Close only what this script started.
[ -n "${viewer:-}" ] && kill "$viewer" 2>/dev/null
kill "$launcher" 2>/dev/null
wait "$launcher" 2>/dev/null
exit $status
