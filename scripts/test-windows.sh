#!/usr/bin/env bash
# Cross-builds the core, the simulator and their tests for Windows with
# mingw-w64 and runs the tests under wine, without a display.
# Usage: scripts/test-windows.sh [build-dir]   (default: build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/lib.sh

BUILD=${1:-$ROOT/build-windows}
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)

need_packages cmake ninja-build g++-mingw-w64-x86-64 wine64 wine

# A private wine prefix inside the build folder, set up once.
export WINEPREFIX=$BUILD/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer prompts
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Setting up the wine prefix in $WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver --wait || true
fi

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DNOLT_GUI=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j "$(jobs)"

# One wine server for the whole run, so that each test does not start one.
wineserver --persistent=60 || true
status=0
# The soak tests count the process's Linux descriptors and threads, which
# under wine include wine's own; they run in the native stages.
ctest --test-dir "$BUILD" -LE soak -V -j "$(jobs)" > "$BUILD/ctest-windows.log" 2>&1 || status=$?
# Each test program is one CTest test; count the test cases inside them too.
grep -E "^[0-9]+: \[  FAILED  \]|\*\*\*(Failed|Timeout|Exception)|Not Run" "$BUILD/ctest-windows.log" || true
if [ "$status" -ne 0 ]; then
    ctest --test-dir "$BUILD" --rerun-failed --output-on-failure || true
fi
wineserver --kill || true

summary=$(grep -E "tests passed|tests failed" "$BUILD/ctest-windows.log" | tail -n 1 || true)
cases=$(grep -E "^[0-9]+: \[==========\] [0-9]+ tests? from .* ran" "$BUILD/ctest-windows.log" |
        awk '{ n += $3 } END { print n + 0 }')
echo "Windows tests under wine: ${summary:-no tests ran} ($cases test cases ran)"
if [ "$status" -ne 0 ] || [ -z "$summary" ]; then
    echo "Full output: $BUILD/ctest-windows.log"
    exit 1
fi
