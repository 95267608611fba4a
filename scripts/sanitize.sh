#!/usr/bin/env bash
# Builds the core and its unit tests with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs the unit tests there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
SETUP_ONLY_PACKAGES=1 bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQRO_SANITIZE=ON -DQRO_BUILD_GUI=OFF >/dev/null
cmake --build "$here/build-sanitize" -j"$(nproc)"
cd "$here/build-sanitize"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --output-on-failure -j2 --timeout 900 -E '^e2e\.'
