#!/usr/bin/env bash
# Builds the tool and the module simulator, starts the simulator on 127.0.0.1
# on a free port, and opens the tool with a settings file that points at it:
# press Connect, then "Current State of Camera".
#   NOLT_DEMO_BUILD=dir    build directory (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/lib.sh

need_packages "${BUILD_PACKAGES[@]}"
BUILD=${NOLT_DEMO_BUILD:-$ROOT/build}
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(jobs)" --target nolt-pcclient nolt-sim

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
    echo "No display found: run this from a desktop session (or under Xvfb with DISPLAY set)." >&2
    exit 1
fi

DEMO_DIR=$(mktemp -d /tmp/nolt-demo.XXXXXX)
SIM_LOG=$DEMO_DIR/sim.log
"$BUILD/nolt-sim" --bind 127.0.0.1 --port 0 >"$SIM_LOG" 2>&1 &
SIM_PID=$!
trap 'kill $SIM_PID 2>/dev/null || true; wait $SIM_PID 2>/dev/null || true' EXIT

PORT=""
for _ in $(seq 1 100); do
    PORT=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]\+\).*/\1/p' "$SIM_LOG" | head -n 1)
    [ -n "$PORT" ] && break
    sleep 0.05
done
[ -n "$PORT" ] || { echo "The simulator did not start:" >&2; cat "$SIM_LOG" >&2; exit 1; }

export NOLT_PCCLIENT_CONFIG=$DEMO_DIR/Config.ini
printf '[SaveData]\r\nLinkIP=127.0.0.1\r\nLinkPort=%s\r\nDstIp=192.168.2.119\r\nGateway=192.168.2.1\r\nDNS=0.0.0.0\r\nUdpDstIp=192.168.5.3\r\nUdpPort=23003\r\n' "$PORT" >"$NOLT_PCCLIENT_CONFIG"

echo "Module simulator on 127.0.0.1:$PORT (its frames: $SIM_LOG)"
echo "Settings file: $NOLT_PCCLIENT_CONFIG"
"$BUILD/nolt-pcclient"
