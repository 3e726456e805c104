#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Expanding a folder of 20,000 sub-folders in the tree (target under one second), against
# `ls -d DIR/*/` listing the same folders.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target bench_dir_tree >/dev/null
dir=$(mktemp -d /tmp/corvelle-bench-tree-XXXXXX)
trap 'rm -rf "$dir"' EXIT
(cd "$dir" && seq -f 'd%05g' 0 19999 | xargs mkdir)
ls "$dir" >/dev/null
s=$(date +%s.%N); ls -d "$dir"/*/ >/dev/null; e=$(date +%s.%N); ref=$(echo "$e - $s" | bc)
ours=$(build/bench/bench_dir_tree "$dir" 2>/dev/null | awk '/^expand_ms/{print $2}')
echo "20000 sub-folders: expand ${ours} ms (target under 1000 ms), ls -d ${ref}s"
echo "ratio $(echo "scale=2; $ours / 1000 / $ref" | bc)"
