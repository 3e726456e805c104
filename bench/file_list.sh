#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Loading a folder of 100,000 files into the list against `ls -l` of the same folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target bench_file_list >/dev/null
dir=$(mktemp -d /tmp/corvelle-bench-files-XXXXXX)
trap 'rm -rf "$dir"' EXIT
python3 - "$dir" <<'PY'
import os, sys
d = sys.argv[1]
exts = ["txt", "jpg", "mp3", "html", "bin", "c", "LOG"]
for i in range(100000):
    with open(os.path.join(d, f"file{i:06d}.{exts[i % len(exts)]}"), "wb") as f:
        f.write(b"x" * (i % 5000))
PY
ls -l "$dir" >/dev/null  # warm the cache
best() { sort -n | head -1; }
ref=$(for i in 1 2 3; do s=$(date +%s.%N); ls -l --time-style='+%Y/%m/%d %H:%M:%S' "$dir" >/dev/null; e=$(date +%s.%N); echo "$e - $s" | bc; done | best)
out=$(for i in 1 2 3; do build/bench/bench_file_list "$dir" 2>/dev/null; done)
ours=$(echo "$out" | awk '/^seconds/{print $2}' | best)
switch=$(echo "$out" | awk '/^switch_ms/{print $2}' | sort -n | tail -1)
peak=$(echo "$out" | awk '/^peak_kib/{print $2}' | sort -n | tail -1)
echo "100000 files: ls -l ${ref}s, FileNameLoad ${ours}s (target at most 1.5 x), peak ${peak} KiB"
echo "slowest view-mode switch: ${switch} ms (target under 200 ms)"
echo "ratio $(echo "scale=2; $ours / $ref" | bc)"
