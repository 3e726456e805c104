#!/usr/bin/env bash
# The candidate search (mode 1) on 100,000 folders against `find DIR -type d -empty`.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target bench_search >/dev/null
tree=$(mktemp -d /tmp/corvelle-bench-tree-XXXXXX)
trap 'rm -rf "$tree"' EXIT
python3 bench/make_tree.py search "$tree"
best() { sort -n | head -1; }
time_find() { local s e; s=$(date +%s.%N); find "$tree" -type d -empty | wc -l >/dev/null; e=$(date +%s.%N); echo "$e - $s" | bc; }
# Warm the cache once, then take the best of three for each side.
find "$tree" >/dev/null
ref=$(for i in 1 2 3; do time_find; done | best)
ours=$(for i in 1 2 3; do build/bench/bench_search 1 "$tree" | awk '/^seconds/{print $2}'; done | best)
win_out=$(build/bench/bench_search 1 "$tree" --window)
win=$(echo "$win_out" | awk '/^seconds/{print $2}')
peak=$(echo "$win_out" | awk '/^peak_kib/{print $2}')
rows=$(echo "$win_out" | awk '/^rows/{print $2}')
echo "folders 100534, rows $rows"
echo "find -type d -empty: ${ref}s"
echo "engine search:       ${ours}s (target at most 1.3 x find)"
echo "window search:       ${win}s, peak ${peak} KiB (target at most 3 x find)"
echo "window ratio $(echo "scale=2; $win / $ref" | bc)"
echo "ratio $(echo "scale=2; $ours / $ref" | bc)"
