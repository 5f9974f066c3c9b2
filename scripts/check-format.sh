#!/usr/bin/env bash
# Checks that every C++ source in src/, tools/, tests/, bench/ and fuzz/ is laid out
# as .clang-format says; lists each place that differs and exits 1 if any does.
# Fix a file with: clang-format-14 -i FILE
# Usage: scripts/check-format.sh [ROOT]   (CLANG_FORMAT=path to use another binary)
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
format=${CLANG_FORMAT:-$(command -v clang-format-14 || command -v clang-format || true)}
if [ -z "$format" ]; then
  echo "check-format: clang-format (14) is not installed" >&2
  exit 2
fi
if [ ! -f "$root/.clang-format" ]; then
  echo "check-format: no .clang-format in $root" >&2
  exit 2
fi
cd "$root"
mapfile -d '' files < <(find src tools tests bench fuzz -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) \
                          -print0 2>/dev/null | sort -z)
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no sources under $root" >&2
  exit 2
fi
# --dry-run --Werror: one "code should be clang-formatted" error per differing place.
out=$("$format" --style=file --dry-run --Werror "${files[@]}" 2>&1) || true
# Keep only the diagnostic lines (the tool also echoes the source line and a caret).
found=$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (error|warning): ' <<<"$out" || true)
if [ -n "$found" ]; then
  sed -E 's/: error: code should be clang-formatted \[-Wclang-format-violations\]$//' <<<"$found"
  echo "check-format: $(wc -l <<<"$found") place(s) in $(cut -d: -f1 <<<"$found" | sort -u | wc -l) file(s)" \
       "differ from .clang-format (${#files[@]} files checked)"
  exit 1
fi
echo "check-format: ${#files[@]} files match .clang-format"
