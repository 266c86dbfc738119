#!/usr/bin/env bash
# nolt-pcclient.exe --help and --version under wine, where a user of cmd.exe
# sees them. The tool is a GUI-subsystem program: started the way cmd.exe
# starts one on Windows (here `start /wait`: no standard handles of its
# own), it must print to the console of the program that started it. wine
# gives cmd a console only on a terminal, so the run gets one (script).
# Printed to a redirected output, the texts must be the same.
# Usage: tests/windows/info_options.sh WINDOWS-BUILD-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
command -v script >/dev/null || { echo "SKIPPED: script (util-linux) is not installed"; exit 77; }
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY

plain() { tr -d '\r' | sed -e 's/\x1b\[[?0-9;]*[a-zA-Z]//g'; }
in_console() { (cd "$build" && script -qec "wine cmd /c start /wait nolt-pcclient.exe $1" /dev/null </dev/null) | plain; }
redirected() { (cd "$build" && wine nolt-pcclient.exe "$1" </dev/null 2>/dev/null) | plain; }

failures=0
check() {  # what, command...
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
version=$(in_console --version)
help=$(in_console --help)
check "--version in the console: [$version]" grep -qxE 'nolt-pcclient [0-9]+\.[0-9]+\.[0-9]+' <<<"$version"
check "--version redirected prints the same" test "$(redirected --version)" = "$version"
check "--help in the console starts with the usage" grep -qx 'Usage: nolt-pcclient \[--help\] \[--version\]' <<<"$help"
check "--help names C:\\Config.ini" grep -qF 'C:\Config.ini' <<<"$help"
check "--help names %LOCALAPPDATA%\\nolt-pcclient\\Config.ini" grep -qF '%LOCALAPPDATA%\nolt-pcclient\Config.ini' <<<"$help"
check "--help does not name \$XDG_CONFIG_HOME" test -z "$(grep -F XDG_CONFIG_HOME <<<"$help")"
check "--help redirected prints the same" test "$(redirected --help)" = "$help"
echo "info options: $failures failed"
[ "$failures" -eq 0 ]
