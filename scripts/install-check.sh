#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks Corvelle as an installed desktop application: validates the desktop entry and the
# AppStream metadata, builds the Debian package from the build tree, installs it, runs the
# installed programs with a fresh home folder and checks that the settings landed in
# ~/.config/corvelle/. Removes the package and the folders it made at the end.
#   scripts/install-check.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
need=()
for p in desktop-file-utils appstream lintian; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

echo "== desktop-file-validate"
desktop-file-validate resources/desktop/*.desktop
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net resources/desktop/*.metainfo.xml

# The guide from the same source twice, pictures included: the same bytes, and those of the
# build's own guide.pdf (its date is the changelog's unless SOURCE_DATE_EPOCH says otherwise).
echo "== guide.pdf, built twice"
epoch=${SOURCE_DATE_EPOCH:-$(date -d "$(sed -n 's/^ -- .*>  //p' resources/debian/changelog | head -n1)" +%s)}
for n in 1 2; do
  out=$(mktemp -d /tmp/corvelle-guide-build-XXXXXX)
  QT_QPA_PLATFORM=offscreen "$build/tools/make_screens" "$out/shots" >/dev/null 2>&1
  QT_QPA_PLATFORM=offscreen SOURCE_DATE_EPOCH=$epoch "$build/tools/make_guide" \
    resources/guide/guide.html "$out/guide.pdf" "$out/shots" 2>/dev/null
  sums[n]=$(sha256sum <"$out/guide.pdf")
  rm -rf "$out"
done
echo "${sums[1]}"
echo "${sums[2]}"
echo "$(sha256sum <"$build/guide.pdf")  (the build's)"
if [ "${sums[1]}" != "${sums[2]}" ] || [ "${sums[1]}" != "$(sha256sum <"$build/guide.pdf")" ]; then
  echo "install check: guide.pdf is not reproducible" >&2
  exit 1
fi

echo "== cpack -G DEB"
rm -f "$build"/corvelle_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/corvelle_*.deb)
dpkg-deb -f "$deb" Depends

# A Debian reviewer's checks: no error or warning, pedantic ones included (informational
# notes are listed, not failed on).
echo "== lintian --pedantic"
lintian --pedantic -I --tag-display-limit 0 "$deb" 2>&1 | grep -v "root privileges" | tee "$build/lintian.txt" || true
if grep -q "^[EWP]:" "$build/lintian.txt"; then
  echo "install check: lintian found problems" >&2
  exit 1
fi

home=$(mktemp -d /tmp/corvelle-home-XXXXXX)
had=$(dpkg-query -W -f='${Status}' corvelle 2>/dev/null | grep -c "install ok installed" || true)
cleanup() {
  rm -rf "$home"
  [ "$had" = 1 ] || DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq corvelle >/dev/null 2>&1 || true
}
trap cleanup EXIT

echo "== apt-get install ./$(basename "$deb")"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
test -x /usr/bin/corvelle && test -x /usr/bin/corvelle-tidy
test -f /usr/share/corvelle/guide.pdf && test -f /usr/share/doc/corvelle/guide.pdf
test -f /usr/share/doc/corvelle/copyright && test -f /usr/share/doc/corvelle/changelog.gz
test -f /usr/share/applications/org.example.Corvelle.desktop

test -f /usr/share/zsh/vendor-completions/_corvelle-tidy
test -f /usr/share/fish/vendor_completions.d/corvelle-tidy.fish

echo "== corvelle-tidy --help, the versions and bash completion (installed)"
/usr/bin/corvelle-tidy --help | head -1
version=$(sed -n 's/^project(Corvelle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package=$(dpkg-query -W -f='${Version}' corvelle)
for got in "$(/usr/bin/corvelle --version)" "$(/usr/bin/corvelle-tidy --version)" \
  "$(zcat -f /usr/share/man/man1/corvelle-tidy.1* | head -1)" "corvelle $package"; do
  echo "$got"
  case $got in *"$version"*) ;; *) echo "install check: not version $version: $got" >&2; exit 1 ;; esac
done
bash -c '. /usr/share/bash-completion/completions/corvelle-tidy && complete -p corvelle-tidy'

echo "== corvelle offscreen with a fresh HOME, closed by SIGTERM"
env -u XDG_CONFIG_HOME -u XDG_STATE_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
  /usr/bin/corvelle >"$home/out.txt" 2>&1 &
pid=$!
sleep 3
kill -TERM "$pid"
wait "$pid" || true
if [ ! -f "$home/.config/corvelle/RUZO.INI" ]; then
  echo "install check: ~/.config/corvelle/RUZO.INI was not written" >&2
  cat "$home/out.txt" >&2
  exit 1
fi
test ! -e /usr/bin/RUZO.INI
head -3 "$home/.config/corvelle/RUZO.INI"

echo "== the installed program on X11 (Xvfb, at-spi) and Wayland (weston)"
scripts/desktop-check.sh /usr/bin/corvelle "$build/screenshots/installed"
echo "install check passed"
