#!/usr/bin/env bash
# Builds the libFuzzer targets (the sanitizer build, build-asan/, with clang)
# and runs each for its fixed share of SECONDS of wall time (default 60), JOBS
# (default 2) at a time, from the committed seeds and with its format's
# dictionary; prints each target's inputs and inputs per second.
# Long run: nice -n 10 scripts/fuzz.sh 36000
# New inputs go to build-asan/corpus/, crashes to build-asan/crashes/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
jobs=${JOBS:-2}
cd "$here"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
out=build-asan

# target | seeds (fuzz/corpus/) | dictionary (fuzz/) | share of the time | longest input
# The longest inputs keep a whole EDF or DICOM record out of reach: its
# conversion to 500 Hz costs the same tens of milliseconds whatever the bytes
# (the WFDB target bounds that cost itself). No file within the readers' size
# limits needs an allocation of more than 64 MiB: a larger one is a length
# field taken as a size. DCMTK asks with new(nothrow) and refuses the file at
# once instead of mapping and poisoning gigabytes; a plain new or malloc of ours
# that large still stops the run (out of memory, or the null pointer used).
targets=(
  "edf_fuzz|edf|edf.dict|3|12288"
  "dicom_fuzz|dicom|dicom.dict|3|7168"
  "wfdb_fuzz|wfdb|wfdb.dict|3|8192"
  "record_fuzz|record||2|130000"
  "name_fuzz|name||1|256"
  "annotation_fuzz|annotation|annotation.dict|1|8192"
)

run() {  # target seeds dict seconds max_len
  local target=$1 seeds=$2 dict=$3 time=$4 max_len=$5
  mkdir -p "$out/corpus/$target" "$out/crashes/$target"
  cp -n fuzz/corpus/"$seeds"/* "$out/corpus/$target/" 2>/dev/null || true
  local args=(-max_total_time="$time" -max_len="$max_len" -rss_limit_mb=4096 -timeout=20 -print_final_stats=1
    -artifact_prefix="$out/crashes/$target/")
  [ -z "$dict" ] || args+=(-dict="fuzz/$dict")
  local status=0
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=64 UBSAN_OPTIONS=print_stacktrace=1 \
    "$out/fuzz/$target" "$out/corpus/$target" "${args[@]}" >"$out/$target.log" 2>&1 || status=$?
  local runs rate
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$target.log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/$target.log")
  printf '%-12s %5ss %10s inputs %7s/s\n' "$target" "$time" "${runs:-?}" "${rate:-?}"
  grep -E "ERROR|invariant|deadly signal|Test unit written" "$out/$target.log" | sed "s/^/$target: /" || true
  return $status
}

total=0
for t in "${targets[@]}"; do IFS='|' read -r _ _ _ share _ <<<"$t"; total=$((total + share)); done
# Each lane runs its targets one after another; a target goes to the lane with
# the least time so far.
declare -a lane_time lane_list
for ((l = 0; l < jobs; l++)); do lane_time[l]=0 lane_list[l]=""; done
for t in "${targets[@]}"; do
  IFS='|' read -r _ _ _ share _ <<<"$t"
  best=0
  for ((l = 1; l < jobs; l++)); do [ "${lane_time[l]}" -lt "${lane_time[best]}" ] && best=$l; done
  lane_time[best]=$((lane_time[best] + share))
  lane_list[best]+="$t;"
done
per_share=$((seconds * jobs / total))
[ "$per_share" -ge 1 ] || per_share=1

status=0
pids=()
for ((l = 0; l < jobs; l++)); do
  (
    lane_status=0
    IFS=';' read -r -a mine <<<"${lane_list[l]}"
    for t in "${mine[@]}"; do
      IFS='|' read -r target seeds dict share max_len <<<"$t"
      run "$target" "$seeds" "$dict" $((share * per_share)) "$max_len" || lane_status=1
    done
    exit $lane_status
  ) &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
if [ $status -ne 0 ]; then echo "fuzzing found a fault: see $out/*.log and $out/crashes/"; fi
exit $status
