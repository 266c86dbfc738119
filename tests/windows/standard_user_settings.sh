#!/usr/bin/env bash
# The tool's settings for a standard user, end to end: nolt-pcclient.exe run
# under wine as a user who is not root, in a wine prefix of that user's own
# whose C: folder takes no new files (drive_c without write bits), as a
# standard user's C:\ on Windows. Typed addresses must be back at the next
# start, after Close and after the session's end (a log-off closes no
# window); values an old copy of the tool left in the VirtualStore must
# reach the user's own file. An administrator's C:\Config.ini that this
# user may read but not write gives a first start its values, and the saves
# go to the user's own file; one this user may write is saved in place.
# No run may show a message box. Needs root (to make the user); otherwise,
# or when no user can be made, it is skipped (exit 77) with the reason.
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
shared=$drive/Config.ini
cleanup() {
    as_user wineserver --kill >/dev/null 2>&1 || true
    rm -f "$shared"
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
rm -rf "$local/nolt-pcclient" "$local/VirtualStore" "$shared"
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
# Runs the tool and checks the fields it showed at the start; anything else
# the driver printed (a box's text, a typing that did not take) fails too.
shows() {  # what, expected fields, driver arguments...
    local what=$1 expected=$2 out
    shift 2
    out=$(run_tool "$@" || true)
    check "$what" "$expected" "$(grep -E '^[0-9]+=' <<<"$out" | tr '\n' ' ' | sed 's/ $//')"
    check "$what: no box, nothing else" "" "$(grep -vE '^[0-9]+=' <<<"$out" || true)"
}
typed=(1006=10.20.30.40 1011=10.20.30.41 1029=10.20.30.1)

# A first start shows the start values; typed values, closed, started again: they are back.
shows "first start shows the start values" "1006=192.168.2.119 1011=192.168.2.119 1029=192.168.2.1" "${typed[@]}"
shows "the next start shows the typed values" "1006=10.20.30.40 1011=10.20.30.41 1029=10.20.30.1" 1006 1011 1029
check "they are in the user's own file" "DstIp=10.20.30.41" \
    "$(grep -a '^DstIp=' "$local/nolt-pcclient/Config.ini" 2>/dev/null | tr -d '\r')"
check "nothing was made in C:\\" "" "$(ls "$drive" | grep -ix 'config.ini' || true)"

# Typed, and then the session ends: wineboot --end-session sends every
# window WM_QUERYENDSESSION and WM_ENDSESSION, as a log-off does, and then
# ends the programs. (The driver's output goes to a file: the tool, left
# running, holds the handles it inherited.)
as_user wine "$driver" --leave-open "$tool" 1011=10.20.30.42 >"$area/driver.txt" 2>&1 </dev/null || true
as_user wine wineboot --end-session >/dev/null 2>&1 </dev/null || true
shows "the next start after the session's end shows the value typed" "1011=10.20.30.42" 1011

# Values an old copy of the tool "wrote" to C:\Config.ini through the
# VirtualStore are taken on a first start, and saved to the user's own file.
rm -rf "$local/nolt-pcclient"
mkdir -p "$local/VirtualStore"
printf '[SaveData]\r\nLinkIP=10.9.8.7\r\nLinkPort=2000\r\nDstIp=10.9.8.6\r\nGateway=10.9.8.1\r\n' >"$local/VirtualStore/Config.ini"
chown -R "$user:" "$local/VirtualStore"
shows "a first start takes the VirtualStore's values" "1006=10.9.8.7 1011=10.9.8.6" 1006 1011
check "and saves them to the user's own file" "LinkIP=10.9.8.7" \
    "$(grep -a '^LinkIP=' "$local/nolt-pcclient/Config.ini" 2>/dev/null | tr -d '\r')"

# A C:\Config.ini that an elevated run made: this user may read it but not
# write it (root's, mode 0644, as a file with a high integrity label is to
# a standard user on Windows). A first start shows its values; the save
# goes to the user's own file, without a box, and is read from then on; the
# administrator's file stays as it was.
rm -rf "$local/nolt-pcclient" "$local/VirtualStore"
printf '[SaveData]\r\nLinkIP=10.7.7.7\r\nLinkPort=2000\r\nDstIp=10.7.7.6\r\nGateway=10.7.7.1\r\n' >"$shared"
chown root:root "$shared"
chmod 0644 "$shared"
administrators=$(md5sum <"$shared")
shows "a first start shows the values of a C:\\Config.ini this user may only read" \
    "1006=10.7.7.7 1011=10.7.7.6 1029=10.7.7.1" 1006=10.20.30.50 1011=10.20.30.51 1029=10.20.30.2
shows "the next start shows the values typed then" "1006=10.20.30.50 1011=10.20.30.51 1029=10.20.30.2" 1006 1011 1029
check "they are in the user's own file" "DstIp=10.20.30.51" \
    "$(grep -a '^DstIp=' "$local/nolt-pcclient/Config.ini" 2>/dev/null | tr -d '\r')"
check "C:\\Config.ini is left as it was" "$administrators" "$(md5sum <"$shared")"

# The same file, now one this user may write (as C:\'s files are to its
# Authenticated Users on Windows), in a C:\ that still takes no new file:
# it is read, and saved in place; the user's own file is left alone.
chown "$user:" "$shared"
shows "a C:\\Config.ini this user may write is read" "1006=10.7.7.7" 1006=10.20.30.60
check "and saved in place" "LinkIP=10.20.30.60" "$(grep -a '^LinkIP=' "$shared" | tr -d '\r')"
check "nothing else was made in C:\\" "" "$(ls "$drive" | grep -i '^config\.ini.' || true)"
check "the user's own file is left alone" "LinkIP=10.20.30.50" \
    "$(grep -a '^LinkIP=' "$local/nolt-pcclient/Config.ini" 2>/dev/null | tr -d '\r')"

echo "standard user settings: $failures failed"
[ "$failures" -eq 0 ]
