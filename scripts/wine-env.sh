# Sourced by the scripts that run the Windows build under wine: a private
# wine prefix, set up once, with no Mono or Gecko prompts and quiet logs.
# Usage: . scripts/wine-env.sh PREFIX [null|x11]
#   null: wine's null graphics driver (windows exist but are never drawn;
#         for tests, no display needed); x11: the X display in $DISPLAY.
# Returns with no wine server running for the prefix and the prefix ready,
# so that the next program starts a fresh server (and desktop) that uses
# the chosen driver.
export WINEPREFIX=$1
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Setting up the wine prefix in $WINEPREFIX" >&2
    wineboot --init >/dev/null 2>&1 || true
    wineserver --wait || true
fi
# The driver a prefix uses, as its user.reg holds it (the server writes the
# file when it ends): empty for the default (x11).
wine_graphics_driver() {
    awk '/^\[Software\\\\Wine\\\\Drivers\]/ { inside = 1; next } /^\[/ { inside = 0 }
         inside && /^"Graphics"=/ { sub(/^"Graphics"="/, ""); sub(/"$/, ""); print }' "$WINEPREFIX/user.reg" 2>/dev/null
}
wine_driver=${2:-null}
[ "$wine_driver" = x11 ] && wine_driver=
[ -z "$wine_driver" ] || unset DISPLAY WAYLAND_DISPLAY
if [ "$(wine_graphics_driver)" != "$wine_driver" ]; then
    if [ -n "$wine_driver" ]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$wine_driver" /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    fi
    # reg.exe's own start made the desktop with the driver set before; that
    # desktop would serve every program of the same server. Let it end.
    wineserver --wait || true
fi
unset wine_driver
