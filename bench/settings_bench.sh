#!/usr/bin/env bash
# Edit-configuration benchmarks: reading every setting, writing the banner alone and writing
# every setting through qro4000-sim on a pseudo-terminal, paced at each speed.
#
#   bench/settings_bench.sh [BUILD_DIR] [SPEED...]     (default: build, 230400 115200 38400 9600)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true
speeds=("$@")
[ ${#speeds[@]} -gt 0 ] || speeds=(230400 115200 38400 9600)

for program in "$build/bench/bench_settings_wire" "$build/qro4000-sim"; do
  if [ ! -x "$program" ]; then
    echo "missing $program: cmake --build $build --target bench_settings_wire qro4000-sim" >&2
    exit 1
  fi
done

echo "== Settings through qro4000-sim on a pseudo-terminal (the amplifier answers after 1 ms)"
echo "turn = (time - line time) per write: the amplifier's delay and the program's reaction"
printf "%-10s %7s %6s %6s %9s %9s %9s %11s\n" "sequence" "bit/s" "sent" "recv" "writes" "time s" "line s" "turn ms"
status=0
for speed in "${speeds[@]}"; do
  "$build/bench/bench_settings_wire" --sim "$build/qro4000-sim" --baud "$speed" --delay 1 || status=1
done
exit $status
