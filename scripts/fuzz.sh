#!/usr/bin/env bash
# Builds the libFuzzer targets (the sanitizer build, build-asan/, with clang)
# and runs all of them for SECONDS (default 60) at once, from the committed
# seeds. Long run: scripts/fuzz.sh 36000
# New inputs go to build-asan/corpus/, crashes to build-asan/crashes/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
cd "$here"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
out=build-asan

run() {  # target max_len
  local target=$1 max_len=$2
  mkdir -p "$out/corpus/$target" "$out/crashes/$target"
  cp -n fuzz/corpus/"${target%_fuzz}"/* "$out/corpus/$target/" 2>/dev/null || true
  local status=0
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$out/fuzz/$target" "$out/corpus/$target" -max_total_time="$seconds" -max_len="$max_len" \
    -rss_limit_mb=4096 -timeout=20 -print_final_stats=1 -artifact_prefix="$out/crashes/$target/" \
    > "$out/$target.log" 2>&1 || status=$?
  grep -E "^stat::number_of_executed_units|^Done|ERROR|invariant" "$out/$target.log" | sed "s/^/$target: /" || true
  return $status
}

status=0
run record_fuzz 130000 & a=$!
run wfdb_fuzz 40000 & b=$!
run name_fuzz 256 & c=$!
run edf_fuzz 140000 & d=$!
run dicom_fuzz 140000 & e=$!
run annotation_fuzz 65536 & f=$!
for pid in $a $b $c $d $e $f; do wait "$pid" || status=1; done
if [ $status -ne 0 ]; then echo "fuzzing found a fault: see $out/*.log and $out/crashes/"; fi
exit $status
