#!/usr/bin/env bash
# Builds the three trees: build/native (core, unit tests under ASan/UBSan, tools),
# build/i686 (the 32-bit release) and build/x86_64 (the 64-bit release, tested under Wine).
# Usage: build.sh [native|i686|x86_64]...   (default: all three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
targets=("$@")
((${#targets[@]})) || targets=(native i686 x86_64)

for target in "${targets[@]}"; do
  dir="$root/build/$target"
  case "$target" in
    native) args=(-DCMAKE_BUILD_TYPE=Debug -DWEXLA_SANITIZE=ON) ;;
    i686 | x86_64) args=(-DCMAKE_BUILD_TYPE=Release
                         "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/toolchain-mingw-$target.cmake"
                         "-DWEXLA_NATIVE_BUILD_DIR=$root/build/native") ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
  cmake -S "$root" -B "$dir" "${args[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs"
done
