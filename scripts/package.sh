#!/usr/bin/env bash
# Makes the release files of Wexla 98, for i686 and x86_64 each:
#   wexla98-<version>-<arch>.zip        portable: wexla98.exe, wexla98.hlp, wexla98.htm, readme.txt
#   wexla98-<version>-setup-<arch>.exe  per-user NSIS installer (dist/wexla98.nsi)
# and SHA256SUMS, the checksums of the packages it made. By default it builds the program and
# the help file first (the native tree makes the help file the Windows trees ship) and writes
# into build/dist/.
# The same commit gives the same bytes, wherever and whenever it is built: every time in the
# packages is SOURCE_DATE_EPOCH, by default the date of the checked-out commit.
#
# Usage: package.sh [--no-build] [--arch i686|x86_64] [--app-dir DIR] [--out DIR]
#   --no-build     package the existing build trees as they are
#   --arch A       only this architecture (default: both)
#   --app-dir DIR  take wexla98.exe and the help from DIR (default build/<arch>; needs --arch)
#   --out DIR      write the packages there (default build/dist)
# Needs: makensis (Debian package nsis), zip; git, unless SOURCE_DATE_EPOCH is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage() { sed -n '11,15s/^# \{0,1\}//p' "$0" >&2; exit 2; }

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

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) ||
    { echo "set SOURCE_DATE_EPOCH (seconds since 1970) outside a git checkout" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH

# Only what the packages hold; the native tree first, as the Windows trees take its help file.
if ((build)); then
  for preset in native "${archs[@]}"; do
    target=wexla98
    [ "$preset" = native ] && target=wexla_help
    (cd "$root" && cmake --preset "$preset" >/dev/null &&
      cmake --build --preset "$preset" -j "$(nproc)" --target "$target")
  done
fi

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

  # The zip holds only names, contents, the commit's time and fixed attributes, in a fixed
  # order: no owner (-X), no time zone (DOS times are local), no umask.
  mkdir "$stage/$arch"
  cp "$app/wexla98.exe" "$app/wexla98.hlp" "$app/wexla98.htm" "$readme" "$stage/$arch/"
  chmod 644 "$stage/$arch"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$stage/$arch"/*
  zip_file="$out/wexla98-$version-$arch.zip"
  rm -f "$zip_file"
  (cd "$stage/$arch" &&
    TZ=UTC zip -q -X -9 "$zip_file" wexla98.exe wexla98.hlp wexla98.htm readme.txt)

  makensis -V2 -NOCD -DARCH="$arch" -DVERSION="$version" -DAPPDIR="$app" \
    -DOUTFILE="$out/wexla98-$version-setup-$arch.exe" "$root/dist/wexla98.nsi"
done

packages=()
for arch in "${archs[@]}"; do
  packages+=("wexla98-$version-$arch.zip" "wexla98-$version-setup-$arch.exe")
done
(cd "$out" && sha256sum "${packages[@]}" >SHA256SUMS && ls -l "${packages[@]}" SHA256SUMS)
