#!/usr/bin/env bash
# Builds every libFuzzer target (tests/fuzz) in one build and runs them in
# lanes side by side: each lane has the same time and shares it among its
# targets, one after another. The receive path has a lane of its own. A
# finding fails the run and leaves the fuzzer's report and the input that
# found it (hex and base64) in the output.
#
#   scripts/fuzz.sh [BUILD_DIR]       BUILD_DIR defaults to build-fuzz
#   NOLT_FUZZ_SECONDS=N               each lane's time in seconds (default 60)
#   NOLT_FUZZ_ONLY="fuzz_a fuzz_b"    run only these targets
#
# Working corpora grow in BUILD_DIR/fuzz-work/NAME and are kept between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/lib.sh

# One line a target: its name (tests/fuzz/NAME.cpp), its lane, its share of
# the lane's time, and any further libFuzzer options. Seeds are read from
# tests/fuzz/corpus/NAME and a dictionary from tests/fuzz/NAME.dict, where
# they exist.
TARGETS=(
    "fuzz_receive     1  1  -max_len=4096"
    "fuzz_settings    2  2"
    "fuzz_hosts_file  2  1  -max_len=4400"
    "fuzz_cli_args    2  2"
    "fuzz_ip_text     2  1"
    "fuzz_scan_range  2  1"
)

BUILD=${1:-build-fuzz}
LANE_SECONDS=${NOLT_FUZZ_SECONDS:-60}
ONLY=${NOLT_FUZZ_ONLY:-}

need_packages clang cmake ninja-build "${HEADER_PACKAGES[@]}"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DNOLT_GUI=OFF -DNOLT_TESTS=OFF -DNOLT_FUZZ=ON >/dev/null
cmake --build "$BUILD" -j "$(jobs)" --target fuzz_all

chosen() { [ -z "$ONLY" ] || [[ " $ONLY " == *" $1 "* ]]; }

# Prints what the fuzzer found: the end of its report and each input it saved.
report_finding() {  # name work
    echo "!! $1 found a fault; the fuzzer's report:"
    tail -n 80 "$2/log"
    for input in "$2"/artifacts/*; do
        [ -f "$input" ] || continue
        echo "!! the input ($(basename "$input"), $(stat -c %s "$input") bytes), in hex:"
        od -An -tx1 -v "$input" | head -n 256
        echo "!! in base64:"
        base64 -w 76 "$input" | head -n 64
    done
    echo "!! to run it again: $BUILD/tests/fuzz/$1 FILE (the base64 above, decoded)"
}

run_target() {  # name seconds options...
    local name=$1 seconds=$2
    shift 2
    local work="$BUILD/fuzz-work/$name"
    mkdir -p "$work/corpus" "$work/artifacts"
    rm -f "$work"/artifacts/*
    local args=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=1024
                -artifact_prefix="$work/artifacts/" "$@")
    [ -f "tests/fuzz/$name.dict" ] && args+=(-dict="tests/fuzz/$name.dict")
    local dirs=("$work/corpus")
    [ -d "tests/fuzz/corpus/$name" ] && dirs+=("tests/fuzz/corpus/$name")
    if "$BUILD/tests/fuzz/$name" "${args[@]}" "${dirs[@]}" >"$work/log" 2>&1; then
        local runs
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
        echo "$name: ${runs:-?} runs in $seconds s, nothing found"
    else
        report_finding "$name" "$work"
        return 1
    fi
}

run_lane() {  # lane
    local line name lane share options total=0 failed=0
    for line in "${TARGETS[@]}"; do
        read -r name lane share options <<<"$line"
        if [ "$lane" = "$1" ] && chosen "$name"; then total=$((total + share)); fi
    done
    for line in "${TARGETS[@]}"; do
        read -r name lane share options <<<"$line"
        if [ "$lane" != "$1" ] || ! chosen "$name"; then continue; fi
        # shellcheck disable=SC2086  # the options are words
        run_target "$name" $((LANE_SECONDS * share / total > 0 ? LANE_SECONDS * share / total : 1)) $options \
            || failed=1
    done
    return $failed
}

lanes=$(for line in "${TARGETS[@]}"; do read -r _ lane _ <<<"$line"; echo "$lane"; done | sort -u)
mkdir -p "$BUILD/fuzz-work"
pids=()
for lane in $lanes; do
    run_lane "$lane" >"$BUILD/fuzz-work/lane-$lane.out" 2>&1 &
    pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
for lane in $lanes; do cat "$BUILD/fuzz-work/lane-$lane.out"; done
[ $failed -eq 0 ] || { echo "The fuzzers found a fault (above)."; exit 1; }
