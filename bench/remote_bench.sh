#!/usr/bin/env bash
# Remote station benchmark: a whole configuration save through ser2net with RFC 2217 on
# loopback against the same save over the pseudo-terminal directly, both from qro4000-sim
# paced at the line's bit rate. Prints a table of the times and their ratio (goal: 1.10 or
# less) and the machine's load, since other work on the machine moves the figures.
#
#   bench/remote_bench.sh [BUILD_DIR] [SPEED]     (default: build-release, else build; 115200)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
if [ -z "$build" ]; then
  build=$here/build-release
  [ -x "$build/qro4000" ] || build=$here/build
fi
speed=${2:-115200}
for program in "$build/qro4000" "$build/qro4000-sim"; do
  if [ ! -x "$program" ]; then
    echo "missing $program: cmake --build $build --target qro4000 qro4000-sim" >&2
    exit 1
  fi
done
ser2net=$(command -v ser2net || echo /usr/sbin/ser2net)
[ -x "$ser2net" ] || { echo "ser2net is not installed (Debian package ser2net)" >&2; exit 1; }

source "$(dirname "$0")/work_dir.sh"

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
listening() {
  grep -q "0100007F:$(printf '%04X' "$1") 00000000:0000 0A" /proc/net/tcp
}

"$build/qro4000-sim" --baud "$speed" --link "$work/amp" >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$work/amp" ] && break; sleep 0.05; done

# One save; prints its seconds. The file's memory lines are kept for the comparison.
save() {
  local port=$1 name=$2 start end
  start=$(date +%s.%N)
  "$build/qro4000" -p "$port" save-config "$work/$name.QRO4000Config" >/dev/null 2>"$work/$name.err" \
    || { echo "save through $port failed: $(tail -n 2 "$work/$name.err")" >&2; exit 1; }
  end=$(date +%s.%N)
  grep '^MEM4' "$work/$name.QRO4000Config" >"$work/$name.mem"
  echo "$start $end" | awk '{ printf "%.2f", $2 - $1 }'
}

# ser2net serving the pseudo-terminal with RFC 2217; extra connection options as arguments.
start_ser2net() {
  local port=$1 options=$2
  printf 'connection: &amp\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%s\n  connector: serialdev,%s,%sn81,local\n%s' \
    "$port" "$work/amp" "$speed" "$options" >"$work/ser2net-$port.yaml"
  "$ser2net" -n -d -c "$work/ser2net-$port.yaml" -P "$work/ser2net-$port.pid" >"$work/ser2net-$port.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do listening "$port" && return 0; sleep 0.05; done
  echo "ser2net does not listen on $port: $(cat "$work/ser2net-$port.log")" >&2
  exit 1
}

echo "== Configuration save at $speed bit/s, qro4000-sim paced; load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
direct=$(save "$work/amp" direct)
port_default=$(free_port)
start_ser2net "$port_default" ""
remote=$(save "rfc2217://127.0.0.1:$port_default" remote)
port_nodelay=$(free_port)
start_ser2net "$port_nodelay" "  options:
    chardelay: false
"
nodelay=$(save "rfc2217://127.0.0.1:$port_nodelay" nodelay)

status=0
printf "%-44s %9s %7s %s\n" "path" "time s" "ratio" "memory"
row() {
  local label=$1 seconds=$2 name=$3 same=same
  cmp -s "$work/direct.mem" "$work/$name.mem" || { same=DIFFERENT; status=1; }
  printf "%-44s %9s %7s %s\n" "$label" "$seconds" "$(echo "$seconds $direct" | awk '{ printf "%.3f", $1 / $2 }')" "$same"
}
row "pseudo-terminal directly" "$direct" direct
row "ser2net RFC 2217 (default chardelay)" "$remote" remote
row "ser2net RFC 2217 (chardelay: false)" "$nodelay" nodelay
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg); goal: ratio 1.10 or less"
exit $status
