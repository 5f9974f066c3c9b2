#!/usr/bin/env bash
# Sets up, builds and runs every test: the layout of the sources, the release build's suite through
# CTest, clang-tidy on src/ and tools/, the same suite under AddressSanitizer
# and UndefinedBehaviorSanitizer (a clang build that also holds the libFuzzer
# targets), then a short libFuzzer run of every file reader.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/setup.sh cups printer-driver-cups-pdf poppler-utils clang libclang-rt-14-dev \
  desktop-file-utils appstream shared-mime-info xdg-utils libglib2.0-bin man-db gtk-update-icon-cache dicom3tools \
  clang-format clang-tidy
# The end-to-end print test needs the queue: a failure to make it stops here.
scripts/print-queue.sh
# A test whose tool or service is missing fails instead of skipping (tests/support/Require.h).
export CORVALE_REQUIRE_ALL=1

echo "== layout of the sources"
scripts/check-format.sh

# clang-tidy reads only the sources and the release build's compile commands:
# it runs beside the tests, which leave the processors idle while they wait
# for windows, timers and the print queue. Its report comes after them.
tidy_log=$(mktemp)
scripts/check-tidy.sh >"$tidy_log" 2>&1 &
tidy=$!
trap 'kill "$tidy" 2>/dev/null || true; rm -f "$tidy_log"' EXIT

echo "== tests"
ctest --preset release

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== clang-tidy"
tidy_status=0
wait "$tidy" || tidy_status=$?
cat "$tidy_log"
[ "$tidy_status" -eq 0 ] || exit "$tidy_status"

echo "== fuzzing every file reader for 60 s"
scripts/fuzz.sh 60
