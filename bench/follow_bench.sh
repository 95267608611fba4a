#!/usr/bin/env bash
# Band following's latency: from a radio's band change to the amplifier reading the new band,
# with "qro4000 -p SIM serve" (QRO4000_SIM=transmit=off) following Debian's rigctld dummy radio
# (changed with rigctl) and then RadioInfo datagrams sent from here. The goals are 1.5 s for
# rigctld and 0.5 s for a datagram; each row is the time until the server logs the reading.
# Prints a table and the machine's load, since other work on the machine moves the figures.
#
#   bench/follow_bench.sh [BUILD_DIR] [CHANGES]   (default: build; 10)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
changes=${2:-10}
[ -x "$build/qro4000" ] || { echo "missing $build/qro4000: cmake --build $build --target qro4000" >&2; exit 1; }
command -v rigctld >/dev/null || { echo "rigctld is missing (Debian: libhamlib-utils)" >&2; exit 1; }

source "$(dirname "$0")/work_dir.sh"

now() { date +%s.%N; }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
# Waits until the log holds its n-th line with the text; prints the seconds since $2.
wait_for() {
  local text=$1 start=$2 count=$3
  for _ in $(seq 1000); do
    [ "$(grep -c -- "$text" "$work/serve.err" || true)" -ge "$count" ] && { echo "$start $(now)" | awk '{ printf "%.3f", $2 - $1 }'; return; }
    sleep 0.01
  done
  echo "timeout"
}
bands=("7074000 7" "14074000 14" "21074000 21" "3573000 3.5" "18100000 18")
summary() { sort -n | awk '{ v[NR] = $1 } END { printf "min %.3f  median %.3f  max %.3f  (%d changes)\n", v[1], v[int((NR + 1) / 2)], v[NR], NR }'; }

echo "== Band following; load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
rig=$(free_port)
rigctld -m 1 -P RIG -T 127.0.0.1 -t "$rig" >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
QRO4000_SIM=transmit=off "$build/qro4000" -p SIM serve --share off --follow-rig "127.0.0.1:$rig" 2>"$work/serve.err" &
pids+=($!)
for i in $(seq "$changes"); do
  set -- ${bands[$(( (i - 1) % ${#bands[@]} ))]}
  seen=$(grep -c -- "reads the $2 MHz band" "$work/serve.err" || true)
  start=$(now)
  rigctl -m 2 -r "127.0.0.1:$rig" F "$1"
  wait_for "reads the $2 MHz band" "$start" $((seen + 1))
  echo
done | summary | sed 's/^/rigctld (goal 1.5 s): /'
kill "${pids[@]}" 2>/dev/null || true
wait 2>/dev/null || true
pids=()

udp=$(free_port)
QRO4000_SIM=transmit=off "$build/qro4000" -p SIM serve --share off --follow-udp "$udp" 2>"$work/serve.err" &
pids+=($!)
for _ in $(seq 200); do grep -q "In contact" "$work/serve.err" && break; sleep 0.05; done
sleep 1
for i in $(seq "$changes"); do
  set -- ${bands[$(( (i - 1) % ${#bands[@]} ))]}
  seen=$(grep -c -- "reads the $2 MHz band" "$work/serve.err" || true)
  start=$(now)
  printf '<RadioInfo><RadioNr>1</RadioNr><Freq>%d</Freq></RadioInfo>' $(($1 / 10)) >"/dev/udp/127.0.0.1/$udp"
  wait_for "reads the $2 MHz band" "$start" $((seen + 1))
  echo
done | summary | sed 's/^/RadioInfo (goal 0.5 s): /'
