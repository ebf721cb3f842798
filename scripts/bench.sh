#!/usr/bin/env bash
# Benchmarks Wexla 98 against a bare tray program under Xvfb + Wine, the i686 programs under the
# 32-bit loader and the x86_64 programs under wine64, and writes bench/results/latest.md and
# latest.json. Not part of the tests: it takes about 25 minutes.
# Usage: bench.sh [tray_bench.py options, e.g. --repetitions 15 --idle-seconds 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" native i686 x86_64

bench="$root/build/bench"
mkdir -p "$bench"
programs=()
for arch in x86_64 i686; do
  # The baseline is built with the release program's size flags, so the comparison does not
  # hinge on the build type of the CMake tree.
  "$arch-w64-mingw32-g++" -std=c++20 -Os -Wall -Wextra -Werror -static -s -mwindows \
    "$root/bench/bare_tray/bare_tray.cpp" -o "$bench/bare_tray-$arch.exe"
  programs+=(--program "$arch=$root/build/$arch/wexla98.exe,$bench/bare_tray-$arch.exe")
done

# Reads GUI object counts from inside the prefix; one x86_64 build serves both architectures.
x86_64-w64-mingw32-g++ -std=c++20 -Os -Wall -Wextra -Werror -static -s \
  "$root/bench/gui_counters.cpp" -o "$bench/gui_counters.exe"

PYTHONDONTWRITEBYTECODE=1 python3 "$root/bench/tray_bench.py" "${programs[@]}" \
  --probe "$root/build/x86_64/tools/wineharness/wexla_probe.exe" \
  --gui-counters "$bench/gui_counters.exe" "$@"
