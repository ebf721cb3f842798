#!/usr/bin/env bash
# Makes the release files of Wexla 98, for i686 and x86_64 each:
#   wexla98-<version>-<arch>.zip        portable: wexla98.exe, wexla98.hlp, wexla98.htm, readme.txt
#   wexla98-<version>-setup-<arch>.exe  per-user NSIS installer (dist/wexla98.nsi)
# By default it builds first (scripts/build.sh; the native tree makes the help file the
# Windows trees ship) and writes into build/dist/.
#
# Usage: package.sh [--no-build] [--arch i686|x86_64] [--app-dir DIR] [--out DIR]
#   --no-build     package the existing build trees as they are
#   --arch A       only this architecture (default: both)
#   --app-dir DIR  take wexla98.exe and the help from DIR (default build/<arch>; needs --arch)
#   --out DIR      write the packages there (default build/dist)
# Needs: makensis (Debian package nsis), zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage() { sed -n '8,12s/^# \{0,1\}//p' "$0" >&2; exit 2; }

build=1
archs=()
app_dir=""
out="$root/build/dist"
while (($#)); do
  case "$1" in
    --no-build) build=0 ;;
    --arch) [ $# -ge 2 ] || usage; archs+=("$2"); shift ;;
    --app-dir) [ $# -ge 2 ] || usage; app_dir=$(cd "$2" && pwd); shift ;;
    --out) [ $# -ge 2 ] || usage; out="$2"; shift ;;
    *) usage ;;
  esac
  shift
done
((${#archs[@]})) || archs=(i686 x86_64)
for arch in "${archs[@]}"; do
  case "$arch" in i686 | x86_64) ;; *) echo "unknown architecture $arch" >&2; exit 2 ;; esac
done
if [ -n "$app_dir" ] && [ ${#archs[@]} -ne 1 ]; then
  echo "--app-dir needs exactly one --arch" >&2
  exit 2
fi

for tool in makensis zip; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install nsis zip)" >&2; exit 1; }
done

# One version for everything: the one the project (and so the program's VERSIONINFO) carries.
version=$(sed -n 's/^project(Wexla98 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }

((build)) && "$root/scripts/build.sh" native "${archs[@]}"

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The readme is read with Notepad: CRLF line ends.
readme="$stage/readme.txt"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/dist/readme.txt" >"$readme"

for arch in "${archs[@]}"; do
  app="${app_dir:-$root/build/$arch}"
  for file in wexla98.exe wexla98.hlp wexla98.htm; do
    [ -f "$app/$file" ] || { echo "$app/$file is missing: run scripts/build.sh" >&2; exit 1; }
  done

  # Every file in the zip gets the program's time, so packaging the same build again gives
  # the same zip.
  mkdir "$stage/$arch"
  cp "$app/wexla98.exe" "$app/wexla98.hlp" "$app/wexla98.htm" "$readme" "$stage/$arch/"
  touch -r "$app/wexla98.exe" "$stage/$arch"/*
  zip_file="$out/wexla98-$version-$arch.zip"
  rm -f "$zip_file"
  (cd "$stage/$arch" && zip -q -X -9 "$zip_file" wexla98.exe wexla98.hlp wexla98.htm readme.txt)

  makensis -V2 -NOCD -DARCH="$arch" -DVERSION="$version" -DAPPDIR="$app" \
    -DOUTFILE="$out/wexla98-$version-setup-$arch.exe" "$root/dist/wexla98.nsi"
done

for arch in "${archs[@]}"; do
  ls -l "$out/wexla98-$version-$arch.zip" "$out/wexla98-$version-setup-$arch.exe"
done
