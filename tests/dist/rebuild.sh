#!/usr/bin/env bash
# Builds one architecture's release files a second time, from a copy of the sources in another
# folder with every file dated 2001, later than the first build, and compares every byte with
# the first build's: the program, the help file and page, and (by SHA256SUMS) the packages.
# Usage: rebuild.sh ARCH APP_DIR DIST_DIR   (the first build's program folder and packages)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
arch=$1 app=$2 dist=$3
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
# The sources as git sees them, edits included; deleted files are no error.
git -C "$root" ls-files -coz --exclude-standard |
  tar -C "$root" --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -C "$copy" -xf -
find "$copy" -exec touch -h -d "2001-02-03 04:05:06" {} +
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) \
  "$copy/scripts/package.sh" --arch "$arch" --out "$copy/dist" >"$copy/build.log" 2>&1 ||
  { cat "$copy/build.log"; exit 1; }
for file in wexla98.exe wexla98.hlp wexla98.htm; do cmp "$app/$file" "$copy/build/$arch/$file"; done
diff "$dist/SHA256SUMS" "$copy/dist/SHA256SUMS"
