#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Qt 6.4.2 for x86_64-w64-mingw32 (static; Core, Gui, Widgets, Test; the windows and offscreen
# platform plugins), built once from Debian's own qt6-base source into a cache folder named by
# Qt's version and the build options, and reused while that key matches. A copy this script
# made, shared beside the project (../shared/windows/<key>.tar.zst with its sha256), is
# unpacked instead when its checksum matches: minutes instead of most of an hour.
# Prints the prefix on its last line.
#   CORVELLE_QT_WINDOWS      the cache folder (default ~/.cache/corvelle)
set -euo pipefail
cd "$(dirname "$0")/.."
version=6.4.2
options="static-release-core-gui-widgets-testlib-windows-offscreen-r2"
key="qt-$version-x86_64-w64-mingw32-$(echo "$options" | sha256sum | cut -c1-12)"
cache=${CORVELLE_QT_WINDOWS:-$HOME/.cache/corvelle}
prefix="$cache/$key"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
mkdir -p "$cache"
rm -rf "$prefix"

shared="../shared/windows/qt-$version-x86_64-w64-mingw32-static-r2.tar.zst"
if [ -f "$shared" ] && [ -f "$shared.sha256" ] && command -v zstd >/dev/null &&
  [ "$(sha256sum "$shared" | cut -d' ' -f1)" = "$(cut -d' ' -f1 "$shared.sha256")" ] &&
  [ "$(tar --zstd -tf "$shared" | head -n 1)" = "$key/" ]; then
  echo "Qt $version for Windows from $shared" >&2
  unpack=$(mktemp -d "$cache/unpack-XXXXXX")
  tar --zstd -xf "$shared" -C "$unpack"
  mv "$unpack/$key" "$prefix"
  rmdir "$unpack"
  touch "$prefix/.complete"
  echo "$prefix"
  exit 0
fi

# From source: Debian's qt6-base with its patches, against Debian's host Qt of the same
# version (the cross build runs the host's moc, rcc and uic).
echo "Building Qt $version for Windows from source (about 50 minutes on 2 cores)" >&2
# Source packages: a deb-src entry beside every binary one, unless there is one already.
if ! grep -rqsE '^deb-src|^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/corvelle-src.list
  fi
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed 's/^Types: deb$/Types: deb-src/' "$f" > "/etc/apt/sources.list.d/corvelle-src-$(basename "$f")"
  done
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq dpkg-dev qt6-base-dev qt6-base-dev-tools \
  ninja-build cmake >/dev/null
src=$(mktemp -d "$cache/src-XXXXXX")
(cd "$src" && apt-get source -qq qt6-base >/dev/null)
base=$(ls -d "$src"/qt6-base-"$version"*/ 2>/dev/null | head -n 1)
if [ -z "$base" ]; then
  echo "windows-qt.sh: this Debian's qt6-base is not Qt $version" >&2
  exit 1
fi
# Two conditions of the windows platform plugin that a build without OpenGL and Direct2D
# trips over: dynamic GL without OpenGL, DirectWrite 3 without Direct2D.
sed -i 's/#if QT_CONFIG(dynamicgl)/#if QT_CONFIG(opengl) \&\& QT_CONFIG(dynamicgl)/' \
  "$base/src/plugins/platforms/windows/qwindowswindow.cpp"
sed -i 's/#if QT_CONFIG(directwrite3)/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
  "$base/src/plugins/platforms/windows/qwindowsintegration.cpp"
off=""
for f in sql network dbus xml concurrent printsupport opengl vulkan zstd androiddeployqt \
  tabletevent direct2d jpeg pdf system_zlib system_pcre2 system_png system_freetype \
  system_harfbuzz; do
  off+=" -DFEATURE_$f=OFF"
done
# shellcheck disable=SC2086
cmake -S "$base" -B "$src/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=OFF -DFEATURE_static_runtime=ON -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_pkg_config=OFF -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON \
  -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON $off >/dev/null
cmake --build "$src/build" --parallel "$(nproc)"
cmake --install "$src/build" >/dev/null
rm -rf "$src"
touch "$prefix/.complete"
echo "$prefix"
