#!/usr/bin/env bash
# Builds the three trees of CMakePresets.json: build/native (core, unit tests under
# ASan/UBSan, tools), build/i686 (the 32-bit release) and build/x86_64 (the 64-bit release,
# tested under Wine). Usage: build.sh [native|i686|x86_64]...   (default: all three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
targets=("$@")
((${#targets[@]})) || targets=(native i686 x86_64)

cd "$root"
for target in "${targets[@]}"; do
  case "$target" in
    native | i686 | x86_64) ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
  cmake --preset "$target" >/dev/null
  cmake --build --preset "$target" -j "$jobs"
done
