#!/usr/bin/env bash
# Installs what is missing, builds all three targets and runs every test: native unit tests
# (under AddressSanitizer and UBSan), the 32-bit build's checks, and the Windows-level and
# end-to-end tests of the 64-bit build under Xvfb + Wine; then the static checks of the core
# and a short fuzz run of every parser. Closes with how each run of the 32-bit program went:
# natively, emulated or not at all, and why.
# Usage: test.sh   (as root, or as a user who may use sudo for the package installation)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Every session of a 32-bit program says in its test's output how the program ran (a line of
# its own, or after unittest's test name); ctest keeps the output of passed tests only in its
# log.
i686_report() {
  local log target
  for target in i686 x86_64; do
    log="$root/build/$target/Testing/Temporary/LastTest.log"
    [ -f "$log" ] || continue
    awk '/^[0-9]+\/[0-9]+ Testing: / { name = $3 }
         /32-bit program: / {
           sub(/^.*32-bit program: /, "")
           printf "  %-24s %s\n", name, $0
         }' "$log"
  done
}

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
echo "== how the 32-bit program ran"
i686_report
exit $status
