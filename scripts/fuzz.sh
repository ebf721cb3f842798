#!/usr/bin/env bash
# Builds the libFuzzer targets into build/fuzz (clang, WEXLA_FUZZ=ON) and runs each of them.
# Usage: fuzz.sh [seconds-per-target]   (default 60: the short run)
#        fuzz.sh --long                 (10 million executions per target)
# Prints target, executions and crashes per target; exits non-zero when any target crashed.
# Crash inputs are kept in build/fuzz/artifacts/<target>/, grown corpora in build/fuzz/corpus/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
long_runs=10000000
default_seconds=60

mode=time
seconds=$default_seconds
case "${1:-}" in
  --long) mode=runs ;;
  "") ;;
  *[!0-9]* | 0) echo "usage: $0 [seconds-per-target | --long]" >&2; exit 2 ;;
  *) seconds=$1 ;;
esac

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DWEXLA_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzz_all -j "$(nproc)" >/dev/null

if [[ $mode == runs ]]; then
  limit=(-runs=$long_runs)
else
  limit=(-max_total_time="$seconds")
fi

declare -a summary
status=0
while IFS='|' read -r name binary seeds max_len; do
  [[ -n $name ]] || continue
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  before=$(find "$artifacts" -type f | wc -l)
  IFS=':' read -r -a seed_dirs <<<"$seeds"
  echo "== $name (${limit[*]})"
  rc=0
  # The first directory receives new inputs; the checked-in seeds stay untouched.
  "$binary" "${limit[@]}" -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "${seed_dirs[@]}" >"$log" 2>&1 || rc=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  crashes=$(($(find "$artifacts" -type f | wc -l) - before))
  if ((rc != 0)); then
    ((crashes > 0)) || crashes=1
    status=1
    echo "   FAILED (exit $rc), see $log"
    grep -m 5 -E 'ERROR|runtime error|Test unit written' "$log" || true
  fi
  summary+=("$(printf '%-16s %14s %10s %8s' "$name" "${executions:-?}" "${rate:-?}" "$crashes")")
done <"$build/fuzz_targets.txt"

printf '\n%-16s %14s %10s %8s\n' target executions exec/s crashes
printf '%s\n' "${summary[@]}"
exit $status
