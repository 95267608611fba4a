#!/usr/bin/env bash
# Station server resources: CLIENTS RFC 2217 clients connect one after another, each asks for
# the signature and the line speed and sends a query, then leaves (every third without a
# word, by a reset). Prints the server's resident memory and open descriptors at the start and
# after every quarter: both must stay flat.
#
#   bench/station_clients_bench.sh [BUILD_DIR] [CLIENTS]   (default: build; 1000)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
clients=${2:-1000}
source "$(dirname "$0")/work_dir.sh"

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$build/qro4000" -p SIM serve --share "127.0.0.1:$port" >"$work/serve.out" 2>&1 &
server=$!
pids+=($server)
/usr/bin/python3 - "$server" "$port" "$clients" <<'PY'
import os, socket, struct, sys, time
pid, port, clients = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
IAC, SB, SE, WILL, COM = 255, 250, 240, 251, 44

def usage():
    rss = next(l for l in open("/proc/%d/status" % pid) if l.startswith("VmRSS")).split()[1]
    return int(rss), len(os.listdir("/proc/%d/fd" % pid))

for _ in range(100):
    try:
        socket.create_connection(("127.0.0.1", port)).close()
        break
    except OSError:
        time.sleep(0.1)
time.sleep(0.5)
print("%8s %10s %12s" % ("clients", "RSS kB", "descriptors"))
print("%8d %10d %12d" % ((0,) + usage()))
for n in range(1, clients + 1):
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(bytes([IAC, WILL, COM, IAC, SB, COM, 0, IAC, SE, IAC, SB, COM, 1]) + struct.pack(">I", 0)
              + bytes([IAC, SE]) + b"^sn;")
    s.settimeout(5)
    got = b""
    while b"^SN" not in got.upper():
        chunk = s.recv(4096)
        if not chunk:
            break
        got += chunk
    if n % 3 == 0:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    s.close()
    if n % (clients // 4) == 0:
        time.sleep(0.5)
        print("%8d %10d %12d" % ((n,) + usage()), flush=True)
PY
