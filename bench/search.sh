#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The candidate search (mode 1) against `find DIR -type d -empty` (and `fd`, where present,
# with eight threads) on four trees: the bench tree (100,534 folders, 66,800 rows),
# 100,000 and 400,000 empty leaves, and 1,000,000 empty leaves (built once, removed after).
# Each tree: the engine alone, the window offscreen and the window shown on a real X server
# (Xvfb with openbox, started here; skipped with a message where Xvfb is missing), with
# the resident bytes each row adds, and a press of 検索中断 one second into the shown search.
# TREES="search leaves100k" picks trees; RUNS sets the runs (at least three).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/stats.sh
runs=${RUNS:-3}
trees=${TREES:-search leaves100k leaves400k leaves1m}
cmake --build build --target bench_search >/dev/null
work=$(mktemp -d /tmp/corvelle-bench-tree-XXXXXX)
xpid="" wmpid=""
cleanup() {
  [ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fd=$(command -v fdfind || command -v fd || true)

display=""
if command -v Xvfb >/dev/null; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xpid=$!
    sleep 1
    if kill -0 "$xpid" 2>/dev/null; then display=":$n"; break; fi
    xpid=""
  done
  if [ -n "$display" ] && command -v openbox >/dev/null; then
    DISPLAY=$display openbox >/dev/null 2>&1 &
    wmpid=$!
    sleep 1
  fi
fi
[ -n "$display" ] || echo "Xvfb is missing or did not start: the shown-window runs are skipped"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

field() { awk -v k="$1" '$1 == k {print $2}'; }
timed() { local s e; s=$(now); "$@" >/dev/null 2>&1; e=$(now); secs "$s" "$e"; }

for t in $trees; do
  tree="$work/$t"
  case $t in
    search) python3 bench/make_tree.py search "$tree" ;;
    leaves100k) python3 bench/make_tree.py empty "$tree" 100000 ;;
    leaves400k) python3 bench/make_tree.py empty "$tree" 400000 ;;
    leaves1m) python3 bench/make_tree.py empty "$tree" 1000000 ;;
    *) echo "unknown tree $t" >&2; exit 2 ;;
  esac
  folders=$(find "$tree" -type d | wc -l)  # also warms the cache
  ref="" fdt="" ours="" win="" shown="" bpr="" wbpr="" sbpr="" rows=""
  for _ in $(seq "$runs"); do
    ref+="$(timed sh -c "find '$tree' -type d -empty | wc -l") "
    [ -n "$fd" ] && fdt+="$(timed sh -c "'$fd' -j 8 -u -t d -t e . '$tree' | wc -l") "
    out=$(build/bench/bench_search 1 "$tree")
    ours+="$(field seconds <<<"$out") "; bpr+="$(field bytes_per_row <<<"$out") "
    rows=$(field rows <<<"$out")
    out=$(build/bench/bench_search 1 "$tree" --window 2>/dev/null)
    win+="$(field seconds <<<"$out") "; wbpr+="$(field bytes_per_row <<<"$out") "
    if [ -n "$display" ]; then
      out=$(DISPLAY=$display build/bench/bench_search 1 "$tree" --shown 2>/dev/null)
      shown+="$(field seconds <<<"$out") "; sbpr+="$(field bytes_per_row <<<"$out") "
    fi
  done
  r=$(med "$ref")
  echo "== $t: $folders folders, $rows rows"
  echo "find -type d -empty:   $(summary "$ref")"
  [ -n "$fd" ] && echo "fd (8 threads):        $(summary "$fdt"), ratio $(ratio "$(med "$fdt")" "$r")"
  echo "engine:                $(summary "$ours"), ratio $(ratio "$(med "$ours")" "$r"), $(med "$bpr") bytes/row"
  echo "window offscreen:      $(summary "$win"), ratio $(ratio "$(med "$win")" "$r"), $(med "$wbpr") bytes/row"
  if [ -n "$display" ]; then
    echo "window shown (Xvfb):   $(summary "$shown"), ratio $(ratio "$(med "$shown")" "$r"), $(med "$sbpr") bytes/row"
    out=$(DISPLAY=$display build/bench/bench_search 1 "$tree" --shown --stop-after 1000 2>/dev/null)
    echo "検索中断 at 1 s:        the press waited $(field stop_wait_ms <<<"$out") ms," \
         "検索完了! $(field stop_to_end_ms <<<"$out") ms after it"
  fi
  rm -rf "$tree"
done
