#!/usr/bin/env bash
# Runs scripts/check-format.sh with the project's .clang-format on small made-up
# trees: code in the house style passes, each kind of departure fails and is
# listed by file and line. Usage: check_format_test.sh [PROJECT_ROOT]
# Skipped (exit 77) when clang-format is not installed, failed under the test command.
set -uo pipefail
project=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
check=$project/scripts/check-format.sh
source "$project/tests/support/require.sh"
if ! command -v clang-format-14 >/dev/null && ! command -v clang-format >/dev/null; then missing clang-format; fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# House style: short ifs, loops and case labels on one line, 2-space indent, a line of exactly 120 columns.
clean='#include "layer/Clean.h"

#include <QString>
#include <algorithm>
#include <vector>

namespace corvale {

int Pick(int kind, int x) {
  if (x < 0) return 0;
  switch (kind) {
    case 1: return x;
    default: return -x;
  }
}

int Sum(const std::vector<int>& values) {
  int sum = 0;
  for (int v : values) sum += v;
  return sum;
}

int LongCalls(int alpha, int beta, int gamma, int delta) { return std::max({alpha, beta, gamma, delta, alpha + beta}); }

}  // namespace corvale'

Variant() {  # sed expression -> the clean text changed by it
  sed "$1" <<<"$clean"
}

# file (under the tree) | text | exit status | listed? (the file must appear as file:line:column)
rows=(
  "src/layer/Clean.cpp|$clean|0|"
  "tests/layer/Clean.h|$clean|0|"
  "src/layer/Indent.cpp|$(Variant 's/^  int sum = 0;/    int sum = 0;/')|1|listed"
  "tools/x/Long.cpp|$(Variant 's/LongCalls/LongCallsX/')|1|listed"
  "bench/Includes.cpp|$(Variant 's/#include <algorithm>/#include <zlib.h>/')|1|listed"
  "fuzz/Brace.cpp|$(Variant 's/^int Sum(const std::vector<int>& values) {/int Sum(const std::vector<int>\& values)\n{/')|1|listed"
  "src/layer/Pointer.h|$(Variant 's/const std::vector<int>& values/const std::vector<int> \&values/')|1|listed"
)

failures=0
Fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}

n=0
for row in "${rows[@]}"; do
  IFS='|' read -r -d '' file text status place <<<"$row"
  place=${place%$'\n'}
  n=$((n + 1))
  tree=$scratch/case$n
  mkdir -p "$tree/$(dirname "$file")"
  cp "$project/.clang-format" "$tree/"
  printf '%s\n' "$text" > "$tree/$file"
  # A second, clean file: only the departing one may be listed.
  mkdir -p "$tree/src/other" && printf '%s\n' "$clean" > "$tree/src/other/Fine.cpp"
  out=$("$check" "$tree" 2>&1)
  got=$?
  [ "$got" = "$status" ] || Fail "$file: exit $got, expected $status; output:"$'\n'"$out"
  if [ -n "$place" ] && ! grep -qE "^$file:[0-9]+:[0-9]+$" <<<"$out"; then Fail "$file: not listed:"$'\n'"$out"; fi
  if grep -q '^src/other/Fine.cpp' <<<"$out"; then Fail "$file: the clean file was listed:"$'\n'"$out"; fi
done

# Without the style file there is nothing to check against: an error, not a pass.
mkdir -p "$scratch/nostyle/src/layer" && printf '%s\n' "$clean" > "$scratch/nostyle/src/layer/Clean.cpp"
"$check" "$scratch/nostyle" >/dev/null 2>&1
got=$?
[ "$got" = 2 ] || Fail "no .clang-format: exit $got, expected 2"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s) in $((n + 1)) format-check cases"
  exit 1
fi
echo "all $((n + 1)) format-check cases passed"
