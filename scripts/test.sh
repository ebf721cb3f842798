#!/usr/bin/env bash
# Installs what is missing, builds all three targets and runs every test: native unit tests
# (under AddressSanitizer and UBSan), the 32-bit build's checks, and the Windows-level and
# end-to-end tests of the 64-bit build under Xvfb + Wine; then the static checks of the core
# and a short fuzz run of every parser.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test
"$root/scripts/build.sh"
status=0
for target in native i686 x86_64; do
  echo "== tests: $target"
  # Each end-to-end test has a display and prefix of its own: two run side by side.
  ctest --test-dir "$root/build/$target" --output-on-failure -j "$(nproc)" || status=1
done
echo "== static checks"
"$root/scripts/lint.sh" || status=1
echo "== short fuzz run"
"$root/scripts/fuzz.sh" 20 || status=1
exit $status
