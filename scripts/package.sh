#!/usr/bin/env bash
# Builds the Debian package into build/: qro4000-utility_VERSION_ARCH.deb. Installs what it
# needs (Debian 12), builds with scripts/setup.sh, packs with CPack's DEB generator and checks
# the result with lintian, desktop-file-validate and appstreamcli.
#   sudo apt install ./build/qro4000-utility_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# What packing and checking need, installed by the set-up with everything else.
export EXTRA_PACKAGES="${EXTRA_PACKAGES:-} dpkg-dev fakeroot lintian man-db python3 librsvg2-bin desktop-file-utils appstream"

# The package's files name their places under /usr (the service's ExecStart).
CMAKE_EXTRA_ARGS="${CMAKE_EXTRA_ARGS:-} -DCMAKE_INSTALL_PREFIX=/usr" bash "$here/scripts/setup.sh"
build=${BUILD_DIR:-$here/build}
rm -f "$build"/qro4000-utility_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/qro4000-utility_*.deb)

desktop-file-validate "$here/packaging/org.qro4000.Utility.desktop"
appstreamcli validate --no-net "$here/packaging/org.qro4000.Utility.metainfo.xml" >/dev/null
# Errors fail the package; warnings are printed.
lintian --fail-on error "$deb"
echo "$deb ($(du -k "$deb" | cut -f1) KiB)"
