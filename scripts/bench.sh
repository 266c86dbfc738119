#!/usr/bin/env bash
# Builds the benchmarks in Release and prints one table of the tool's
# figures: the receive path, the status query round trip (core link and real
# dialog), the idle link's CPU beside a 100 us polling loop, and the tool's
# start-up time and peak memory. Installs the Debian packages it needs.
#
#   scripts/bench.sh                 (about a minute and a half)
#   NOLT_BENCH_BUILD=dir             build directory (default: build-bench)
#   NOLT_BENCH_GUI=0                 core figures only (no Qt build)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/lib.sh

BUILD=${NOLT_BENCH_BUILD:-$ROOT/build-bench}
GUI=${NOLT_BENCH_GUI:-1}

if [ "$GUI" = 1 ]; then
    need_packages "${BUILD_PACKAGES[@]}" libbenchmark-dev
    GUI_FLAG=ON
    TARGETS=(nolt_bench nolt_bench_gui)
else
    need_packages cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
    GUI_FLAG=OFF
    TARGETS=(nolt_bench)
fi
export QT_QPA_PLATFORM=offscreen

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOLT_BENCH=ON \
      -DNOLT_GUI="$GUI_FLAG" >/dev/null
cmake --build "$BUILD" -j "$(jobs)" --target "${TARGETS[@]}" >/dev/null

echo "nolt PC client figures, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(uname -sr)"
echo
printf '| %-66s | %22s | %-16s |\n' "Measurement" "Figure" "Goal"
printf '|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..68})" "$(printf -- '-%.0s' {1..24})" "$(printf -- '-%.0s' {1..18})"
# Each program prints its rows; what goes wrong is in its log beside it.
status=0
run_rows() {  # name, args...
    local name=$1; shift
    if ! "$BUILD/bench/$name" "$@" 2>"$BUILD/bench/$name.log"; then
        echo "($name failed; see $BUILD/bench/$name.log)"
        status=1
    fi
}
run_rows nolt_bench
[ "$GUI" = 1 ] && run_rows nolt_bench_gui
exit $status
