#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The candidate search (mode 1) on 100,000 folders against `find DIR -type d -empty`.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/stats.sh
runs=${RUNS:-3}
cmake --build build --target bench_search >/dev/null
tree=$(mktemp -d /tmp/corvelle-bench-tree-XXXXXX)
trap 'rm -rf "$tree"' EXIT
python3 bench/make_tree.py search "$tree"
time_find() { local s e; s=$(now); find "$tree" -type d -empty | wc -l >/dev/null; e=$(now); secs "$s" "$e"; }
find "$tree" >/dev/null  # warm the cache once
ref="" ours="" win="" peak=""
for _ in $(seq "$runs"); do
  ref+="$(time_find) "
  ours+="$(build/bench/bench_search 1 "$tree" | awk '/^seconds/{print $2}') "
  out=$(build/bench/bench_search 1 "$tree" --window)
  win+="$(echo "$out" | awk '/^seconds/{print $2}') "
  peak+="$(echo "$out" | awk '/^peak_kib/{print $2}') "
  rows=$(echo "$out" | awk '/^rows/{print $2}')
done
echo "folders 100534, rows $rows"
echo "find -type d -empty: $(summary "$ref")"
echo "engine search:       $(summary "$ours")"
echo "window search:       $(summary "$win"), peak $(med "$peak") KiB"
echo "window ratio $(ratio "$(med "$win")" "$(med "$ref")")"
echo "ratio $(ratio "$(med "$ours")" "$(med "$ref")")"
