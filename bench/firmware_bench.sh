#!/usr/bin/env bash
# Firmware benchmarks: reading a 512 KiB image's HEX file against srec_cat and objcopy, then a
# full 512 KiB load through qro4000-sim on a pseudo-terminal paced at 38400 bit/s (the boot
# loader's speed), as a ratio to the line time of the download's bytes.
#
#   bench/firmware_bench.sh [BUILD_DIR] [APP_SPEED...]   (default: build-release, 38400)
# The build directory should be a Release build with the bench targets and qro4000-sim.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-release}
shift || true
speeds=("$@")
[ ${#speeds[@]} -gt 0 ] || speeds=(38400)

for program in "$build/bench/bench_firmware_hex_parse" "$build/bench/bench_firmware_wire" "$build/qro4000-sim"; do
  if [ ! -x "$program" ]; then
    echo "missing $program: cmake --build $build --target bench_firmware_hex_parse bench_firmware_wire qro4000-sim" >&2
    exit 1
  fi
done

echo "== Intel HEX reading (goal: 3 x objcopy's MB/s or more)"
"$build/bench/bench_firmware_hex_parse" 20
echo
echo "== Full 512 KiB load through qro4000-sim on a pseudo-terminal (answers start at once)"
echo "ratio = download time / line time of its bytes at 38400 bit/s; the goal is 1.02 or less"
status=0
for speed in "${speeds[@]}"; do
  "$build/bench/bench_firmware_wire" --sim "$build/qro4000-sim" --baud "$speed" --delay 0 || status=1
done
exit $status
