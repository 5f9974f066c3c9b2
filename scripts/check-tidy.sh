#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) on every source in src/ and tools/,
# two at a time, and lists each finding once as file:line:col: check: message
# (a header's findings come once, however many sources include it). Exits 1 on
# any finding. Needs BUILD/compile_commands.json: `cmake --preset release`.
# Usage: scripts/check-tidy.sh [ROOT [BUILD]]   (JOBS=N to run N at once, default 2)
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
build=$(cd "${2:-$root/build}" 2>/dev/null && pwd) || { echo "check-tidy: no build directory ${2:-$root/build}" >&2; exit 2; }
tidy=${CLANG_TIDY:-$(command -v clang-tidy-14 || command -v clang-tidy || true)}
if [ -z "$tidy" ]; then
  echo "check-tidy: clang-tidy (14) is not installed" >&2
  exit 2
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-tidy: $build/compile_commands.json missing; configure with: cmake --preset release" >&2
  exit 2
fi

# The sources the build compiles.
mapfile -t files < <(grep -oE '"file": *"[^"]+"' "$build/compile_commands.json" | sed -E 's/^"file": *"(.*)"$/\1/' |
                     grep -E "^$root/(src|tools)/.*\.(cpp|cc)$" | sort -u)
if [ ${#files[@]} -eq 0 ]; then
  echo "check-tidy: $build/compile_commands.json lists no sources under $root/src or $root/tools" >&2
  exit 2
fi

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# One log per source, so that parallel runs cannot interleave their lines.
printf '%s\0' "${files[@]}" |
  xargs -0 -P "${JOBS:-2}" -I{} "$BASH" -c 'log=$(mktemp "$4/XXXXXXXX.log")
    "$1" -p "$2" --quiet "$3" > "$log" 2>&1 || echo "$3: clang-tidy failed (status $?)" >> "$log"' \
    _ "$tidy" "$build" {} "$logs"

# file:line:col: warning|error: message [check]  ->  normalised file, once each
found=$(cat "$logs"/*.log |
        sed -nE 's/^(\/[^:]+):([0-9]+):([0-9]+): (warning|error): (.*) \[([^]]+)\]$/\1\t\2:\3\t\6\t\5/p' |
        while IFS=$'\t' read -r file place check message; do
          printf '%s:%s: %s: %s\n' "$(realpath -m --relative-to="$root" "$file")" "$place" "$check" "$message"
        done | sort -u -t: -k1,1 -k2,2n -k3,3n -k4)
# A run that failed with no finding to show for it (an error without a check name,
# a crash) is a failure too.
broken=$( (grep -hE '^(/[^:]+):[0-9]+:[0-9]+: error: ' "$logs"/*.log | grep -v '\]$'
           [ -n "$found" ] || grep -h ': clang-tidy failed (status ' "$logs"/*.log) | sort -u || true)

if [ -n "$found" ] || [ -n "$broken" ]; then
  [ -z "$found" ] || echo "$found"
  [ -z "$broken" ] || echo "$broken"
  if [ -n "$found" ]; then
    echo "check-tidy: $(wc -l <<<"$found") finding(s) in ${#files[@]} sources:"
    cut -d' ' -f2 <<<"$found" | sort | uniq -c | sort -rn | sed 's/^ */  /; s/:$//'
  fi
  exit 1
fi
echo "check-tidy: ${#files[@]} sources, no findings"
