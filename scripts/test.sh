#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest: the release build, the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer, then a
# short libFuzzer run of every file reader.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" cups printer-driver-cups-pdf poppler-utils clang libclang-rt-14-dev \
  desktop-file-utils appstream shared-mime-info xdg-utils libglib2.0-bin man-db dicom3tools clang-format clang-tidy
"$here/scripts/print-queue.sh" || echo "no print queue: the end-to-end print test will skip"

echo "== tests"
(cd "$here/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2)

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$here" -B "$here/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVALE_SANITIZE=ON \
  -DCORVALE_BUILD_BENCH=OFF >/dev/null
cmake --build "$here/build-asan"
(cd "$here/build-asan" && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure --timeout 900 -j2)

echo "== fuzzing every file reader for 60 s"
"$here/scripts/fuzz.sh" 60
