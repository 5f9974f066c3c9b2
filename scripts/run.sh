#!/usr/bin/env bash
# Sets up, builds and starts the viewer on the bundled sample records: they
# fill the work list and the ECG tab shows the first one.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
cd "$here/samples"
exec "$here/build/src/app/corvale" -- *.nrm *.msd
