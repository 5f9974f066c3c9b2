#!/usr/bin/env bash
# Sets up, builds and starts the viewer in the bundled samples/ directory.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
cd "$here/samples"
exec "$here/build/src/app/corvale"
