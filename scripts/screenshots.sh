#!/usr/bin/env bash
# Makes the README's pictures into docs/screenshots/: the main window's pages on the built-in
# simulated amplifier (the Operate page after 20 s of polling, so that its history has points),
# the Edit Configuration sheet, the fault table and the backup question. qro4000-screenshots
# runs on Qt's offscreen platform with settings of its own; no display is needed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cmake --build "$here/build" --target qro4000-screenshots
"$here/build/qro4000-screenshots" "$here/docs/screenshots"
