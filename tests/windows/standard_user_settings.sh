#!/usr/bin/env bash
# The tool's settings for a standard user, end to end: nolt-pcclient.exe run
# under wine as a user who is not root, in a wine prefix of that user's own
# whose C: folder takes no new files (drive_c without write bits), as a
# standard user's C:\ on Windows. Typed addresses must be back at the next
# start, after Close and after the session's end (a log-off closes no
# window); values an old copy of the tool left in the VirtualStore must
# reach the user's own file. Needs root (to make the user); otherwise, or
# when no user can be made, it is skipped (exit 77) with the reason.
# Usage: tests/windows/standard_user_settings.sh WINDOWS-BUILD-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
user=nolt-standard-user
skip() { echo "SKIPPED: $*"; exit 77; }

[ "$(id -u)" -eq 0 ] || skip "needs root to make a user who is not root"
command -v wine >/dev/null || skip "wine is not installed"
if ! id "$user" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null ||
        skip "no user could be made (useradd $user failed)"
fi
# A cleared environment, but searches stay on the machine's own addresses.
as_user() { runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$area" WINEPREFIX="$prefix" WINEDEBUG=-all \
                WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
                NOLT_SCAN_LOOPBACK_ONLY="${NOLT_SCAN_LOOPBACK_ONLY:-1}" "$@"; }

# The user's own place: in the build folder when the user can reach it (so
# that the prefix is made once), else in a temporary folder.
area=$build/standard-user
temporary=
if ! runuser -u "$user" -- test -x "$build"; then
    area=$(mktemp -d /tmp/nolt-standard-user.XXXXXX)
    temporary=$area
fi
prefix=$area/wineprefix
drive=$prefix/drive_c
cleanup() {
    as_user wineserver --kill >/dev/null 2>&1 || true
    [ ! -d "$drive" ] || chmod u+w "$drive"
    [ -z "$temporary" ] || rm -rf "$temporary"
}
trap cleanup EXIT
mkdir -p "$area/bin"
cp "$build/nolt-pcclient.exe" "$build/tests/windows/standard_user_driver.exe" "$area/bin/"
chown "$user:" "$area" "$area/bin" "$area/bin/"*
if [ ! -f "$prefix/system.reg" ]; then
    echo "Making the wine prefix of $user in $prefix"
    rm -rf "$prefix"
    as_user wineboot --init >/dev/null 2>&1 || true
    as_user wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    as_user wineserver --wait || true
fi
[ -d "$drive" ] || { echo "FAILED: wine made no prefix for $user"; exit 1; }
chmod a-w "$drive"
local=$drive/users/$user/AppData/Local
rm -rf "$local/nolt-pcclient" "$local/VirtualStore"
failures=0
check() {  # what, expected, actual
    if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}

# First: does wine refuse this user a new file in C:\, as Windows does a
# standard user? Otherwise the run below would show nothing.
as_user wine cmd /c 'echo x> C:\probe.txt' >/dev/null 2>&1 || true
if [ -e "$drive/probe.txt" ]; then
    echo "FAILED: wine let $user create C:\\probe.txt; the settings run would prove nothing"
    exit 1
fi
echo "ok: wine refuses $user a new file in C:\\ (as Windows refuses a standard user)"

tool='Z:'${area//\//\\}'\bin\nolt-pcclient.exe'
driver=$area/bin/standard_user_driver.exe
run_tool() { as_user wine "$driver" "$tool" "$@" 2>/dev/null </dev/null | tr -d '\r'; }
typed=(1006=10.20.30.40 1011=10.20.30.41 1029=10.20.30.1)

# A first start shows the start values; typed values, closed, started again: they are back.
check "first start shows the start values" "1006=192.168.2.119 1011=192.168.2.119 1029=192.168.2.1" \
    "$(run_tool "${typed[@]}" | tr '\n' ' ' | sed 's/ $//')"
check "the next start shows the typed values" "1006=10.20.30.40 1011=10.20.30.41 1029=10.20.30.1" \
    "$(run_tool 1006 1011 1029 | tr '\n' ' ' | sed 's/ $//')"
check "they are in the user's own file" "DstIp=10.20.30.41" \
    "$(grep -a '^DstIp=' "$local/nolt-pcclient/Config.ini" 2>/dev/null | tr -d '\r')"
check "nothing was made in C:\\" "" "$(ls "$drive" | grep -ix 'config.ini' || true)"

# Typed, and then the session ends: wineboot --end-session sends every
# window WM_QUERYENDSESSION and WM_ENDSESSION, as a log-off does, and then
# ends the programs. (The driver's output goes to a file: the tool, left
# running, holds the handles it inherited.)
as_user wine "$driver" --leave-open "$tool" 1011=10.20.30.42 >"$area/driver.txt" 2>&1 </dev/null || true
as_user wine wineboot --end-session >/dev/null 2>&1 </dev/null || true
check "the next start after the session's end shows the value typed" "1011=10.20.30.42" "$(run_tool 1011)"

# Values an old copy of the tool "wrote" to C:\Config.ini through the
# VirtualStore are taken on a first start, and saved to the user's own file.
rm -rf "$local/nolt-pcclient"
mkdir -p "$local/VirtualStore"
printf '[SaveData]\r\nLinkIP=10.9.8.7\r\nLinkPort=2000\r\nDstIp=10.9.8.6\r\nGateway=10.9.8.1\r\n' >"$local/VirtualStore/Config.ini"
chown -R "$user:" "$local/VirtualStore"
check "a first start takes the VirtualStore's values" "1006=10.9.8.7 1011=10.9.8.6" \
    "$(run_tool 1006 1011 | tr '\n' ' ' | sed 's/ $//')"
check "and saves them to the user's own file" "LinkIP=10.9.8.7" \
    "$(grep -a '^LinkIP=' "$local/nolt-pcclient/Config.ini" 2>/dev/null | tr -d '\r')"

echo "standard user settings: $failures failed"
[ "$failures" -eq 0 ]
