#!/usr/bin/env bash
# Builds the core and its unit tests with ThreadSanitizer into build-tsan/ and runs the tests of
# the code that works with other threads or processes: the firmware download (libcurl), the
# serial port and the station server. Not part of CI: it takes long and needs a quiet machine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
SETUP_ONLY_PACKAGES=1 bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRO_BUILD_GUI=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$here/build-tsan" -j"$(nproc)" --target unit_download unit_serial unit_station
cd "$here/build-tsan"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/scripts/tsan.supp"
ctest --output-on-failure -j2 --timeout 900 -R '^(download|serial|station)\.' "$@"
