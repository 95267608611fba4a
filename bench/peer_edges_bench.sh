#!/usr/bin/env bash
# Hostile and unlucky serial device servers on loopback, against qro4000:
#  - peak memory while a server floods 2 GB of data (socket://) or of Telnet negotiations
#    (rfc2217://) at it (goal: under 50 MiB, and the contact ends with its own error);
#  - time from Ctrl+C to the program's end while it connects to a server that never accepts
#    (goal: under 0.5 s, exit status 130).
#
#   bench/peer_edges_bench.sh [BUILD_DIR]     (default: build-release, else build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
if [ -z "$build" ]; then
  build=$here/build-release
  [ -x "$build/qro4000" ] || build=$here/build
fi
cli=$build/qro4000
[ -x "$cli" ] || { echo "missing $cli: cmake --build $build --target qro4000" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is needed (Debian package time)" >&2; exit 1; }

source "$(dirname "$0")/work_dir.sh"
export HOME=$work

# A server that sends 2 GB of MODE ("data" or "telnet") and never reads; prints its port.
flood_server() {
  /usr/bin/python3 -u -c '
import socket, sys
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(4)
print(s.getsockname()[1], flush=True)
unit = b"x" * 65536 if sys.argv[1] == "data" else b"\xff\xfb\x00\xff\xfc\x00" * 10923
c, _ = s.accept()
sent = 0
try:
    while sent < 2 * 1024 ** 3:
        sent += c.send(unit)
except OSError:
    pass
' "$1" >"$work/port" &
  pids+=($!)
  while [ ! -s "$work/port" ]; do sleep 0.05; done
  cat "$work/port"
  rm -f "$work/port"
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-28s %12s %8s  %s\n' "flood" "peak MiB" "exit" "last line"
for mode in data:socket telnet:rfc2217; do
  port=$(flood_server "${mode%%:*}")
  set +e
  /usr/bin/time -f '%M' -o "$work/rss" "$cli" -p "${mode#*:}://127.0.0.1:$port" --timeout 60 info \
    >/dev/null 2>"$work/err"
  status=$?
  set -e
  kib=$(tail -1 "$work/rss")
  printf '%-28s %12.1f %8s  %s\n' "${mode#*:}:// ${mode%%:*}" "$(echo "$kib / 1024" | bc -l)" "$status" \
    "$(grep -v '^$' "$work/err" | tail -1 | cut -c1-60)"
done

# A listener whose one place in the queue is taken: further connections are never answered.
/usr/bin/python3 -u -c '
import socket, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(0)
c = socket.socket(); c.connect(s.getsockname())
print(s.getsockname()[1], flush=True)
time.sleep(600)
' >"$work/port" &
pids+=($!)
while [ ! -s "$work/port" ]; do sleep 0.05; done
port=$(cat "$work/port")
printf '\n%-28s %12s %8s\n' "Ctrl+C while connecting" "seconds" "exit"
for scheme in socket rfc2217; do
  for round in 1 2 3; do
    "$cli" -p "$scheme://127.0.0.1:$port" info >/dev/null 2>&1 &
    pid=$!
    sleep 1
    start=$(date +%s.%N)
    kill -INT "$pid"
    set +e
    wait "$pid"
    status=$?
    set -e
    end=$(date +%s.%N)
    printf '%-28s %12.3f %8s\n' "$scheme:// (round $round)" "$(echo "$end - $start" | bc -l)" "$status"
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
