#!/usr/bin/env bash
# Station server benchmark: a whole configuration save through "qro4000 serve" (RFC 2217 on
# loopback) against the same save on the pseudo-terminal directly (goal: 1.05 or less), then
# two Operate-style pollers through the server at once: whether each keeps its interval, and
# how much of the line they use (a poll cycle's time alone, times two, over the interval).
# qro4000-sim is paced at the line's bit rate. Prints a table and the machine's load, since
# other work on the machine moves the figures.
#
#   bench/station_bench.sh [BUILD_DIR] [SPEED] [INTERVAL_MS]   (default: build; 115200; 500)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
speed=${2:-115200}
interval=${3:-500}
cycles=20
for program in "$build/qro4000" "$build/qro4000-sim"; do
  [ -x "$program" ] || { echo "missing $program: cmake --build $build --target qro4000 qro4000-sim" >&2; exit 1; }
done

source "$(dirname "$0")/work_dir.sh"

now() { date +%s.%N; }
since() { echo "$1 $(now)" | awk '{ printf "%.2f", $2 - $1 }'; }

"$build/qro4000-sim" --baud "$speed" --link "$work/amp" >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$work/amp" ] && break; sleep 0.05; done

# One save; prints its seconds and keeps the file's memory lines for the comparison.
save() {
  local port=$1 name=$2 start
  start=$(now)
  "$build/qro4000" -p "$port" save-config "$work/$name.QRO4000Config" >/dev/null 2>"$work/$name.err" \
    || { echo "save through $port failed: $(tail -n 2 "$work/$name.err")" >&2; exit 1; }
  since "$start"
  grep '^MEM4' "$work/$name.QRO4000Config" >"$work/$name.mem"
}

# A monitor of $cycles cycles; prints its seconds.
poll() {
  local port=$1 every=$2 name=$3 start
  start=$(now)
  "$build/qro4000" -p "$port" monitor --count "$cycles" --interval "$every" >"$work/$name.out" 2>"$work/$name.err" \
    || { echo "monitor through $port failed: $(tail -n 2 "$work/$name.err")" >&2; exit 1; }
  since "$start"
}

echo "== Station server at $speed bit/s, qro4000-sim paced; load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
direct=$(save "$work/amp" direct)
"$build/qro4000" -p "$work/amp" serve --share 127.0.0.1:0 >"$work/serve.out" 2>"$work/serve.err" &
pids+=($!)
for _ in $(seq 200); do grep -q "In contact" "$work/serve.err" && break; sleep 0.05; done
url=$(head -n 1 "$work/serve.out")
shared=$(save "$url" shared)
cmp -s "$work/direct.mem" "$work/shared.mem" || { echo "the two saves differ" >&2; exit 1; }

# What every run spends before its first cycle (starting, contact), taken off each poller's time.
start=$(now)
"$build/qro4000" -p "$url" info >/dev/null 2>&1
startup=$(since "$start")
alone=$(poll "$url" 1 alone)
poll "$url" "$interval" first >"$work/first.time" &
second=$(poll "$url" "$interval" second)
wait "$!" 2>/dev/null || true
first=$(cat "$work/first.time")

printf '%-44s %10s\n' "measure" "value"
printf '%-44s %9ss\n' "save, pseudo-terminal directly" "$direct"
printf '%-44s %9ss\n' "save through qro4000 serve" "$shared"
printf '%-44s %10s\n' "ratio (goal <= 1.05)" "$(echo "$shared $direct" | awk '{ printf "%.3f", $1 / $2 }')"
per_cycle() { echo "$1 $startup" | awk -v n=$cycles '{ printf "%.0f", ($1 - $2) * 1000 / n }'; }
printf '%-44s %9ss\n' "start and contact of one client" "$startup"
printf '%-44s %9sms\n' "poll cycle alone through the server" "$(per_cycle "$alone")"
for name in first second; do
  printf '%-44s %9sms\n' "poller $name: interval kept (asked $interval)" "$(per_cycle "${!name}")"
done
printf '%-44s %9s%%\n' "line utilisation, two pollers" \
  "$(echo "$(per_cycle "$alone")" | awk -v i="$interval" '{ printf "%.0f", 2 * $1 / i * 100 }')"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
