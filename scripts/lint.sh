#!/usr/bin/env bash
# Static checks: the layering of the folders, formatting, clang-tidy (the portable core with
# the native compile database, win32/ with the MinGW one) and cppcheck of the core.
# Needs build/native and build/x86_64 (scripts/build.sh native x86_64).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t core < <(git ls-files 'platform/*.cpp' 'tray/*.cpp' 'dialogs/*.cpp' 'resources/*.cpp')
mapfile -t win32 < <(git ls-files 'win32/*.cpp')
mapfile -t formatted < <(git ls-files '*.cpp' '*.h' | grep -v '^tools/hlpgen/')
status=0
echo "== layers"
python3 scripts/check_layers.py || status=1
echo "== clang-format"
clang-format --dry-run --Werror "${formatted[@]}" || status=1
echo "== clang-tidy"
clang-tidy -quiet --extra-arg=-Wno-unknown-warning-option -p build/native "${core[@]}" 2>/dev/null || status=1
# clang parses the MinGW sources as the cross compiler sees them: its target and its headers.
mingw=x86_64-w64-mingw32
mingw_args=(--extra-arg=-Wno-unknown-warning-option "--extra-arg=--target=$mingw" --extra-arg=-nostdinc++)
while read -r dir; do
  mingw_args+=("--extra-arg=-isystem$dir")
done < <(echo | "$mingw-g++" -x c++ -E -v - 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search/s/^ \(\/.*\)/\1/p' |
  grep -v -e '/lib/gcc/[^.]*/include$' -e '/include-fixed$')
clang-tidy -quiet "${mingw_args[@]}" -p build/x86_64 "${win32[@]}" 2>/dev/null || status=1
echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --enable=warning,style,performance,portability \
  --inline-suppr --std=c++20 -I . --suppress=missingIncludeSystem \
  --suppress=unusedFunction --suppress=badBitmaskCheck --suppress=useStlAlgorithm "${core[@]}" || status=1
exit $status
