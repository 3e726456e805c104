#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows packages, by one command: a portable zip (corvelle.exe, corvelle-tidy.exe,
# guide.pdf, readme.txt) and a per-user installer made with NSIS, both in build-win/.
# The guide comes from the Linux build (build/), the programs from the Windows one.
#   scripts/windows-package.sh        builds what is missing, then packs
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v makensis >/dev/null || ! command -v zip >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nsis zip >/dev/null
fi
version=$(sed -n 's/^project(Corvelle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "windows-package.sh: no project version in CMakeLists.txt" >&2; exit 1; }

# The guide (Linux build) and the programs (Windows build).
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target guide
[ -f build-win/build.ninja ] || ./scripts/windows-configure.sh
cmake --build build-win --target corvelle corvelle-tidy

stage=build-win/package/Corvelle
rm -rf build-win/package
mkdir -p "$stage"
for exe in corvelle corvelle-tidy; do
  x86_64-w64-mingw32-strip -o "$stage/$exe.exe" "build-win/$exe.exe"
done
cp build/guide.pdf "$stage/"
# Japanese and English, in UTF-8 with a byte order mark and CR LF, as every Notepad reads it.
{ printf '\xef\xbb\xbf'; sed "s/@PROJECT_VERSION@/$version/; s/\$/\r/" resources/windows/readme.txt; } \
  >"$stage/readme.txt"

zipfile=build-win/Corvelle-$version-windows-x64.zip
rm -f "$zipfile"
(cd build-win/package && zip -q -9 -X -r "../$(basename "$zipfile")" Corvelle)

setup=build-win/Corvelle-$version-setup.exe
size_kb=$(du -sk "$stage" | cut -f1)
makensis -V2 -DVERSION="$version" -DSTAGE="$PWD/$stage" -DICON="$PWD/resources/windows/corvelle.ico" \
  -DSIZE_KB="$size_kb" -DOUT="$PWD/$setup" resources/windows/corvelle.nsi
ls -l "$zipfile" "$setup" | awk '{print $5, $9}'
