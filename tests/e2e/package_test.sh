#!/usr/bin/env bash
# The built Debian package, unpacked into a temporary root: its programs run from there, the
# command line finds the simulated amplifier, and every manual page reads without a warning,
# qro4000(1) naming every command of "qro4000 --help".
# Skips (exit 77) while the build directory holds no package, or only one older than the
# programs: bash scripts/package.sh makes it.
set -euo pipefail
build=${1:?usage: package_test.sh BUILD_DIR}
skip() { echo "SKIP: $* (bash scripts/package.sh makes it)"; exit 77; }
deb=$(ls -t "$build"/qro4000-utility_*.deb 2>/dev/null | head -n 1 || true)
[ -n "$deb" ] || skip "no qro4000-utility_*.deb in $build"
[ ! "$build/qro4000" -nt "$deb" ] || skip "$deb is older than the programs in $build"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin=$root/usr/bin
# The programs keep their settings in the user's folders: a home of their own here.
export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
mkdir -p "$HOME"
fail() { echo "FAIL: $*" >&2; exit 1; }

package_version=$(dpkg-deb -f "$deb" Version)
for program in qro4000 qro4000-sim qro4000-utility; do
  [ -x "$bin/$program" ] || fail "$program is not in the package's /usr/bin"
  version=$("$bin/$program" --version) || fail "$program --version failed"
  [[ $version == "QRO4000 Utility "*" $package_version"* ]] ||
    fail "$program --version printed \"$version\", the package is $package_version"
done

info=$("$bin/qro4000" -p SIM info 2>/dev/null) || fail "qro4000 -p SIM info failed"
grep -q '^Serial number: *[0-9]' <<<"$info" || fail "qro4000 -p SIM info printed no serial number: $info"

unit=$root/usr/lib/systemd/system/qro4000-serve@.service
grep -q '^ExecStart=/usr/bin/qro4000 -p %f serve$' "$unit" || fail "$unit does not start /usr/bin/qro4000 serve"

pages=("$root"/usr/share/man/man1/*.1.gz)
[ ${#pages[@]} -eq 3 ] || fail "expected 3 manual pages, found ${#pages[@]}: ${pages[*]}"
for page in "${pages[@]}"; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l $page failed"
  [ -z "$warnings" ] || fail "man -l $page: $warnings"
done
manual=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/qro4000.1.gz" 2>/dev/null)
# A command's name: the row's first words up to its first argument ("firmware load [FILE]")
# or the gap before its summary.
# The help is read whole first: awk leaves at the list's end, and a program still writing into
# the pipe then would fail the pipeline.
help=$("$bin/qro4000" --help) || fail "qro4000 --help failed"
commands=$(awk '/^Commands:/ { on = 1; next } on && /^$/ { exit }
  on { sub(/^  /, ""); sub(/  .*/, ""); n = split($0, w, " "); name = ""
       for (i = 1; i <= n && w[i] ~ /^[a-z][a-z0-9-]*$/; ++i) name = name (i > 1 ? " " : "") w[i]; print name }' <<<"$help")
[ -n "$commands" ] || fail "qro4000 --help lists no commands"
while read -r command; do
  grep -q "^   $command\$" <<<"$manual" || fail "qro4000(1) has no section for \"$command\""
done <<<"$commands"
echo "OK: $(basename "$deb"): $(wc -l <<<"$commands") commands in qro4000(1)"
