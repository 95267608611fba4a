#!/usr/bin/env bash
# Makes the README's pictures: each tab of the main window on the built-in simulated amplifier,
# grabbed by the GUI test that shows them, into docs/screenshots/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cmake --build "$here/build" --target gui_tests
mkdir -p "$here/docs/screenshots"
QT_QPA_PLATFORM=offscreen QRO4000_SCREENSHOTS="$here/docs/screenshots" \
    "$here/build/tests/gui_tests" --gtest_filter='TabScreenshots.*'
ls -l "$here/docs/screenshots"
