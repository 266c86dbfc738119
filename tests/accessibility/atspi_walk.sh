#!/usr/bin/env bash
# Starts the tool on a private X server and accessibility bus and walks its
# main dialog as a screen reader would (atspi_walk.py). Exits 77 (skipped)
# with the reason where no bus or X server can be started here.
# Usage: atspi_walk.sh TOOL HEARD_NAMES_HEADER OUTPUT
set -uo pipefail
TOOL=$1 HEARD=$2 OUT=$3
HERE=$(cd "$(dirname "$0")" && pwd)
skip() { echo "skipped: $*"; exit 77; }

PYTHON=
for p in /usr/bin/python3 python3; do
    "$p" -c "import pyatspi" 2>/dev/null && { PYTHON=$p; break; }
done
[ -n "$PYTHON" ] || skip "no python3 with pyatspi (Debian: python3-pyatspi)"
LAUNCHER=
for l in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$l" ] && { LAUNCHER=$l; break; }
done
[ -n "$LAUNCHER" ] || skip "no at-spi-bus-launcher (Debian: at-spi2-core)"
command -v dbus-run-session >/dev/null || skip "no dbus-run-session (Debian: dbus-daemon)"
command -v dbus-send >/dev/null || skip "no dbus-send (Debian: dbus-bin)"
command -v Xvfb >/dev/null || skip "no Xvfb (Debian: xvfb)"

dbus-run-session -- true 2>/dev/null || skip "no session bus: $(dbus-run-session -- true 2>&1 | tail -n 1)"

WORK=$(mktemp -d)
XVFB=
cleanup() {
    [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# A display of its own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
XVFB=$!
for _ in $(seq 50); do
    [ -s "$WORK/display" ] && break
    kill -0 "$XVFB" 2>/dev/null || break
    sleep 0.1
done
[ -s "$WORK/display" ] || skip "Xvfb did not start: $(tail -n 1 "$WORK/xvfb.log")"
export DISPLAY=:$(cat "$WORK/display")

# The tool's settings: loopback addresses of their own in each field, so
# that each IP-address control must read out its own address. Nothing is sent.
cp "$HERE/../support/loopback_settings.ini" "$WORK/Config.ini"
export NOLT_PCCLIENT_CONFIG=$WORK/Config.ini
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

export WORK TOOL PYTHON HERE HEARD OUT
# Inside a session bus of its own: the accessibility bus, then the tool with
# accessibility on, then the walk. The tool is stopped when the walk ends.
dbus-run-session -- bash -c '
    "$0" --launch-immediately >"$WORK/launcher.log" 2>&1 &
    launcher=$!
    up=
    for _ in $(seq 50); do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
            >/dev/null 2>&1 && { up=1; break; }
        sleep 0.1
    done
    if [ -z "$up" ]; then
        echo "skipped: the accessibility bus did not start: $(tail -n 1 "$WORK/launcher.log")"
        kill $launcher 2>/dev/null
        exit 77
    fi
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$TOOL" >"$WORK/tool.log" 2>&1 &
    tool=$!
    "$PYTHON" "$HERE/atspi_walk.py" "$HEARD" "$OUT"
    status=$?
    kill $tool $launcher 2>/dev/null
    wait $tool 2>/dev/null
    exit $status
' "$LAUNCHER" 2>"$WORK/session.log"
status=$?
[ $status -eq 0 ] || [ $status -eq 77 ] || { echo "--- the tool's output:"; cat "$WORK/tool.log"; }
exit $status
