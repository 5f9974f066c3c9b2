#!/usr/bin/env bash
# Runs scripts/check-tidy.sh with the project's .clang-tidy on small made-up trees
# with their own compile_commands.json: clean code passes, a finding of each family
# fails and is listed once with its check, the checks left out stay quiet, and code
# outside src/ and tools/ is not examined. Usage: check_tidy_test.sh [PROJECT_ROOT]
# Skipped (exit 77) when clang-tidy is missing, failed under the test command.
set -uo pipefail
project=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
check=$project/scripts/check-tidy.sh
source "$project/tests/support/require.sh"
if ! command -v clang-tidy-14 >/dev/null && ! command -v clang-tidy >/dev/null; then missing clang-tidy; fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

MakeTree() {  # dir, then file=text pairs; every .cpp goes into compile_commands.json
  local tree=$1 pair file sep=""
  shift
  mkdir -p "$tree"
  cp "$project/.clang-tidy" "$tree/"
  mkdir -p "$tree/build"
  {
    echo "["
    for pair in "$@"; do
      file=${pair%%=*}
      mkdir -p "$tree/$(dirname "$file")"
      printf '%b\n' "${pair#*=}" > "$tree/$file"
      if [[ $file == *.cpp ]]; then
        printf '%s{ "directory": "%s/build", "command": "c++ -std=c++20 -I%s/src -c %s/%s", "file": "%s/%s" }\n' \
          "$sep" "$tree" "$tree" "$tree" "$file" "$tree" "$file"
        sep=","
      fi
    done
    echo "]"
  } > "$tree/build/compile_commands.json"
}

clean='#include <string>\n#include <vector>\nstd::size_t Total(const std::vector<std::string>& names) {\n  std::size_t n = 0;\n  for (const std::string& s : names) n += s.size();\n  return n;\n}'
copyLoop='#include <string>\n#include <vector>\nstd::size_t Total(const std::vector<std::string>& names) {\n  std::size_t n = 0;\n  for (const std::string s : names) n += s.size();\n  return n;\n}'
division='double Half(int n) { return n / 2; }\ndouble Ratio(int a, int b) { return a / b; }'
swappable='int Area(int left, int top, int right, int bottom) { return (right - left) * (bottom - top); }'
header='#pragma once\ninline double Third(int n) { return n / 3; }'
broken='int Broken() { return undeclared; }'

# case | files (file=text, separated by ^) | exit status | lines listed | words the listing must hold
rows=(
  "clean|src/a/Clean.cpp=$clean|0|0|no findings"
  "copy in a loop|src/a/Copy.cpp=$copyLoop|1|1|src/a/Copy.cpp:5:"
  "integer division|tools/x/Div.cpp=$division|1|2|tools/x/Div.cpp:2:37: bugprone-integer-division"
  "left-out check|src/a/Area.cpp=$swappable|0|0|no findings"
  "header once|src/a/Third.h=$header^src/a/One.cpp=#include \"a/Third.h\"\nint One() { return 1; }^src/a/Two.cpp=#include \"a/Third.h\"\nint Two() { return 2; }|1|1|src/a/Third.h:2:"
  "outside src and tools|tests/T.cpp=$division^src/a/Clean.cpp=$clean|0|0|no findings"
  "does not compile|src/a/Broken.cpp=$broken|1|1|src/a/Broken.cpp:1:"
)

failures=0
Fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}

n=0
for row in "${rows[@]}"; do
  IFS='|' read -r what files status count words <<<"$row"
  IFS='^' read -r -a pairs <<<"$files"
  n=$((n + 1))
  tree=$scratch/case$n
  MakeTree "$tree" "${pairs[@]}"
  out=$("$check" "$tree" "$tree/build" 2>&1)
  got=$?
  listed=$(grep -cE '^[^ ]+:[0-9]+:[0-9]+: ' <<<"$out")
  [ "$got" = "$status" ] || Fail "$what: exit $got, expected $status; output:"$'\n'"$out"
  [ "$listed" = "$count" ] || Fail "$what: $listed lines listed, expected $count; output:"$'\n'"$out"
  grep -qF -- "$words" <<<"$out" || Fail "$what: output lacks '$words'; output:"$'\n'"$out"
done

# No compilation database: an error, not a pass.
mkdir -p "$scratch/nodb/build" "$scratch/nodb/src/a"
"$check" "$scratch/nodb" "$scratch/nodb/build" >/dev/null 2>&1
got=$?
[ "$got" = 2 ] || Fail "no compile_commands.json: exit $got, expected 2"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s) in $((n + 1)) tidy-check cases"
  exit 1
fi
echo "all $((n + 1)) tidy-check cases passed"
