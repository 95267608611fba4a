#!/usr/bin/env bash
# Installs what is needed, builds everything into build/ and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
cd "$here/build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j2 --timeout 600 "$@"
