#!/usr/bin/env bash
# Benchmarks Wexla 98 against a bare tray program under Xvfb + Wine and writes
# bench/results/latest.md and latest.json. Not part of the tests: it takes several minutes.
# Usage: bench.sh [tray_bench.py options, e.g. --repetitions 7 --idle-seconds 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" native i686 x86_64

bench="$root/build/bench"
mkdir -p "$bench"
# The baseline is built here with the release program's size flags, so the comparison does not
# hinge on the build type of the CMake tree; the probe comes from the CMake tree when it has one.
x86_64-w64-mingw32-g++ -std=c++20 -Os -Wall -Wextra -Werror -static -s -mwindows \
  "$root/bench/bare_tray/bare_tray.cpp" -o "$bench/bare_tray.exe"
probe=$(find "$root/build/x86_64" -name wexla_probe.exe -print -quit)
if [ -z "$probe" ]; then
  x86_64-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -Werror -static -s \
    "$root/tests/tools/wexla_probe.cpp" -o "$bench/wexla_probe.exe" -lpsapi
  probe="$bench/wexla_probe.exe"
fi

export WEXLA_E2E_DISPLAYS=${WEXLA_E2E_DISPLAYS:-11-19}
export WEXLA_E2E_TMPDIR=${WEXLA_E2E_TMPDIR:-$(mktemp -d /tmp/bench-XXXXXX)}
trap 'rm -rf "$WEXLA_E2E_TMPDIR"' EXIT
python3 "$root/bench/tray_bench.py" \
  --wexla "$root/build/x86_64/wexla98.exe" --bare "$bench/bare_tray.exe" --probe "$probe" \
  --size-exe "i686=$root/build/i686/wexla98.exe" --size-exe "x86_64=$root/build/x86_64/wexla98.exe" \
  "$@"
