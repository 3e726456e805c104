#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# corvelle-tidy for scripts, beside find: the resident memory of a preview over 1,000,000
# empty folders (target: at most 50 MB), and the time to the first row on 400,000 folders
# (target: at most 0.1 s). Trees on /dev/shm: a million folders cost no disk.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/stats.sh
runs=${RUNS:-3}
[ -x /usr/bin/time ] || { apt-get update -qq && apt-get install -y -qq time >/dev/null; }
cmake --build build --target corvelle-tidy >/dev/null
tool=$PWD/build/corvelle-tidy
base=/dev/shm
[ -d "$base" ] || base=/tmp
big=$(mktemp -d "$base/corvelle-bench-tool-XXXXXX")
trap 'rm -rf "$big"' EXIT
python3 bench/make_tree.py empty "$big/m" 1000000
python3 bench/make_tree.py empty "$big/k" 400000
find "$big" >/dev/null  # warm the cache once

rss() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
first_row() {
  local s e
  s=$(now)
  "$@" 2>/dev/null | head -n 1 >/dev/null || true
  e=$(now)
  secs "$s" "$e"
}
ours_kib="" find_kib="" ours_first="" find_first=""
for _ in $(seq "$runs"); do
  ours_kib+="$(rss "$tool" --mode empty --quiet "$big/m") "
  find_kib+="$(rss find "$big/m" -type d -empty) "
  ours_first+="$(first_row "$tool" --mode empty --quiet "$big/k") "
  find_first+="$(first_row find "$big/k" -type d -empty) "
done
rows=$("$tool" --mode empty --quiet "$big/m" | wc -l)
echo "preview over 1,010,000 folders, $rows rows"
echo "corvelle-tidy peak RSS: median $(med "$ours_kib") KiB (range $(tr ' ' '\n' <<<"$ours_kib" | grep . | range))"
echo "find peak RSS:          median $(med "$find_kib") KiB (range $(tr ' ' '\n' <<<"$find_kib" | grep . | range))"
echo "first row on 404,000 folders:"
echo "corvelle-tidy: $(summary "$ours_first")"
echo "find:          $(summary "$find_first")"
echo "memory ratio $(ratio "$(med "$ours_kib")" "$(med "$find_kib")")"
