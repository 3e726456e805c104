#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the window program as a desktop user meets it and checks it there:
#  - X11 (Xvfb + openbox) with a D-Bus session and the accessibility bus: the window's
#    identity (WM_CLASS, icon), what a screen reader meets and the Tab order (at-spi), the
#    rename dialog (no caption text; minimising it gives the window back at once), Ctrl+Q;
#  - Wayland (weston, headless): the program starts, says its app_id and saves its settings.
# Screenshots go to SHOTS. Skips, with the reason, what this machine cannot run.
#   scripts/desktop-check.sh [PROGRAM] [SHOTS]
set -euo pipefail
cd "$(dirname "$0")/.."
prog=$(readlink -f "${1:-build/corvelle}")
shots=$(readlink -f "${2:-build/screenshots/desktop}")
app_id=org.example.Corvelle
mkdir -p "$shots"

if [ -z "${CORVELLE_IN_DBUS:-}" ]; then
  need=()
  for p in xvfb openbox xdotool x11-utils wmctrl imagemagick dbus at-spi2-core \
      python3-pyatspi weston; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
  done
  if [ ${#need[@]} -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
  fi
  # A session bus of our own: the accessibility bus hangs off it.
  CORVELLE_IN_DBUS=1 exec dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d /tmp/corvelle-desktop-XXXXXX)
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A sample home: a tree to show. A program from a build tree runs as a portable copy from a
# folder of its own (its settings beside it); an installed one keeps them in ~/.config.
home=$work/home
settings=$home/.config/corvelle
case $prog in
  /usr/*) ;;
  *)
    mkdir -p "$work/app"
    cp "$prog" "$work/app/"
    prog=$work/app/$(basename "$prog")
    settings=$work/app
    ;;
esac
mkdir -p "$home/tree/写真/2024" "$home/tree/空のフォルダ" "$home/tree/文書"
echo text >"$home/tree/文書/readme.txt"
run_env=(env -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u QT_QPA_PLATFORM HOME="$home"
         LANG=ja_JP.UTF-8)

echo "== X11: Xvfb + openbox, at-spi"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
# Focus and activation need the window manager up: on a loaded machine it takes a while.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTED 2>/dev/null | grep -q "_NET_ACTIVE_WINDOW" && break
  sleep 0.1
done
launcher=
for l in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
  [ -x "$l" ] && launcher=$l && break
done
"$launcher" --launch-immediately >/dev/null 2>&1 &
pids+=($!)
sleep 1
mkdir -p "$settings"
touch "$settings/NOSPLASH"
# The window up, then what it shows. A program that never hears of the at-spi listener (a
# start-up race on a loaded machine) sends no focus events: it is started once more.
start_window() {
  "${run_env[@]}" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$prog" "$home/tree" >"$work/x11.txt" 2>&1 &
  app=$!
  pids+=($app)
  win=
  for _ in $(seq 100); do
    win=$(xdotool search --all --pid "$app" --name '^Corvelle$' 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  if [ -z "$win" ]; then
    echo "desktop check: no window appeared" >&2
    cat "$work/x11.txt" >&2
    exit 1
  fi
  sleep 1
}
for attempt in 1 2; do
  start_window
  xprop -id "$win" WM_CLASS
  grep -q "^StartupWMClass=$(xprop -id "$win" WM_CLASS | sed 's/.*, "\(.*\)"/\1/')$" \
    resources/desktop/$app_id.desktop || {
    echo "desktop check: WM_CLASS does not match the desktop entry's StartupWMClass" >&2
    exit 1
  }
  icon=$(xprop -id "$win" _NET_WM_ICON 2>/dev/null | head -c 80 || true)
  case $icon in *"not found"* | "") echo "desktop check: no _NET_WM_ICON" >&2; exit 1 ;; esac
  echo "_NET_WM_ICON is set"
  import -window root "$shots/x11-main.png"
  rc=0
  /usr/bin/python3 scripts/atspi-check.py "$win" || rc=$?
  [ "$rc" = 0 ] && break
  if [ "$rc" != 3 ] || [ "$attempt" = 2 ]; then exit 1; fi
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
done

echo "== the rename dialog: no caption text, never minimised away"
xdotool windowactivate --sync "$win"
xdotool key alt+f
sleep 0.4
xdotool key e
dialog=
for _ in $(seq 50); do
  dialog=$(xdotool search --all --pid "$app" --onlyvisible --name '' 2>/dev/null |
    grep -vx "$win" | while read -r w; do
      xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG && echo "$w"
    done | head -n1 || true)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || { echo "desktop check: the rename dialog did not open" >&2; exit 1; }
title=$(xprop -id "$dialog" _NET_WM_NAME | sed 's/^[^=]*= //')
echo "caption: $title"
[ "$title" = '" "' ] || { echo "desktop check: the dialog has a caption: $title" >&2; exit 1; }
import -window root "$shots/x11-rename.png"
xdotool windowminimize "$dialog"
sleep 1.5
for w in "$win" "$dialog"; do
  state=$(xprop -id "$w" WM_STATE | grep "window state" || true)
  echo "$state"
  case $state in *Normal*) ;; *) echo "desktop check: a window stayed minimised" >&2; exit 1 ;; esac
done
wmctrl -i -c "$dialog"
sleep 0.5

echo "== Ctrl+Q closes the program"
xdotool windowactivate --sync "$win"
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
  echo "desktop check: Ctrl+Q did not close the program" >&2
  exit 1
fi
wait "$app"
grep -q "^CurrentDirectory=$home/tree/" "$settings/RUZO.INI"
unset DISPLAY

echo "== Wayland: weston, headless"
weston --backend=headless-backend.so --socket=wayland-corvelle --idle-time=0 \
  >"$work/weston.txt" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/wayland-corvelle" ] && break; sleep 0.1; done
if [ ! -S "$XDG_RUNTIME_DIR/wayland-corvelle" ]; then
  echo "skipped: weston did not open its socket ($(tail -n1 "$work/weston.txt"))"
  exit 0
fi
rm -f "$settings/RUZO.INI"
"${run_env[@]}" WAYLAND_DISPLAY=wayland-corvelle WAYLAND_DEBUG=client "$prog" \
  >"$work/wayland.txt" 2>&1 &
app=$!
sleep 4
if ! kill -0 "$app" 2>/dev/null; then
  echo "desktop check: the program did not stay up under Wayland" >&2
  tail -n 20 "$work/wayland.txt" >&2
  exit 1
fi
grep -o "set_app_id(\"[^\"]*\")" "$work/wayland.txt" | sort -u
grep -q "set_app_id(\"$app_id\")" "$work/wayland.txt" || {
  echo "desktop check: the app_id is not $app_id" >&2
  exit 1
}
kill -TERM "$app"
wait "$app" || true
test -f "$settings/RUZO.INI"
echo "desktop check passed"
