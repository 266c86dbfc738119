#!/usr/bin/env bash
# Builds the benchmarks in Release and prints one table of the tool's
# figures: the receive path, the status query round trip (core link and real
# dialog), the idle link's CPU beside a 100 us polling loop, and the tool's
# start-up time and peak memory, the same for the Windows build under wine
# beside them, nolt-cli's status query against 1,000 simulated modules
# beside the same query run once per module from a shell loop, and
# nolt-cli scan over 1,024 loopback addresses and (as root, in network
# namespaces of its own) over addresses that drop packets. Installs the
# Debian packages it needs.
#
#   scripts/bench.sh                 (about two minutes)
#   NOLT_BENCH_BUILD=dir             build directory (default: build-bench)
#   NOLT_BENCH_GUI=0                 core figures only (no Qt build)
#   NOLT_BENCH_WINDOWS=0             no Windows rows (no mingw-w64 build, no wine)
#   NOLT_BENCH_WINDOWS_BUILD=dir     Windows build directory (default: build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/lib.sh

BUILD=${NOLT_BENCH_BUILD:-$ROOT/build-bench}
GUI=${NOLT_BENCH_GUI:-1}

if [ "$GUI" = 1 ]; then
    need_packages "${BUILD_PACKAGES[@]}" libbenchmark-dev
    GUI_FLAG=ON
    TARGETS=(nolt_bench nolt_bench_gui nolt-pcclient)
else
    need_packages cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev "${HEADER_PACKAGES[@]}"
    GUI_FLAG=OFF
    TARGETS=(nolt_bench)
fi
export QT_QPA_PLATFORM=offscreen
# Searches reach the machine's own addresses only; the rows in network
# namespaces of this script's own lift the limit there (see scan_rows).
export NOLT_SCAN_LOOPBACK_ONLY=1

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOLT_BENCH=ON \
      -DNOLT_GUI="$GUI_FLAG" >/dev/null
cmake --build "$BUILD" -j "$(jobs)" --target "${TARGETS[@]}" nolt-cli nolt-sim >/dev/null

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

