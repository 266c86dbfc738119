#!/usr/bin/env bash
# The main dialog on a real window manager's screen with a task bar: for each
# screen below, a private X server and openbox, whose bottom margin stands
# for the task bar (it sets _NET_WORKAREA as a panel's strut does), and the
# tool at a scale factor. What the window manager says of the window (its
# place, its frame) must put all of the frame, title bar included, in the
# work area, centred across it; and a real click where Close shows must end
# the tool normally. Exits 77 (skipped) with the reason where no X server or
# openbox can be started here. Screenshots go to OUT_DIR.
# Usage: placed_whole.sh PROBE OUT_DIR   (PROBE: placement_probe)
set -uo pipefail
PROBE=$1 OUT=$2
HERE=$(cd "$(dirname "$0")" && pwd)
skip() { echo "skipped: $*"; exit 77; }
for tool in Xvfb:xvfb openbox:openbox xdotool:xdotool xprop:x11-utils xwininfo:x11-utils; do
    command -v "${tool%%:*}" >/dev/null || skip "no ${tool%%:*} (Debian: ${tool#*:})"
done

# width height task-bar scale
SCREENS=("1366 768 50 1.25" "1366 768 60 1.5" "1280 800 0 1")

WORK=$(mktemp -d)
XVFB= WM= TOOL=
stop() {
    for pid in $TOOL $WM $XVFB; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    TOOL= WM= XVFB=
}
trap 'stop; rm -rf "$WORK"' EXIT
mkdir -p "$OUT"

# Settings with loopback addresses in every field (closing writes them
# back), fresh for each screen. Nothing is sent.
write_settings() { cp "$HERE/../support/loopback_settings.ini" "$WORK/Config.ini"; }
export NOLT_PCCLIENT_CONFIG=$WORK/Config.ini NOLT_SCAN_LOOPBACK_ONLY=1 QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Waits up to 10 s for a command to succeed.
wait_for() {
    for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
    return 1
}

start_screen() {  # width height task-bar
    rm -f "$WORK/display"
    Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    XVFB=$!
    wait_for test -s "$WORK/display" || skip "Xvfb did not start: $(tail -n 1 "$WORK/xvfb.log")"
    export DISPLAY=:$(cat "$WORK/display")
    cat >"$WORK/rc.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>0</top><bottom>$3</bottom><left>0</left><right>0</right></margins>
</openbox_config>
XML
    openbox --sm-disable --config-file "$WORK/rc.xml" >"$WORK/openbox.log" 2>&1 &
    WM=$!
    workarea_is() { [ "$(xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.* = \([0-9, ]*\)/\1/p' |
                         cut -d, -f1-4 | tr -d ' ')" = "0,0,$1,$2" ]; }
    wait_for workarea_is "$1" "$(($2 - $3))" || skip "openbox did not start: $(tail -n 1 "$WORK/openbox.log")"
}

# The client area (x y w h) and the frame's extents (left right top bottom)
# as the X server and the window manager have them.
client_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                                        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'; }
extents_of() { xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ','; }

failures=0
check() {  # what, condition...
    local what=$1; shift
    "$@" && return 0
    echo "FAILED: $what"; failures=$((failures + 1)); return 1
}

for screen in "${SCREENS[@]}"; do
    read -r sw sh bar scale <<<"$screen"
    name="${sw}x${sh}-bar${bar}-scale${scale}"
    echo "== $sw x $sh, task bar $bar px, scale $scale"
    start_screen "$sw" "$sh" "$bar"
    write_settings
    QT_SCALE_FACTOR=$scale "$PROBE" >"$WORK/probe.out" 2>"$WORK/probe.err" &
    TOOL=$!
    window=
    framed() {
        window=$(xdotool search --onlyvisible --pid "$TOOL" --name "nolt PC client" 2>/dev/null | head -n 1)
        [ -n "$window" ] && [ -n "$(extents_of "$window")" ] && grep -q "^close " "$WORK/probe.out"
    }
    if ! wait_for framed; then
        echo "FAILED: no framed main window"; cat "$WORK/probe.err"; failures=$((failures + 1)); stop; continue
    fi
    # Settled: the same place twice in a row (a window may be moved once
    # its real frame is known).
    last=
    settled() { local now; now=$(client_of "$window"); [ "$now" = "$last" ] || { last=$now; sleep 0.2; return 1; }; }
    wait_for settled
    read -r x y w h <<<"$(client_of "$window")"
    read -r left right top bottom <<<"$(extents_of "$window")"
    work_h=$((sh - bar))
    echo "client $x,$y ${w}x$h; frame extents $left $right $top $bottom; work area 0,0 ${sw}x$work_h"
    command -v import >/dev/null && import -window root "$OUT/$name.png" 2>/dev/null
    check "the title bar is on the screen (frame top $((y - top)) >= 0)" test $((y - top)) -ge 0
    check "the frame's left edge is on the screen" test $((x - left)) -ge 0
    check "the frame ends above the task bar ($((y + h + bottom)) <= $work_h)" test $((y + h + bottom)) -le "$work_h"
    check "the frame ends inside the screen's width" test $((x + w + right)) -le "$sw"
    # Centred across the work area (to a pixel of rounding).
    off=$(((x - left) - (sw - (w + left + right)) / 2))
    check "centred across the screen (off by $off px)" test "${off#-}" -le 1

    read -r _ cx cy <"$WORK/probe.out"
    xdotool mousemove --sync $((x + cx)) $((y + cy)) click 1
    ended() { ! kill -0 "$TOOL" 2>/dev/null; }
    if wait_for ended; then
        wait "$TOOL"; status=$?
        check "Close ended the tool normally (status $status)" test "$status" -eq 0 || tail -n 20 "$WORK/probe.err"
    else
        echo "FAILED: a click on Close at $((x + cx)),$((y + cy)) did not end the tool"; failures=$((failures + 1))
    fi
    TOOL=
    stop
done
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "every screen: the whole frame in the work area, Close answered a click"
