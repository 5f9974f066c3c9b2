#!/usr/bin/env bash
# Runs scripts/check-layers.sh on small made-up trees, one offending (or harmless)
# file per row, and checks its exit status, how many includes it lists and what
# it says about them. Usage: check_layers_test.sh [path/to/check-layers.sh]
set -uo pipefail
check=${1:-$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A stand-in for Qt's include directory: one header per module is enough.
MakeBase() {  # dir
  local d=$1 f
  for f in qt/QtCore/QString qt/QtCore/QFile qt/QtCore/QtCore qt/QtGui/QImage qt/QtGui/QPainter \
           qt/QtWidgets/QWidget qt/QtPrintSupport/QPrinter \
           src/record/RecordFormat.h src/formats/Formats.h src/gfx/Image.h src/display/ViewGeometry.h \
           src/display/Local.h src/measure/Overlay.h src/output/PrintPage.h src/app/SdiAppForm.h \
           tools/cli/Cli.h tests/support/Helper.h; do
    mkdir -p "$d/$(dirname "$f")"
    : > "$d/$f"
  done
}

# file | its text (\n between lines) | exit status | includes listed | words the listing must hold
rows=(
  'src/record/R.cpp|#include "record/RecordFormat.h"\n#include <QString>\n#include <QtCore>\n#include <vector>|0|0|'
  'src/record/Up.cpp|#include "gfx/Image.h"|1|1|src/record/Up.cpp:1: #include "gfx/Image.h": record may not include gfx'
  'src/record/Gui.cpp|#include <QString>\n#include <QImage>|1|1|src/record/Gui.cpp:2: #include <QImage>: record uses only QtCore, and this is QtGui'
  'src/record/Spaced.h|#pragma once\n  #  include   "display/ViewGeometry.h"|1|1|Spaced.h:2: #include "display/ViewGeometry.h": record may not include display'
  'src/record/Comment.cpp|// #include "gfx/Image.h"\nint x = 0;|0|0|'
  'src/record/Two.cpp|#include "app/SdiAppForm.h"\n#include <QWidget>|1|2|record uses only QtCore, and this is QtWidgets'
  'src/formats/F.cpp|#include "record/RecordFormat.h"\n#include <QFile>\n#include <edflib.h>|0|0|'
  'src/formats/G.cpp|#include <QtGui/QImage>|1|1|formats uses only QtCore, and this is QtGui'
  'src/formats/D.cpp|#include "display/ViewGeometry.h"|1|1|formats may not include display'
  'src/gfx/G.cpp|#include "gfx/Image.h"\n#include <QPainter>|0|0|'
  'src/gfx/Rec.cpp|#include "record/RecordFormat.h"|1|1|gfx may not include record (allowed: nothing of ours)'
  'src/gfx/Rel.cpp|#include "../display/ViewGeometry.h"|1|1|src/gfx/Rel.cpp:1: #include "../display/ViewGeometry.h": gfx may not include display'
  'src/display/D.cpp|#include "gfx/Image.h"\n#include "record/RecordFormat.h"\n#include "Local.h"|0|0|'
  'src/display/Up.cpp|#include "measure/Overlay.h"|1|1|display may not include measure'
  'src/display/Out.cpp|#include "../../tests/support/Helper.h"|1|1|tests/support/Helper.h is outside src/ and tools/'
  'src/measure/M.cpp|#include "display/ViewGeometry.h"\n#include "record/RecordFormat.h"\n#include <QPainter>|0|0|'
  'src/measure/Up.cpp|#include "output/PrintPage.h"|1|1|measure may not include output'
  'src/measure/W.cpp|#include <QtWidgets/QWidget>|1|1|measure may not use QtWidgets'
  'src/output/O.cpp|#include "measure/Overlay.h"\n#include <QPrinter>\n#include <QImage>|0|0|'
  'src/output/W.cpp|#include <QWidget>|1|1|output may not use QtWidgets'
  'src/output/F.cpp|#include "formats/Formats.h"|0|0|'
  'src/formats/O.cpp|#include "output/PrintPage.h"|1|1|formats may not include output'
  'src/output/App.cpp|#include <app/SdiAppForm.h>|1|1|output may not include app'
  'tools/x/T.cpp|#include "formats/Formats.h"\n#include "cli/Cli.h"\n#include "output/PrintPage.h"\n#include <QPrinter>|0|0|'
  'tools/x/A.cpp|#include "app/SdiAppForm.h"|1|1|tools may not include app'
  'tools/x/W.cpp|#include <QWidget>|1|1|tools may not use QtWidgets'
  'src/app/A.cpp|#include <QWidget>\n#include "output/PrintPage.h"\n#include "formats/Formats.h"\n#include "cli/Cli.h"|1|1|src/app/A.cpp:4: #include "cli/Cli.h": app may not include tools'
  'src/app/Gen.cpp|#include "Window.moc"\n#include "ProgramInfo.h"|0|0|'
  'src/newlayer/N.cpp|int n = 0;|1|1|src/newlayer/N.cpp: in no known layer'
)

MakeBase "$scratch/base"
failures=0
Fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}

n=0
for row in "${rows[@]}"; do
  IFS='|' read -r file text status count words <<<"$row"
  n=$((n + 1))
  tree="$scratch/case$n"
  cp -R "$scratch/base" "$tree"
  mkdir -p "$tree/$(dirname "$file")"
  printf '%b\n' "$text" > "$tree/$file"
  out=$("$check" --qt-headers "$tree/qt" "$tree" 2>&1)
  got=$?
  listed=$(grep -c ': #include \|: in no known layer' <<<"$out")
  [ "$got" = "$status" ] || Fail "$file: exit $got, expected $status; output:"$'\n'"$out"
  [ "$listed" = "$count" ] || Fail "$file: $listed includes listed, expected $count; output:"$'\n'"$out"
  if [ -n "$words" ] && ! grep -qF -- "$words" <<<"$out"; then
    Fail "$file: output lacks '$words'; output:"$'\n'"$out"
  fi
done

# No Qt headers where it looks: a usage error, never a pass.
MakeBase "$scratch/noqt"
out=$("$check" --qt-headers "$scratch/nowhere" "$scratch/noqt" 2>&1)
got=$?
[ "$got" = 2 ] || Fail "missing Qt headers: exit $got, expected 2 ($out)"

# No sources at all: nothing was checked, so no pass either.
mkdir -p "$scratch/empty/qt/QtCore" && : > "$scratch/empty/qt/QtCore/QString"
out=$("$check" --qt-headers "$scratch/empty/qt" "$scratch/empty" 2>&1)
got=$?
[ "$got" = 2 ] || Fail "empty tree: exit $got, expected 2 ($out)"

if [ "$failures" -gt 0 ]; then
  echo "$failures failed check(s) in $((n + 2)) layer-check cases"
  exit 1
fi
echo "all $((n + 2)) layer-check cases passed"
