#!/usr/bin/env bash
# Static checks of the portable core: formatting, clang-tidy and cppcheck.
# Needs build/native/compile_commands.json (scripts/build.sh native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t core < <(git ls-files 'tray/*.cpp' 'dialogs/*.cpp' 'resources/*.cpp')
mapfile -t formatted < <(git ls-files '*.cpp' '*.h' | grep -v '^tools/hlpgen/')
status=0
echo "== clang-format"
clang-format --dry-run --Werror "${formatted[@]}" || status=1
echo "== clang-tidy"
clang-tidy -quiet --extra-arg=-Wno-unknown-warning-option -p build/native "${core[@]}" 2>/dev/null || status=1
echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --enable=warning,style,performance,portability \
  --inline-suppr --std=c++20 -I . --suppress=missingIncludeSystem \
  --suppress=unusedFunction --suppress=badBitmaskCheck --suppress=useStlAlgorithm "${core[@]}" || status=1
exit $status
