#!/usr/bin/env bash
# Operate polling cost: the desktop program showing the Operate page, then "qro4000 monitor",
# each polling qro4000-sim on a pseudo-terminal at 115200 bit/s (paced like a real line) at
# the default 300 ms interval. Each is measured by its own CPU time (user + system, from
# /proc), not by wall time, so that other work on a shared machine does not count; the
# machine's load is printed beside the figures.
#
#   bench/operate_bench.sh [BUILD_DIR] [SECONDS]      (default: build, 60)
#
# Goals: under 2 % of one core, and under 0.2 ms of the program's own time per query.
# The desktop program runs on Qt's offscreen platform (it paints as on a screen, into memory);
# set BENCH_QPA=xcb and run under xvfb-run to measure it on an X server instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
seconds=${2:-60}
warmup=5

for program in qro4000-utility qro4000 qro4000-sim; do
  if [ ! -x "$build/$program" ]; then
    echo "missing $build/$program: cmake --build $build --target qro4000-utility qro4000 qro4000-sim" >&2
    exit 1
  fi
done

source "$(dirname "$0")/work_dir.sh"

# Settings and folders of their own: the page shown at start is Operate; nothing of the user's.
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Brimwell" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[General]\nActivePage=2\n' > "$XDG_CONFIG_HOME/Brimwell/QRO4000 Utility.conf"

clock_ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
commands() { cat "$work/stats" 2>/dev/null || echo 0; }

"$build/qro4000-sim" --link "$work/amp" --baud 115200 --stats-file "$work/stats" >/dev/null 2>"$work/sim.log" &
pids+=($!)
for _ in $(seq 50); do [ -e "$work/amp" ] && break; sleep 0.1; done
[ -e "$work/amp" ] || { echo "qro4000-sim did not start: $(cat "$work/sim.log")" >&2; exit 1; }

echo "== Operate polling at 115200 bit/s, 300 ms interval, ${seconds} s each"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
printf "%-26s %8s %9s %10s %12s %14s\n" "program" "seconds" "queries" "CPU s" "% of a core" "ms per query"

measure() {
  local name=$1
  shift
  "$@" >/dev/null 2>"$work/$name.log" &
  local pid=$!
  pids+=("$pid")
  sleep "$warmup"
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "$name ended early: $(tail -3 "$work/$name.log")" >&2
    return 1
  fi
  local c0 q0 c1 q1
  c0=$(cpu_ticks "$pid"); q0=$(commands)
  sleep "$seconds"
  c1=$(cpu_ticks "$pid"); q1=$(commands)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -v name="$name" -v s="$seconds" -v t=$((c1 - c0)) -v hz="$clock_ticks" -v q=$((q1 - q0)) 'BEGIN {
    cpu = t / hz
    printf "%-26s %8d %9d %10.2f %12.2f %14.4f\n", name, s, q, cpu, 100 * cpu / s, (q > 0 ? 1000 * cpu / q : 0) }'
}

QT_QPA_PLATFORM=${BENCH_QPA:-offscreen} measure "qro4000-utility (Operate)" "$build/qro4000-utility" --port "$work/amp"
sleep 1
measure "qro4000 monitor" "$build/qro4000" -p "$work/amp" monitor --interval 300
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
