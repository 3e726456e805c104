#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build under Wine: a preview of FOLDERS empty folders (20,000) by
# corvelle-tidy.exe against `cmd /c dir /s /b /ad` over the same tree, in one Wine prefix
# whose server stays up; then the run itself (--execute) and its Undo. OLD_TOOL=path adds
# another build of corvelle-tidy.exe beside it. Wine is slow at file work: what is compared
# is Corvelle's share, not the seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/stats.sh
runs=${RUNS:-3}
n=${FOLDERS:-20000}
cmake --build build-win --target corvelle-tidy >/dev/null
tool=$PWD/build-win/corvelle-tidy.exe
work=$(mktemp -d "${BENCH_DIR:-/tmp}/corvelle-bench-wine-XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
export XDG_DATA_HOME=$work/data
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p  # stays up: no run pays for its start
win() { echo "Z:${1//\//\\}"; }
timed() { local s e; s=$(now); "$@" >/dev/null 2>&1; e=$(now); secs "$s" "$e"; }

python3 bench/make_tree.py empty "$work/t" "$n"
sync
dir="" ours="" old="" run="" undo=""
for _ in $(seq "$runs"); do
  dir+="$(timed wine cmd /c dir /s /b /ad "$(win "$work/t")") "
  ours+="$(timed wine "$tool" --mode empty "$(win "$work/t")") "
  [ -n "${OLD_TOOL:-}" ] && old+="$(timed wine "$OLD_TOOL" --mode empty "$(win "$work/t")") "
done
rows=$(wine "$tool" --mode empty "$(win "$work/t")" 2>/dev/null | wc -l)
for i in $(seq "$runs"); do
  python3 bench/make_tree.py empty "$work/x$i" "$n"
  sync
  run+="$(timed wine "$tool" --mode empty --execute "$(win "$work/x$i")") "
  # The folder through the environment: awk -v would read its backslashes as escapes.
  journal=$(wine "$tool" --journals 2>/dev/null | tr -d '\r' |
    D="$(win "$work/x$i")" awk -F'\t' '$2 == ENVIRON["D"] {print $6}')
  [ -n "$journal" ] || { echo "bench: no journal for the run" >&2; exit 1; }
  undo+="$(timed wine "$tool" --undo "$journal") "
  back=$(find "$work/x$i" -mindepth 2 -type d | wc -l)
  rm -rf "$work/x$i"
done
echo "preview of $n empty folders ($rows rows):"
echo "  cmd /c dir /s /b /ad    $(summary "$dir")"
echo "  corvelle-tidy.exe       $(summary "$ours")"
[ -n "$old" ] && echo "  $OLD_TOOL $(summary "$old")"
echo "  ratio to dir            $(ratio "$(med "$ours")" "$(med "$dir")")"
echo "--execute (search, plan, journal, rows) $(summary "$run")"
echo "--undo                                  $(summary "$undo") (folders back: $back)"