row() { printf '| %-66s | %22s | %-16s |\n' "$1" "$2" "${3:-}"; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# nolt-cli against 1,000 modules served by one nolt-sim on consecutive ports:
# one batch run (the median of three) beside nolt-cli status started once per
# module from a shell loop, in the same run. The loop is timed over the first
# 100 modules and scaled to 1,000; the row says so.
MODULES=${NOLT_BENCH_MODULES:-1000}
LOOP_SAMPLE=${NOLT_BENCH_LOOP_SAMPLE:-100}
now() { date +%s.%N; }
cli_rows() {
    local dir=$BUILD/cli-bench
    mkdir -p "$dir"
    "$BUILD/nolt-sim" --port 0 --modules "$MODULES" --quiet >"$dir/listening.txt" 2>"$dir/sim.log" &
    local sim=$!
    for _ in $(seq 100); do
        [ "$(wc -l <"$dir/listening.txt")" -ge "$MODULES" ] && break
        sleep 0.1
    done
    sed 's/^listening on //' "$dir/listening.txt" >"$dir/hosts.txt"
    local times=() answered=0 t0
    for _ in 1 2 3; do
        t0=$(now)
        "$BUILD/nolt-cli" --hosts "$dir/hosts.txt" status >"$dir/batch.txt" || true
        times+=("$(awk -v a="$t0" -v b="$(now)" 'BEGIN { print b - a }')")
        answered=$(grep -c "  confirmed  exit 0  " "$dir/batch.txt" || true)
    done
    local batch
    batch=$(printf '%s\n' "${times[@]}" | sort -g | sed -n 2p)
    local failed=0
    t0=$(now)
    while read -r host; do
        "$BUILD/nolt-cli" --host "$host" status >/dev/null || failed=$((failed + 1))
    done < <(head -n "$LOOP_SAMPLE" "$dir/hosts.txt")
    local loop
    loop=$(awk -v a="$t0" -v b="$(now)" -v n="$MODULES" -v s="$LOOP_SAMPLE" 'BEGIN { print (b - a) * n / s }')
    kill "$sim" && wait "$sim" 2>/dev/null || true
    row "nolt-cli --hosts: status of $MODULES simulated modules, one run" \
        "$(awk -v t="$batch" 'BEGIN { printf "%.2f s", t }') ($answered/$MODULES)" "< 2 s, all"
    row "nolt-cli status once per module, shell loop (${LOOP_SAMPLE} timed, x$((MODULES / LOOP_SAMPLE)))" \
        "$(awk -v t="$loop" 'BEGIN { printf "%.2f s", t }') ($failed failed)" ""
    row "Batch speed-up over the shell loop" "$(awk -v a="$loop" -v b="$batch" 'BEGIN { printf "%.1fx", a / b }')" \
        ">= 10x"
    [ "$answered" -eq "$MODULES" ] && [ "$failed" -eq 0 ]
}

# nolt-cli scan, the time for the whole range beside the per-address
# time-out (0.5 s): 127.0.0.0/22 with 16 simulators among 1,008 refusing
# addresses; then, in two network namespaces made here (root only), a /24
# and a /22 routed to a namespace that forwards nothing, so that every
# address but the two modules' drops the connection attempt.
SCAN_TIMEOUT=0.5
scan_seconds() {  # nolt-cli scan args...: the median of three runs' own time
    for _ in 1 2 3; do
        "$@" | sed -n 's/.* searched in //p' | awk '/ ms$/ { print $1 / 1000; next } { print $1 }'
    done | sort -g | sed -n 2p
}
scan_row() {  # what, seconds, found: the time and its ratio to the time-out
    row "$1" "$(awk -v t="$2" -v o="$SCAN_TIMEOUT" \
        'BEGIN { if (t < 1) printf "%.0f ms, %.2fx", t * 1000, t / o; else printf "%.2f s, %.1fx", t, t / o }')${3:+ $3}" \
        "<= 2 x time-out"
}
scan_rows() {
    local dir=$BUILD/scan-bench pids=() port=$((20000 + RANDOM % 12000)) a
    mkdir -p "$dir"
    for a in $(seq 0 15); do
        "$BUILD/nolt-sim" --address "127.0.$((a / 4)).$((a % 4 * 60 + 7))" --port "$port" --quiet \
            >"$dir/sim-$a.txt" 2>&1 &
        pids+=($!)
    done
    sleep 0.5
    local found
    found=$("$BUILD/nolt-cli" scan 127.0.0.0/22 --port "$port" | grep -c " version ")
    scan_row "nolt-cli scan of 127.0.0.0/22, 16 modules, 1,008 refusing" \
        "$(scan_seconds "$BUILD/nolt-cli" scan 127.0.0.0/22 --port "$port")" "($found/16)"
    kill "${pids[@]}" 2>/dev/null; wait "${pids[@]}" 2>/dev/null || true
    [ "$found" -eq 16 ] || return 1
    if [ "$(id -u)" != 0 ] || ! command -v ip >/dev/null; then
        echo "(scan rows in network namespaces left out: they need root and iproute2)"
        return 0
    fi
    local s=nolt-bench-scan-$$ m=nolt-bench-mods-$$
    # A new namespace copies the host's forwarding setting: off in both, so
    # that neither passes a packet on.
    ip netns add "$s" && ip netns add "$m" &&
        ip netns exec "$s" sh -c 'echo 0 >/proc/sys/net/ipv4/ip_forward' &&
        ip netns exec "$m" sh -c 'echo 0 >/proc/sys/net/ipv4/ip_forward' &&
        ip link add "nbs$$" netns "$s" type veth peer name "nbm$$" netns "$m" &&
        ip -n "$s" addr add 10.213.0.1/30 dev "nbs$$" && ip -n "$m" addr add 10.213.0.2/30 dev "nbm$$" &&
        ip -n "$s" link set lo up && ip -n "$s" link set "nbs$$" up &&
        ip -n "$m" link set lo up && ip -n "$m" link set "nbm$$" up &&
        ip -n "$s" route add 10.214.0.0/22 via 10.213.0.2 &&
        ip -n "$m" addr add 10.214.0.5/32 dev lo && ip -n "$m" addr add 10.214.0.77/32 dev lo || {
        ip netns del "$s" 2>/dev/null; ip netns del "$m" 2>/dev/null
        echo "(scan rows in network namespaces left out: the namespaces could not be made)"
        return 0
    }
    pids=()
    for a in 5 77; do
        ip netns exec "$m" "$BUILD/nolt-sim" --address "10.214.0.$a" --port 2000 --quiet >"$dir/ns-sim-$a.txt" 2>&1 &
        pids+=($!)
    done
    sleep 0.5
    # The scans run inside the scanner's namespace, whose one route for
    # 10.214.0.0/22 is the veth to the modules' namespace: nothing leaves the
    # machine, so the limit to loopback addresses is lifted for them alone.
    local cli=(ip netns exec "$s" env -u NOLT_SCAN_LOOPBACK_ONLY "$BUILD/nolt-cli" scan)
    found=$("${cli[@]}" 10.214.0.0/24 | grep -c " version ")
    scan_row "nolt-cli scan of a /24, 254 addresses dropping (namespaces)" \
        "$(scan_seconds "${cli[@]}" 10.214.0.0/24)" "($found/2)"
    scan_row "nolt-cli scan of a /22, 1,022 dropping, 256 at once (default)" \
        "$(scan_seconds "${cli[@]}" 10.214.0.0/22)" ""
    scan_row "nolt-cli scan of a /22, 1,022 dropping, --jobs 1024" \
        "$(scan_seconds "${cli[@]}" 10.214.0.0/22 --jobs 1024)" ""
    kill "${pids[@]}" 2>/dev/null; wait "${pids[@]}" 2>/dev/null || true
    ip netns del "$s"; ip netns del "$m"
    [ "$found" -eq 2 ]
}

run_rows nolt_bench
if [ "$GUI" = 1 ]; then
    run_rows nolt_bench_gui
    row "Tool file size, Linux (Qt's shared libraries not counted)" "$(mib "$(stat -c %s "$BUILD/nolt-pcclient")")"
fi

# The Windows build: the stripped, statically linked exe, and the tool's
# start-up (windows_startup_probe: the same application object and main
# dialog, ended once shown) under wine with its null graphics driver, the
# counterpart of Qt's offscreen platform. The time runs from starting wine
# (its server already up) to the dialog shown; the peak working set is what
# the process reports at its end.
if [ "${NOLT_BENCH_WINDOWS:-1}" = 1 ]; then
    need_packages g++-mingw-w64-x86-64 wine64 wine "${HEADER_PACKAGES[@]}"
    WBUILD=${NOLT_BENCH_WINDOWS_BUILD:-$ROOT/build-windows}
    cmake -S "$ROOT" -B "$WBUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$WBUILD" -j "$(jobs)" --target nolt-pcclient windows_startup_probe >/dev/null
    (
        # A fresh machine has no prefix yet: wine-env.sh makes it and returns
        # once wine is done with it (no server left), so that neither the
        # set-up nor a desktop made before the null driver was chosen is
        # timed or used.
        . scripts/wine-env.sh "$WBUILD/wineprefix" null
        wineserver --persistent=30
        probe=$WBUILD/tests/windows/windows_startup_probe.exe
        log=$WBUILD/windows_startup_probe.log
        : >"$log"
        dir=$(mktemp -d)
        export NOLT_PCCLIENT_CONFIG="Z:${dir//\//\\}\\Config.ini"
        wine "$probe" >/dev/null 2>&1  # warms wine's caches and starts its services
        : >"$dir/runs"
        for _ in 1 2 3 4 5 6 7; do
            start=$(date +%s%N)
            out=$(wine "$probe" 2>>"$log" | tr -d '\r')
            shown=$(awk '/^shown/ { print $2 }' <<<"$out")
            peak=$(awk '/^peak/ { print $2 }' <<<"$out")
            [ -n "$shown" ] && [ -n "$peak" ] ||
                { echo "(windows_startup_probe failed: it printed \"${out//$'\n'/ }\"; see $log)"; exit 1; }
            echo "$(( (shown - start) / 1000000 )) $peak" >>"$dir/runs"
        done
        row "Tool file size, Windows (nolt-pcclient.exe, static, no DLLs)" "$(mib "$(stat -c %s "$WBUILD/nolt-pcclient.exe")")"
        row "Tool start-up to dialog shown, Windows under wine (median of 7)" "$(cut -d' ' -f1 "$dir/runs" | median) ms"
        row "Tool peak working set at start-up, Windows under wine" "$(mib "$(cut -d' ' -f2 "$dir/runs" | sort -n | tail -n 1)")"
        rm -rf "$dir"
        wineserver --kill || true
    ) || status=1
fi
cli_rows || { echo "(nolt-cli rows: not every module answered; see $BUILD/cli-bench)"; status=1; }
scan_rows || { echo "(scan rows: not every module was found; see $BUILD/scan-bench)"; status=1; }
exit $status
