#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a while
# (FUZZ_SECONDS, default 30) on a copy of its corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
SETUP_ONLY_PACKAGES=1 bash "$here/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQRO_FUZZ=ON -DQRO_BUILD_GUI=OFF -DQRO_BUILD_TESTS=OFF >/dev/null
cmake --build "$here/build-fuzz" -j"$(nproc)"
seconds=${FUZZ_SECONDS:-30}
for target in "$here"/build-fuzz/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  case "$target" in *_replay|*_autogen) continue ;; esac
  name=$(basename "$target")
  work=$(mktemp -d)
  cp -r "$here/fuzz/corpus/$name/." "$work/" 2>/dev/null || true
  echo "== $name ($seconds s)"
  "$target" -max_total_time="$seconds" -timeout=10 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done
