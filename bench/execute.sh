#!/usr/bin/env bash
# Execution: deleting 50,000 empty folders against `find -type d -empty -delete`, and 10,000
# raise rows against a minimal rename + rmdir loop.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target corvelle-tidy raise_reference >/dev/null
work=$(mktemp -d /tmp/corvelle-bench-exec-XXXXXX)
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
secs() { echo "$2 - $1" | bc; }

python3 bench/make_tree.py empty "$work/a" 50000
python3 bench/make_tree.py empty "$work/b" 50000
sync
s=$(now); find "$work/a" -type d -empty -delete; e=$(now); ref=$(secs "$s" "$e")
s=$(now); build/corvelle-tidy --mode empty --execute "$work/b" >/dev/null; e=$(now); ours=$(secs "$s" "$e")
left=$(find "$work/b" -mindepth 2 -type d | wc -l)
echo "empty folders 50000: find -delete ${ref}s, corvelle-tidy ${ours}s (left: $left)"

python3 bench/make_tree.py raise "$work/r1" 10000
python3 bench/make_tree.py raise "$work/r2" 10000
sync
s=$(now); build/bench/raise_reference "$work/r1" >/dev/null; e=$(now); rref=$(secs "$s" "$e")
s=$(now); build/corvelle-tidy --mode raise --execute "$work/r2" >/dev/null; e=$(now); rours=$(secs "$s" "$e")
echo "raise rows 10000: reference loop ${rref}s, corvelle-tidy ${rours}s" \
     "($(echo "scale=0; 10000 / $rours" | bc) rows/s, ratio $(echo "scale=2; $rours / $rref" | bc);" \
     "search included, target at most 2 x)"
echo "ratio $(echo "scale=2; $ours / $ref" | bc)"
