#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Loading a folder into the file list, to its first painted screen, against `ls -l` of the
# same folder: 100,000 files of mixed sizes and types, then 1,000,000 empty files (built
# once, removed after). Medians and ranges of RUNS runs (at least three); peak memory and
# what it comes to per file; the slowest switch between the four view modes.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/stats.sh
runs=${RUNS:-3}
cmake --build build --target bench_file_list >/dev/null
dir=$(mktemp -d /tmp/corvelle-bench-files-XXXXXX)
trap 'rm -rf "$dir"' EXIT
for n in ${SIZES:-100000 1000000}; do
  rm -rf "$dir" && mkdir "$dir"
  python3 - "$dir" "$n" <<'PY'
import os, sys
d, n = sys.argv[1], int(sys.argv[2])
exts = ["txt", "jpg", "mp3", "html", "bin", "c", "LOG"]
for i in range(n):
    with open(os.path.join(d, f"file{i:07d}.{exts[i % len(exts)]}"), "wb") as f:
        if n <= 100000:
            f.write(b"x" * (i % 5000))
PY
  ls -l "$dir" >/dev/null  # warm the cache
  ref="" ours="" switch="" peak=""
  for _ in $(seq "$runs"); do
    s=$(now); ls -l --time-style='+%Y/%m/%d %H:%M:%S' "$dir" >/dev/null; e=$(now)
    ref+="$(secs "$s" "$e") "
    out=$(build/bench/bench_file_list "$dir" 2>/dev/null)
    ours+="$(awk '/^seconds/{print $2}' <<<"$out") "
    switch+="$(awk '/^switch_ms/{print $2}' <<<"$out") "
    peak+="$(awk '/^peak_kib/{print $2}' <<<"$out") "
  done
  echo "== $n files"
  echo "ls -l:                $(summary "$ref")"
  echo "first screen:         $(summary "$ours"), ratio $(ratio "$(med "$ours")" "$(med "$ref")")"
  echo "peak memory:          $(med "$peak") KiB, $(echo "scale=0; $(med "$peak") * 1024 / $n" | bc) bytes a file"
  echo "slowest mode switch:  $(med "$switch") ms"
done
