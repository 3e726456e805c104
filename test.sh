#!/usr/bin/env bash
# Builds Corvelle and runs every test. Works on a fresh Debian machine as root.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
