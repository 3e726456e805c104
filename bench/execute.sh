#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Execution: deleting empty folders (DELETE_ROWS, 100,000) against `find -type d -empty
# -delete`, and raise rows (RAISE_ROWS, 10,000) against a minimal rename + rmdir loop; each
# also without its journal, to show what the journal costs; and the Undo of the raise run.
# Junk rows (JUNK_ROWS, 10,000 folders of two junk files each, --junk) against `find -delete`
# of the files then the folders; OLD_TOOL=path adds another build of the tool beside it.
# Every tree is made anew each run, below BENCH_DIR (/tmp; /dev/shm leaves the disk out).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/stats.sh
runs=${RUNS:-3}
cmake --build build --target corvelle-tidy raise_reference >/dev/null
nd=${DELETE_ROWS:-100000}
nr=${RAISE_ROWS:-10000}
nj=${JUNK_ROWS:-10000}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/corvelle-bench-exec-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
timed() { local s e; s=$(now); "$@" >/dev/null 2>&1; e=$(now); secs "$s" "$e"; }
tool=build/corvelle-tidy

ref="" ours="" bare="" rref="" rours="" rbare="" undo="" dundo="" jref="" jours="" jold="" jundo=""
for i in $(seq "$runs"); do
  for t in a b c; do python3 bench/make_tree.py empty "$work/$t$i" "$nd"; done
  for t in r s u; do python3 bench/make_tree.py raise "$work/$t$i" "$nr"; done
  sync
  ref+="$(timed find "$work/a$i" -type d -empty -delete) "
  ours+="$(timed $tool --mode empty --execute "$work/b$i") "
  bare+="$(timed $tool --mode empty --execute --no-journal "$work/c$i") "
  left=$(find "$work/b$i" -mindepth 2 -type d | wc -l)
  journal=$($tool --journals | awk -F'\t' -v d="$work/b$i" '$2 == d {print $6}')
  dundo+="$(timed $tool --undo "$journal") "
  dback=$(find "$work/b$i" -mindepth 2 -type d | wc -l)
  rref+="$(timed build/bench/raise_reference "$work/r$i") "
  rours+="$(timed $tool --mode raise --execute "$work/s$i") "
  rbare+="$(timed $tool --mode raise --execute --no-journal "$work/u$i") "
  rleft=$(find "$work/s$i" -mindepth 2 -type d | wc -l)
  journal=$($tool --journals | awk -F'\t' -v d="$work/s$i" '$2 == d {print $6}')
  undo+="$(timed $tool --undo "$journal") "
  back=$(find "$work/s$i" -mindepth 2 -type d | wc -l)
  for t in j k l; do python3 bench/make_tree.py junk "$work/$t$i" "$nj"; done
  sync
  jref+="$(timed sh -c "find '$work/j$i' -name Thumbs.db -delete -o -name desktop.ini -delete &&
                         find '$work/j$i' -mindepth 2 -type d -empty -delete") "
  jours+="$(timed $tool --mode empty --junk --execute "$work/k$i") "
  jleft=$(find "$work/k$i" -mindepth 2 | grep -vc '/f$' || true)
  journal=$($tool --journals | awk -F'\t' -v d="$work/k$i" '$2 == d {print $6}')
  jundo+="$(timed $tool --undo "$journal") "
  jback=$(find "$work/k$i" -name Thumbs.db | wc -l)
  [ -n "${OLD_TOOL:-}" ] && jold+="$(timed "$OLD_TOOL" --mode empty --junk --execute "$work/l$i") "
  rm -rf "$work/a$i" "$work/b$i" "$work/c$i" "$work/r$i" "$work/s$i" "$work/u$i" \
    "$work/j$i" "$work/k$i" "$work/l$i" "$work/data"
done
echo "empty folders $nd: find -delete            $(summary "$ref")"
echo "                     corvelle-tidy            $(summary "$ours") (folders left: $left)"
echo "                     corvelle-tidy no journal $(summary "$bare")"
echo "undo of the delete run: $(summary "$dundo"), $(echo "scale=0; $nd / $(med "$dundo")" | bc) rows/s" \
     "(folders back: $dback)"
echo "raise rows $nr:    reference loop           $(summary "$rref")"
echo "                     corvelle-tidy            $(summary "$rours") (folders left: $rleft," \
     "$(echo "scale=0; $nr / $(med "$rours")" | bc) rows/s, search included)"
echo "                     corvelle-tidy no journal $(summary "$rbare")"
echo "undo of the raise run: $(summary "$undo"), $(echo "scale=0; $nr / $(med "$undo")" | bc) rows/s" \
     "(inner folders back: $back)"
echo "junk rows $nj:      find -delete             $(summary "$jref")"
echo "                     corvelle-tidy --junk     $(summary "$jours") (left: $jleft)"
[ -n "$jold" ] && echo "                     $OLD_TOOL $(summary "$jold")"
echo "undo of the junk run: $(summary "$jundo") (Thumbs.db back: $jback)"
echo "journal cost: delete rows $(ratio "$(med "$ours")" "$(med "$bare")") x, raise rows" \
     "$(ratio "$(med "$rours")" "$(med "$rbare")") x"
echo "raise ratio $(ratio "$(med "$rours")" "$(med "$rref")")"
echo "ratio $(ratio "$(med "$ours")" "$(med "$ref")")"
