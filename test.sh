#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Corvelle and runs every test. Works on a fresh Debian machine as root.
#   ./test.sh             the normal build in build/
#   ./test.sh --sanitize  an address and undefined-behaviour sanitizer build in build-asan/
#   ./test.sh --fuzz [S]  the libFuzzer targets (clang) in build-fuzz/, each for S seconds (60)
#   ./test.sh --soak [S]  the model check of the tidy engine on new seeds for S seconds (300)
#   ./test.sh --lint      clang-tidy with the checks in .clang-tidy over every source file
#   ./test.sh --windows   the Windows build (mingw-w64) in build-win/, its tests under Wine
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-deps.sh
dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--fuzz" ]; then
  seconds=${2:-60}
  # clang and its libFuzzer, for this build only.
  if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang >/dev/null
  fi
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVELLE_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build build-fuzz
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  for target in settings numbers journal paths codec; do
    work=$(mktemp -d)
    cp fuzz/corpus/$target/* "$work"/
    echo "== fuzz_$target for ${seconds}s"
    # New inputs go to a scratch copy of the corpus; a crash writes crash-* here and fails.
    (cd build-fuzz && ./fuzz_$target -max_total_time="$seconds" -print_final_stats=1 \
      -timeout=10 "$work" 2>&1 | grep -E "^(stat::number_of_executed_units|INFO: Running|==|SUMMARY|Done)" || true)
    rm -rf "$work"
    ls build-fuzz/crash-* build-fuzz/leak-* build-fuzz/timeout-* >/dev/null 2>&1 && { echo "fuzz_$target found a failing input"; exit 1; }
  done
  exit 0
fi
if [ "${1:-}" = "--lint" ]; then
  ./scripts/check-system-headers.sh
  if ! command -v run-clang-tidy >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang-tidy >/dev/null
  fi
  # The normal build's compile commands, with its generated sources in place.
  cmake -S . -B build -G Ninja "${flags[@]}" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
  cmake --build build
  # GCC's own warning flags are unknown to clang; every finding is an error.
  # Every header of the tree, at any depth (platform/os/windows/ too), none of the build's.
  run-clang-tidy -quiet -p build -j "$(nproc)" -extra-arg=-Wno-unknown-warning-option \
    -header-filter="^$PWD/(app|bench|browser|fuzz|platform|resources|shellops|tests|tidy|ui|util)/" \
    "$PWD/(app|bench|browser|platform|resources|shellops|tests|tidy|ui|util)/" 2>&1 |
    sed 's/\x1b\[[0-9;]*m//g' |
    grep -v "^clang-tidy-\|^[0-9]* warnings\? generated\|^Suppressed\|^Use -header-filter" |
    tee build/lint.txt || true
  if grep -q "error:\|warning:" build/lint.txt; then
    echo "clang-tidy found problems (build/lint.txt)"
    exit 1
  fi
  echo "clang-tidy: clean"
  exit 0
fi
if [ "${1:-}" = "--windows" ]; then
  ./scripts/windows-configure.sh
  cmake --build build-win
  # A throw-away Wine prefix on a Japanese system: Wine takes the ANSI code page (932) from
  # the locale it starts in. No debugger to stall a crash.
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
  fi
  export LC_ALL=ja_JP.UTF-8
  WINEPREFIX=$(mktemp -d /tmp/corvelle-wine-XXXXXX)
  export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
  # Wine's recycle bin is the Linux Trash of $XDG_DATA_HOME: a throw-away one, not the user's.
  XDG_DATA_HOME=$(mktemp -d /tmp/corvelle-wine-data-XXXXXX)
  export XDG_DATA_HOME
  trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$XDG_DATA_HOME"' EXIT
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Wine hands the program only variables it knows: QT_… travels as WINEQT_….
  # Offscreen, Qt reads fonts from one folder: the Japanese ones.
  export WINEQT_QPA_PLATFORM=offscreen WINEQT_FORCE_STDERR_LOGGING=1 WINEQT_LOGGING_RULES='qt.qpa.*=false'
  # Under Wine the model check takes minutes; more on a busy machine than QtTest's 5.
  export QTEST_FUNCTION_TIMEOUT=1200000
  export WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\opentype\ipafont-gothic'
  (cd build-win && ctest --output-on-failure -j1)
  ./scripts/windows-tidy-roundtrip.sh build-win/corvelle-tidy.exe
  # The window program as a user starts it, its pictures, then the packages and the installer.
  ./scripts/windows-window-check.sh build-win/corvelle.exe build/screenshots/windows \
    build-win/tools/make_screens.exe
  ./scripts/windows-package.sh
  ./scripts/windows-install-check.sh build-win/Corvelle-*-setup.exe
  exit 0
fi
if [ "${1:-}" = "--soak" ]; then
  cmake -S . -B build -G Ninja "${flags[@]}" >/dev/null
  cmake --build build --target tst_model
  CORVELLE_SOAK_SECONDS=${2:-300} XDG_STATE_HOME=$(mktemp -d) ./build/tests/tst_model
  exit 0
fi
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DCORVELLE_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi
./scripts/check-system-headers.sh
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir"
cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
