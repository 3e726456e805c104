#!/bin/bash
# corvelle-tidy.exe under Wine on a tree with Japanese (and Korean, emoji) names: raise it,
# put it back with --undo, and compare every file's checksum and every name with the start.
# Usage: scripts/windows-tidy-roundtrip.sh build-win/corvelle-tidy.exe (Wine set up by caller)
set -euo pipefail
tool=$1
tree=$(mktemp -d /tmp/corvelle-roundtrip-XXXXXX)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/写真/旅行/京都 "$tree"/空/中 "$tree"/書類/2024 "$tree"/한국어/폴더 \
  "$tree"/絵文字😀/x "$tree"/連鎖/一/二/三 "$tree"/同名/同名/同名
echo 寺 >"$tree"/写真/旅行/京都/寺.txt
echo メモ >"$tree"/写真/旅行/メモ.txt
head -c 100000 /dev/urandom >"$tree"/書類/2024/報告.bin
echo 파일 >"$tree"/한국어/폴더/파일.txt
echo 🎉 >"$tree"/絵文字😀/x/🎉.txt
echo 底 >"$tree"/連鎖/一/二/三/底.txt
echo 中身 >"$tree"/同名/同名/中身.txt
echo 奥 >"$tree"/同名/同名/同名/奥.txt
listing() {
  (cd "$tree" && LC_ALL=C find . -printf '%y %p\n' | LC_ALL=C sort &&
    find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
}
listing >"$tree.before"
winpath="Z:${tree//\//\\}"
wine "$tool" --mode raise --execute "$winpath" >"$tree.out" 2>"$tree.err" || {
  cat "$tree.err"
  exit 1
}
journal=$(sed -n 's/^corvelle-tidy: journal //p' "$tree.err" | tr -d '\r')
[ -n "$journal" ] || { echo "no journal named"; exit 1; }
if listing | cmp -s - "$tree.before"; then
  echo "the run changed nothing"
  exit 1
fi
wine "$tool" --undo "$journal" >"$tree.undo" 2>&1 || { cat "$tree.undo"; exit 1; }
listing >"$tree.after"
if ! diff "$tree.before" "$tree.after"; then
  echo "Undo did not restore the tree"
  exit 1
fi
echo "corvelle-tidy.exe: raised $(grep -c 成功 "$tree.out") rows, Undo restored all ($(grep -c '^f' "$tree.before") files, checksums equal)"
rm -f "$tree".before "$tree".after "$tree".out "$tree".err "$tree".undo
