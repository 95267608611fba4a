#!/usr/bin/env bash
# Installs what the build and the tests need (Debian 12), then configures and builds into build/.
# Re-running it is quick: packages already present are not installed again, and the build is
# incremental.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev
  libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  srecord binutils
  clang libclang-rt-14-dev
  xvfb xauth
  python3-pyftpdlib
  ser2net
  python3-serial
  qt6-httpserver-dev qt6-websockets-dev
  libmosquitto-dev mosquitto mosquitto-clients
  libhamlib-utils libhamlib-dev netcat-openbsd
  chromium chromium-driver python3-selenium
)

# Scripts that need more (the package's tools) name them here.
read -r -a extra <<< "${EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "${SETUP_ONLY_PACKAGES:-0}" = 1 ]; then exit 0; fi

build_dir=${BUILD_DIR:-$here/build}
build_type=${BUILD_TYPE:-RelWithDebInfo}
werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DQRO_WERROR="$werror" ${CMAKE_EXTRA_ARGS:-} >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
