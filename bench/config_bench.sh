#!/usr/bin/env bash
# Configuration save and restore benchmarks: the file writer and reader against a plain CRC-32
# pass, then a full save and a full restore through qro4000-sim on a pseudo-terminal at each
# speed, as a ratio to the line time of the bytes exchanged.
#
#   bench/config_bench.sh [BUILD_DIR] [SPEED...]     (default: build-release, 230400 115200 38400)
# The build directory should be a Release build with the bench targets and qro4000-sim.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-release}
shift || true
speeds=("$@")
[ ${#speeds[@]} -gt 0 ] || speeds=(230400 115200 38400)

for program in "$build/bench/bench_config_file" "$build/bench/bench_config_wire" "$build/qro4000-sim"; do
  if [ ! -x "$program" ]; then
    echo "missing $program: cmake --build $build --target bench_config_file bench_config_wire qro4000-sim" >&2
    exit 1
  fi
done

echo "== Configuration file"
"$build/bench/bench_config_file"
echo
echo "== Save and restore through qro4000-sim on a pseudo-terminal (answers start at once)"
echo "ratio = (time - pauses) / line time of the bytes sent and received; the goal is 1.05 or less"
printf "%-8s %7s %9s %9s %10s %8s %10s %7s %9s\n" "sequence" "bit/s" "sent" "received" "time s" "pauses" "line s" "ratio" "program s"
status=0
for speed in "${speeds[@]}"; do
  "$build/bench/bench_config_wire" --sim "$build/qro4000-sim" --baud "$speed" --delay 0 || status=1
done
exit $status
