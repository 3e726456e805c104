#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build folder (build-win/): the cross compilers and Wine when missing, Qt for
# Windows from its cache (scripts/windows-qt.sh), then CMake with the mingw-w64 toolchain.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null ||
  ! command -v zstd >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq g++-mingw-w64-x86-64-posix wine64 \
    wine zstd >/dev/null
fi
CORVELLE_QT_PREFIX=$(./scripts/windows-qt.sh | tail -n 1)
export CORVELLE_QT_PREFIX
cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$CORVELLE_QT_PREFIX" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
