#!/usr/bin/env bash
# Builds Corvelle and runs every test. Works on a fresh Debian machine as root.
#   ./test.sh             the normal build in build/
#   ./test.sh --sanitize  an address and undefined-behaviour sanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-deps.sh
dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DCORVELLE_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir"
cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
