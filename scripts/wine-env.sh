# Sourced by the scripts that run the Windows build under wine: a private
# wine prefix, set up once, with no Mono or Gecko prompts and quiet logs.
# Usage: . scripts/wine-env.sh PREFIX [null|x11]
#   null: wine's null graphics driver (windows exist but are never drawn;
#         for tests, no display needed); x11: the X display in $DISPLAY.
export WINEPREFIX=$1
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Setting up the wine prefix in $WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver --wait || true
fi
if [ "${2:-null}" = null ]; then
    unset DISPLAY WAYLAND_DISPLAY
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
else
    wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
fi
