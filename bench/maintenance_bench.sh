#!/usr/bin/env bash
# Fault table benchmark: a full read of the fault log (index and 1024 entries) through qro4000-sim
# on a pseudo-terminal at each speed, as a ratio to the line time of the bytes exchanged.
#
#   bench/maintenance_bench.sh [BUILD_DIR] [SPEED...]     (default: build, 230400 115200 38400)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true
speeds=("$@")
[ ${#speeds[@]} -gt 0 ] || speeds=(230400 115200 38400)

for program in "$build/bench/bench_fault_table_wire" "$build/qro4000-sim"; do
  if [ ! -x "$program" ]; then
    echo "missing $program: cmake --build $build --target bench_fault_table_wire qro4000-sim" >&2
    exit 1
  fi
done

echo "== Fault table read through qro4000-sim on a pseudo-terminal (answers start at once)"
echo "ratio = time / line time of the bytes sent and received"
printf "%-11s %7s %8s %9s %9s %9s %9s %7s\n" "sequence" "bit/s" "entries" "sent" "received" "time s" "line s" "ratio"
status=0
for speed in "${speeds[@]}"; do
  "$build/bench/bench_fault_table_wire" --sim "$build/qro4000-sim" --baud "$speed" --delay 0 || status=1
done
exit $status
