#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# corvelle.exe as a user starts it: under Wine with the windows platform on a virtual X
# display (Xvfb and a window manager). It must show its main window, close when the window
# manager asks, and write RUZO.INI beside itself. A picture of the desktop goes to SHOTS, and
# with make_screens.exe the guide's pictures are taken there too, as Windows draws them.
#   scripts/windows-window-check.sh build-win/corvelle.exe [SHOTS [make_screens.exe]]
# Wine's variables (WINEPREFIX …) come from the caller.
set -euo pipefail
exe=$(realpath "$1")
shots=${2:-build/screenshots/windows}
screens=${3:-}
mkdir -p "$shots"
shots=$(realpath "$shots")
rm -f "$shots/failed-start.png"
for tool in Xvfb openbox wmctrl xdpyinfo import; do
  if ! command -v "$tool" >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq xvfb openbox wmctrl x11-utils \
      imagemagick >/dev/null
    break
  fi
done
# The windows platform, not the offscreen one the tests use.
unset WINEQT_QPA_PLATFORM QT_QPA_PLATFORM

home=$(mktemp -d /tmp/corvelle-start-XXXXXX)
cp "$exe" "$home/corvelle.exe"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  # Wine's desktop process would outlive the display it was started on.
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
openbox >/dev/null 2>&1 &
# Wine draws through the desktop process of its running server: one started without a display
# (by wineboot, or the offscreen tests) cannot make windows. Start afresh on this display.
wineserver -k 2>/dev/null || true
wineserver -w

fail() {
  echo "windows-window-check: $*" >&2
  import -window root "$shots/failed-start.png" 2>/dev/null || true
  exit 1
}

(cd "$home" && exec wine "$home/corvelle.exe") &
pid=$!
# The main window: the window manager's client titled "Corvelle" (the splash has no title).
shown=""
for _ in $(seq 120); do
  shown=$(wmctrl -l -G 2>/dev/null | awk '$NF == "Corvelle" { print $5 "x" $6 }' | head -n 1 || true)
  [ -n "$shown" ] && break
  kill -0 "$pid" 2>/dev/null || fail "corvelle.exe ended before showing its window"
  sleep 0.5
done
[ -n "$shown" ] || fail "no main window within 60 seconds"
sleep 3  # let the tree and the list fill in, and the window take its size
shown=$(wmctrl -l -G 2>/dev/null | awk '$NF == "Corvelle" { print $5 "x" $6 }' | head -n 1 || true)
import -window root "$shots/main-window-desktop.png"
echo "main window shown: $shown"

wmctrl -F -c Corvelle
for _ in $(seq 60); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.5
done
if kill -0 "$pid" 2>/dev/null; then
  fail "corvelle.exe did not close when asked"
fi
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "corvelle.exe ended with status $status"
[ -f "$home/RUZO.INI" ] || fail "no RUZO.INI beside corvelle.exe"
grep -aq '^CurrentDirectory=' "$home/RUZO.INI" || fail "RUZO.INI lacks CurrentDirectory="
echo "closed on request; RUZO.INI written beside corvelle.exe ($(wc -c <"$home/RUZO.INI") bytes)"

if [ -n "$screens" ]; then
  WINEQT_QPA_PLATFORM=windows wine "$(realpath "$screens")" "$(winepath -w "$shots")" ||
    fail "make_screens.exe failed"
  echo "pictures: $(cd "$shots" && ls ./*.png | tr '\n' ' ')"
fi
