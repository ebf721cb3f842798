#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need; does nothing
# when they are all present. Usage: install-deps.sh [run|test]
set -euo pipefail

run_packages=(cmake make g++ python3 libgtest-dev g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64
  xvfb xdotool x11-utils imagemagick)
test_packages=("${run_packages[@]}" g++-mingw-w64-i686 binutils-mingw-w64-i686
  clang libclang-rt-14-dev clang-tidy clang-format cppcheck nsis zip unzip)

case "${1:-test}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$' ||
    missing+=("$package")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=()
if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi
"${SUDO[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
