#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need; does nothing
# when they are all present. Usage: install-deps.sh [run|test]
# The test set includes the 32-bit Wine loader (wine32:i386), so the i386 architecture is added
# first when it is missing.
set -euo pipefail

run_packages=(cmake make g++ python3 libgtest-dev g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64
  xvfb xdotool x11-utils imagemagick fonts-wine)
test_packages=("${run_packages[@]}" g++-mingw-w64-i686 binutils-mingw-w64-i686 wine32:i386
  clang libclang-rt-14-dev clang-tidy clang-format cppcheck nsis zip unzip)

case "${1:-test}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

# Root installs directly; anybody else through sudo, asked for only when something is missing.
SUDO=()
if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi
as_root() {
  if ((${#SUDO[@]})) && ! command -v sudo >/dev/null; then
    echo "$1 needs root: run this as root, or install sudo" >&2
    exit 1
  fi
  "${SUDO[@]}" "$@"
}

need_i386=0
for package in "${wanted[@]}"; do
  [[ $package == *:i386 ]] && need_i386=1
done
if ((need_i386)) && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture (for the 32-bit Wine loader)"
  as_root dpkg --add-architecture i386
fi

install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$' ||
      missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

install_missing "${wanted[@]}"
