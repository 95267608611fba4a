#!/usr/bin/env bash
# Builds the program and starts it on the built-in simulated amplifier (port SIM).
# Extra arguments go to the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
exec "$here/build/qro4000-utility" --port SIM "$@"
