#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers on) and runs all of them for SECONDS (default 60) at once, from
# the committed seeds. Long run: scripts/fuzz.sh 36000
# New inputs go to build-fuzz/corpus/, crashes to build-fuzz/crashes/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
cd "$here"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target record_fuzz wfdb_fuzz name_fuzz

run() {  # target max_len
  local target=$1 max_len=$2
  mkdir -p "build-fuzz/corpus/$target" "build-fuzz/crashes/$target"
  cp -n fuzz/corpus/"${target%_fuzz}"/* "build-fuzz/corpus/$target/" 2>/dev/null || true
  local status=0
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build-fuzz/fuzz/$target" "build-fuzz/corpus/$target" -max_total_time="$seconds" -max_len="$max_len" \
    -rss_limit_mb=4096 -timeout=20 -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$target/" \
    > "build-fuzz/$target.log" 2>&1 || status=$?
  grep -E "^stat::number_of_executed_units|^Done|ERROR|invariant" "build-fuzz/$target.log" | sed "s/^/$target: /" || true
  return $status
}

status=0
run record_fuzz 130000 & a=$!
run wfdb_fuzz 40000 & b=$!
run name_fuzz 256 & c=$!
wait $a || status=1
wait $b || status=1
wait $c || status=1
if [ $status -ne 0 ]; then echo "fuzzing found a fault: see build-fuzz/*.log and build-fuzz/crashes/"; fi
exit $status
