#!/usr/bin/env bash
# The desktop program polling for a long time, under heaptrack: qro4000-utility starts on the
# Operate page of the built-in simulated amplifier (settings of its own: port SIM, the Operate
# page shown last, the poll interval at its lowest) on Qt's offscreen platform and polls for
# MINUTES. Prints the resident memory and open descriptors every minute, then the heap in use
# (from heaptrack) at the start, the middle and the end: all must stay flat. The first cycles
# fill the pages' histories and the output window up to their bounds.
#
#   bench/desktop_poll_bench.sh [BUILD_DIR] [MINUTES] [INTERVAL_MS]   (default: build; 15; 100)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
minutes=${2:-15}
interval=${3:-100}
EXTRA_PACKAGES=heaptrack SETUP_ONLY_PACKAGES=1 bash "$here/scripts/setup.sh"
source "$(dirname "$0")/work_dir.sh"

mkdir -p "$XDG_CONFIG_HOME/Brimwell"
printf '[General]\nPort=SIM\nActivePage=2\nOperatePollInterval=%s\n' "$interval" \
  >"$XDG_CONFIG_HOME/Brimwell/QRO4000 Utility.conf"
# One cycle's length at this interval, from the command line on the same simulated amplifier
# (two runs, so that the contact before the first cycle drops out).
monitor_ns() {
  local start=$(date +%s%N)
  "$build/qro4000" -p SIM monitor --count "$1" --interval "$interval" >/dev/null 2>&1
  echo $(( $(date +%s%N) - start ))
}
period_ms=$(( ($(monitor_ns 60) - $(monitor_ns 10)) / 50000000 ))

QT_QPA_PLATFORM=offscreen heaptrack -o "$work/heap" "$build/qro4000-utility" \
  >"$work/heaptrack.out" 2>&1 &
pids+=($!)
app=
for _ in $(seq 100); do
  app=$(ps -o pid=,comm= --ppid "${pids[0]}" | awk '$2 == "qro4000-utility" { print $1 }' || true)
  [ -n "$app" ] && break
  sleep 0.1
done
[ -n "$app" ] || { cat "$work/heaptrack.out"; exit 1; }
printf '%8s %10s %12s\n' minute "RSS kB" descriptors
for m in $(seq 0 "$minutes"); do
  [ "$m" -gt 0 ] && sleep 60
  printf '%8d %10d %12d\n' "$m" "$(awk '/^VmRSS/ { print $2 }' "/proc/$app/status")" \
    "$(ls "/proc/$app/fd" | wc -l)"
done
kill "$app"
wait "${pids[0]}" || true
cycles=$(( minutes * 60000 / period_ms ))
echo "about $cycles poll cycles ($period_ms ms each), as many as $(( cycles * 300 / 60000 )) minutes at the default 300 ms"
heaptrack_print -f "$work"/heap.*zst -M "$work/massif" >"$work/print.txt"
grep -E '^(peak heap memory consumption|calls to allocation functions)' "$work/print.txt"
# The heap in use over the run, from the massif snapshots: the highest in each third.
/usr/bin/python3 - "$work/massif" <<'PY'
import re, sys
snaps = [(float(t), int(h)) for t, h in re.findall(r"time=([\d.]+)\nmem_heap_B=(\d+)", open(sys.argv[1]).read())]
end = snaps[-1][0]
for name, lo, hi in (("start", 0, 1 / 3), ("middle", 1 / 3, 2 / 3), ("end", 2 / 3, 1.01)):
    part = [h for t, h in snaps if lo * end <= t < hi * end]
    print("highest heap in use, %-6s third: %d kB" % (name, max(part) // 1024))
PY
