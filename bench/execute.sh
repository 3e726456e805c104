#!/usr/bin/env bash
# Execution: deleting 50,000 empty folders against `find -type d -empty -delete`, and 10,000
# raise rows against a minimal rename + rmdir loop. Every tree is made anew for each run.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/stats.sh
runs=${RUNS:-3}
cmake --build build --target corvelle-tidy raise_reference >/dev/null
work=$(mktemp -d /tmp/corvelle-bench-exec-XXXXXX)
trap 'rm -rf "$work"' EXIT
timed() { local s e; s=$(now); "$@" >/dev/null 2>&1; e=$(now); secs "$s" "$e"; }

ref="" ours="" rref="" rours=""
for i in $(seq "$runs"); do
  python3 bench/make_tree.py empty "$work/a$i" 50000
  python3 bench/make_tree.py empty "$work/b$i" 50000
  python3 bench/make_tree.py raise "$work/r$i" 10000
  python3 bench/make_tree.py raise "$work/s$i" 10000
  sync
  ref+="$(timed find "$work/a$i" -type d -empty -delete) "
  ours+="$(timed build/corvelle-tidy --mode empty --execute "$work/b$i") "
  left=$(find "$work/b$i" -mindepth 2 -type d | wc -l)
  rref+="$(timed build/bench/raise_reference "$work/r$i") "
  rours+="$(timed build/corvelle-tidy --mode raise --execute "$work/s$i") "
  rleft=$(find "$work/s$i" -mindepth 2 -type d | wc -l)
  rm -rf "$work/a$i" "$work/b$i" "$work/r$i" "$work/s$i"
done
echo "empty folders 50000: find -delete $(summary "$ref")"
echo "                     corvelle-tidy $(summary "$ours") (folders left: $left)"
echo "raise rows 10000:    reference loop $(summary "$rref")"
echo "                     corvelle-tidy $(summary "$rours") (folders left: $rleft," \
     "$(echo "scale=0; 10000 / $(med "$rours")" | bc) rows/s, search included)"
echo "raise ratio $(ratio "$(med "$rours")" "$(med "$rref")")"
echo "ratio $(ratio "$(med "$ours")" "$(med "$ref")")"
