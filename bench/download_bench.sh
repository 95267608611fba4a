#!/usr/bin/env bash
# File server download benchmarks against pyftpdlib on loopback: copying a full-size firmware
# file (a 512 KiB image as Intel HEX, about 1.4 MB) with "qro4000 firmware download" against
# fetching the same file with the curl command (connect, list, fetch: the same round trips),
# and how long Ctrl+C takes to end a copy in flight on a throttled server.
#
#   bench/download_bench.sh [BUILD_DIR] [RUNS]   (default: build, 5)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-5}
cli="$build/qro4000"
[ -x "$cli" ] || { echo "missing $cli: cmake --build $build --target qro4000" >&2; exit 1; }
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

# A server on a free port serving $1, throttled to $2 bytes/s (0: not at all); prints the port.
serve() {
  /usr/bin/python3 -u - "$1" "$2" > "$work/port.$2" 2>/dev/null <<'PY' &
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer
authorizer = DummyAuthorizer(); authorizer.add_anonymous(sys.argv[1])
FTPHandler.authorizer = authorizer
if int(sys.argv[2]) > 0:
    ThrottledDTPHandler.write_limit = int(sys.argv[2]); FTPHandler.dtp_handler = ThrottledDTPHandler
server = FTPServer(("127.0.0.1", 0), FTPHandler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
PY
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/port.$2" ] && break; sleep 0.1; done
  cat "$work/port.$2"
}

mkdir -p "$work/root/QRO4000/firmware"
/usr/bin/python3 - "$work/root/QRO4000/firmware/qro4000fw0160.hex" <<'PY'
import random, sys
random.seed(1)
lines = [":020000041D00DD"]
for a in range(0, 0x80000, 16):
    if a % 0x10000 == 0 and a:
        rec = [2, 0, 0, 4, 0x1D, a >> 16]
        lines.append(":" + "".join("%02X" % b for b in rec) + "%02X" % (-sum(rec) & 255))
    rec = [16, (a >> 8) & 255, a & 255, 0] + [random.randrange(256) for _ in range(16)]
    lines.append(":" + "".join("%02X" % b for b in rec) + "%02X" % (-sum(rec) & 255))
lines.append(":00000001FF")
open(sys.argv[1], "w").write("\r\n".join(lines) + "\r\n")
PY
size=$(stat -c %s "$work/root/QRO4000/firmware/qro4000fw0160.hex")
port=$(serve "$work/root" 0)
url="ftp://127.0.0.1:$port"

seconds() { date +%s.%N; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ours=(); peer=()
for i in $(seq "$runs"); do
  rm -rf "$work/out"
  t0=$(seconds); HOME=$work XDG_CONFIG_HOME=$work/config "$cli" firmware download --server "$url" --folder "$work/out" >/dev/null 2>&1; t1=$(seconds)
  cmp -s "$work/out/qro4000fw0160.hex" "$work/root/QRO4000/firmware/qro4000fw0160.hex" || { echo "copy differs" >&2; exit 1; }
  ours+=("$(minus "$t1" "$t0")")
  t0=$(seconds); curl -sS "$url/QRO4000/firmware/" -o /dev/null "$url/QRO4000/firmware/qro4000fw0160.hex" -o "$work/peer.hex"; t1=$(seconds)
  peer+=("$(minus "$t1" "$t0")")
done
o=$(printf '%s\n' "${ours[@]}" | median); p=$(printf '%s\n' "${peer[@]}" | median)
echo "== Copy of a full-size firmware file ($size bytes) on loopback, median of $runs runs"
printf '%-40s %8s s\n' "qro4000 firmware download (with check)" "$o" "curl: list + fetch" "$p"
printf '%-40s %8s\n' "ratio (goal: 1.5 or less)" "$(awk -v a="$o" -v b="$p" 'BEGIN { printf "%.2f", a / b }')"

slow=$(serve "$work/root" 50000)
echo
echo "== Ctrl+C during a copy from a server throttled to 50 kB/s (goal: under 1 s)"
rm -rf "$work/out"
HOME=$work XDG_CONFIG_HOME=$work/config "$cli" firmware download --server "ftp://127.0.0.1:$slow" --folder "$work/out" >/dev/null 2>&1 &
copy=$!
sleep 1.5
t0=$(seconds); kill -INT "$copy"; status=0; wait "$copy" || status=$?; t1=$(seconds)
printf '%-40s %8s s (exit %s, files left: %s)\n' "interrupt to exit" "$(minus "$t1" "$t0")" "$status" \
  "$(find "$work/out" -type f 2>/dev/null | wc -l)"
