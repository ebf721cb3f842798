#!/usr/bin/env bash
# Installs what is missing, builds all three targets and runs every test: native unit tests
# (under AddressSanitizer and UBSan), the package checks of both Windows builds, the
# Windows-level and end-to-end tests under Xvfb + Wine (in the 64-bit build, for both
# programs), the static checks of the core and a short fuzz run of the settings reader. Closes
# with how each run of the 32-bit program went: natively, or not run and why.
# Usage: test.sh   (as root, or as a user who may use sudo for the package installation)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# As many Wine tests as CPUs run at once: the native tests, the static checks and the fuzz run
# already run beside them.
jobs=$(nproc)
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

"$root/scripts/install-deps.sh" test
"$root/scripts/build.sh"

# Runs a step into a log of its own, shown when the step failed.
logged() {
  local name=$1
  shift
  local result=ok
  "$@" >"$logs/$name.log" 2>&1 || result=failed
  echo "$result" >"$logs/$name.rc"
}
# The CPU-bound steps (each on one CPU) run beside the Wine tests, which mostly wait on Wine
# and X; so do the 32-bit build's few tests.
background=("native tests" "static checks" "short fuzz run" "tests: i686")
(
  logged "native tests" ctest --test-dir "$root/build/native" --output-on-failure
  logged "static checks" "$root/scripts/lint.sh"
) &
logged "short fuzz run" "$root/scripts/fuzz.sh" 20 &
logged "tests: i686" ctest --test-dir "$root/build/i686" --output-on-failure -j "$jobs" &

status=0
echo "== tests: x86_64"
ctest --test-dir "$root/build/x86_64" --output-on-failure -j "$jobs" || status=1
wait
for step in "${background[@]}"; do
  echo "== $step: $(cat "$logs/$step.rc")"
  if [ "$(cat "$logs/$step.rc")" != ok ]; then
    cat "$logs/$step.log"
    status=1
  fi
done

# Every run of a 32-bit program says in its test's output how the program ran; ctest keeps
# the output of passed tests only in its log.
echo "== how the 32-bit program ran"
for target in i686 x86_64; do
  awk '/^[0-9]+\/[0-9]+ Testing: / { name = $3 }
       /32-bit program: / { sub(/^.*32-bit program: /, ""); printf "  %-32s %s\n", name, $0 }' \
    "$root/build/$target/Testing/Temporary/LastTest.log"
done
exit $status
