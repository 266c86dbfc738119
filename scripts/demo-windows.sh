#!/usr/bin/env bash
# The Windows build under wine against the module simulator: cross-builds
# nolt-pcclient.exe and nolt-sim.exe, starts the simulator (under wine) on
# 127.0.0.1 on a free port, and opens the tool on the X display in $DISPLAY
# with a settings file that points at it: press Connect, then "Current State
# of Camera". Do not press the Tools dialog's buttons here: under wine they
# run real commands (wine's ping sends real packets).
#   NOLT_DEMO_BUILD=dir    build directory (default: build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/lib.sh

need_packages cmake ninja-build g++-mingw-w64-x86-64 wine64 wine "${HEADER_PACKAGES[@]}"
BUILD=${NOLT_DEMO_BUILD:-$ROOT/build-windows}
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j "$(jobs)" --target nolt-pcclient nolt-sim

if [ -z "${DISPLAY:-}" ]; then
    echo "No X display found: run this from a desktop session (or under Xvfb with DISPLAY set)." >&2
    exit 1
fi
# A prefix of its own (the tests' prefix uses the null graphics driver).
# Wine draws the title bar itself, so that its system menu, with the About
# item, opens from the icon at its left (a window manager's own menu would
# take its place otherwise).
. scripts/wine-env.sh "$BUILD/wineprefix-x11" x11
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

DEMO_DIR=$(mktemp -d /tmp/nolt-demo-windows.XXXXXX)
SIM_LOG=$DEMO_DIR/sim.log
wine "$BUILD/nolt-sim.exe" --bind 127.0.0.1 --port 0 >"$SIM_LOG" 2>&1 &
SIM_PID=$!
trap 'kill $SIM_PID 2>/dev/null || true; wait $SIM_PID 2>/dev/null || true' EXIT

PORT=""
for _ in $(seq 1 400); do
    PORT=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]\+\).*/\1/p' "$SIM_LOG" | tr -d '\r' | head -n 1)
    [ -n "$PORT" ] && break
    sleep 0.05
done
[ -n "$PORT" ] || { echo "The simulator did not start:" >&2; cat "$SIM_LOG" >&2; exit 1; }

CONFIG=$DEMO_DIR/Config.ini
printf '[SaveData]\r\nLinkIP=127.0.0.1\r\nLinkPort=%s\r\nDstIp=127.0.0.1\r\nGateway=127.0.0.1\r\nDNS=0.0.0.0\r\nUdpDstIp=127.0.0.1\r\nUdpPort=23003\r\n' "$PORT" >"$CONFIG"
export NOLT_PCCLIENT_CONFIG="Z:${CONFIG//\//\\}"

echo "Module simulator on 127.0.0.1:$PORT (its frames: $SIM_LOG)"
echo "Settings file: $CONFIG"
wine "$BUILD/nolt-pcclient.exe"
