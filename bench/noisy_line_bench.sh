#!/usr/bin/env bash
# Noisy-line benchmark, as a user meets it: qro4000 against qro4000-sim on a pseudo-terminal,
# paced at the line's bit rate. A configuration save and a restore at 115200 bit/s, clean, with
# 5 % of the answers lost (--drop-rate 0.05) and with one byte in a thousand damaged
# (--corrupt-rate 0.001); a firmware load at 38400 bit/s, clean and with 5 % of the boot
# loader's acknowledgements lost (--drop-ack-rate 0.05). Each time is shown as a ratio to the
# clean run of the same invocation. Every result is checked byte for byte against the
# simulated amplifier's own memory and flash (qro4000-sim --dump): the saved file against the
# memory it was read from, the memory after a restore against the file, the flash against the
# image. Goals: save and restore 1.5 or less with lost answers, 2.5 or less with damaged bytes.
#
#   bench/noisy_line_bench.sh [BUILD_DIR] [FIRMWARE_KIB]   (defaults: build, 64)
#   RUNS="save restore" bench/noisy_line_bench.sh           (the groups to run; default all three)
# It takes several minutes: every run goes at the line's real speed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
firmware_kib=${2:-64}
cli=$build/qro4000
sim=$build/qro4000-sim
for program in "$cli" "$sim"; do
  if [ ! -x "$program" ]; then
    echo "missing $program: cmake --build $build --target qro4000 qro4000-sim" >&2
    exit 1
  fi
done

work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The runs keep their settings (port, folders) away from the user's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
mkdir -p "$HOME"

# Starts qro4000-sim with the given options and sets $pty; its memory and flash are written to
# $work/dump.eeprom and $work/dump.flash when it is stopped.
start_sim() {
  rm -f "$work/sim.out"
  "$sim" --dump "$work/dump" "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    pty=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
    [ -n "$pty" ] && return 0
    sleep 0.05
  done
  echo "qro4000-sim did not start: $(cat "$work/sim.err")" >&2
  exit 1
}
stop_sim() {
  kill -TERM "$sim_pid"
  wait "$sim_pid" || true
  sim_pid=
}

# Runs qro4000 on the simulator's terminal with --verbose; sets $seconds and $status, keeps its
# standard error in $work/err.
timed_cli() {
  local start end
  start=$(date +%s.%N)
  status=0
  "$cli" -p "$pty" --yes --verbose "$@" >"$work/out" 2>"$work/err" || status=$?
  end=$(date +%s.%N)
  seconds=$(awk "BEGIN { print $end - $start }")
}
retries() { grep -c -E "asking again|reading it again|writing it again|Packet for 0x.*\(try" "$work/err" || true; }

# The memory lines of a configuration file as raw bytes.
file_memory() {
  python3 - "$1" "$2" <<'EOF'
import sys
memory = bytearray(b'\xff' * 0x40000)
for line in open(sys.argv[1], encoding='latin-1'):
    parts = line.split()
    if len(parts) == 4 and parts[0] == 'MEM4':
        address = int(parts[1], 16)
        memory[address:address + int(parts[2], 16)] = bytes.fromhex(parts[3])
open(sys.argv[2], 'wb').write(memory)
EOF
}

# Prints one row; the first row of a group is the clean run the others are measured against.
row() { # name fault seconds retries exact
  local ratio
  if [ "$2" = clean ]; then clean=$3; fi
  ratio=$(awk "BEGIN { print $3 / $clean }")
  printf "%-9s %-22s %9.1f %7.2f %8s %6s\n" "$1" "$2" "$3" "$ratio" "$4" "$5"
}

faults=("clean" "--drop-rate 0.05" "--corrupt-rate 0.001")
runs=" ${RUNS:-save restore firmware} "
echo "Machine load at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-9s %-22s %9s %7s %8s %6s\n" "run" "fault" "seconds" "ratio" "retries" "exact"
failed=0

# Saves: seed 1, the memory the simulator held compared with the file. The restores need the
# clean save's file.
[[ $runs == *" save "* || $runs == *" restore "* ]] || faults=()
for fault in "${faults[@]}"; do
  options=(); [ "$fault" = clean ] || read -r -a options <<<"$fault"
  start_sim --baud 115200 --seed 1 "${options[@]}"
  timed_cli save-config "$work/save.cfg"
  stop_sim
  exact=no
  if [ "$status" = 0 ]; then
    file_memory "$work/save.cfg" "$work/save.bin"
    cmp -s "$work/save.bin" "$work/dump.eeprom" && exact=yes
    [ "$fault" = clean ] && cp "$work/save.cfg" "$work/reference.cfg"
  fi
  [ "$exact" = yes ] || failed=1
  row save "$fault" "$seconds" "$(retries)" "$exact"
done

# Restores of the clean file into a simulator holding another memory (seed 2), the memory
# afterwards compared with the file in the six regions a restore writes (0x10 to 0x37FFF).
[[ $runs == *" restore "* ]] && restores=("${faults[@]}") || restores=()
[ ${#restores[@]} -eq 0 ] || file_memory "$work/reference.cfg" "$work/reference.bin"
for fault in "${restores[@]}"; do
  options=(); [ "$fault" = clean ] || read -r -a options <<<"$fault"
  start_sim --baud 115200 --seed 2 "${options[@]}"
  timed_cli restore-config "$work/reference.cfg"
  stop_sim
  exact=no
  if [ "$status" = 0 ] && cmp -s -i 16 -n $((0x38000 - 16)) "$work/reference.bin" "$work/dump.eeprom"; then
    exact=yes
  fi
  [ "$exact" = yes ] || failed=1
  row restore "$fault" "$seconds" "$(retries)" "$exact"
done

# Firmware loads of a random image, the flash afterwards compared with it.
python3 - "$work/qro4000fw0154.hex" "$work/image.bin" "$firmware_kib" <<'EOF'
import random, sys
random.seed(99)
size = int(sys.argv[3]) * 1024
image = bytes(random.randrange(256) for _ in range(size))
open(sys.argv[2], 'wb').write(image)
def record(kind, address, data):
    body = bytes([len(data), address >> 8 & 0xFF, address & 0xFF, kind]) + data
    return ':' + (body + bytes([-sum(body) & 0xFF])).hex().upper() + '\r\n'
lines = []
for at in range(0, size, 32):
    if at % 0x10000 == 0:
        lines.append(record(4, 0, bytes([0x1D, at >> 16])))
    lines.append(record(0, at & 0xFFFF, image[at:at + 32]))
lines.append(':00000001FF\r\n')
open(sys.argv[1], 'w', newline='').write(''.join(lines))
EOF
loads=()
[[ $runs == *" firmware "* ]] && loads=("clean" "--drop-ack-rate 0.05")
for fault in "${loads[@]}"; do
  options=(); [ "$fault" = clean ] || read -r -a options <<<"$fault"
  start_sim --baud 38400 --revision-after-load 154 "${options[@]}"
  timed_cli firmware load "$work/qro4000fw0154.hex" --no-backup
  stop_sim
  exact=no
  if [ "$status" = 0 ] && cmp -s -n $((firmware_kib * 1024)) "$work/image.bin" "$work/dump.flash"; then
    exact=yes
  fi
  [ "$exact" = yes ] || failed=1
  row firmware "$fault" "$seconds" "$(retries)" "$exact"
done
echo "Machine load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $failed
