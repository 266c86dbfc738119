#!/usr/bin/env bash
# Checks the Windows packages: the zip's contents, and the installer run
# silently under wine in a private prefix: the programs, the Start-menu
# shortcuts, the uninstaller registered with Windows, an installed program
# answering --version, and the silent uninstaller removing it all again.
# No display is needed.
# Usage: tests/package/check-windows.sh PACKAGE.zip INSTALLER.exe WINDOWS-BUILD-DIR
set -euo pipefail
zip=$(realpath "$1")
installer=$(realpath "$2")
build=$(realpath "$3")
. "$(dirname "$0")/lib.sh"

version=$(project_version "$build")
mapfile -t programs < <(built_programs "$build")
name=nolt-pcclient-$version-win64
echo "Windows packages $(basename "$zip"), $(basename "$installer") (programs: ${programs[*]})"

# --- the zip: the programs, the dissector and the README in one folder, nothing else
want=("$name/README.txt" "$name/nolt.lua")
for p in "${programs[@]}"; do want+=("$name/$p.exe"); done
same "$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')" \
     "$(printf '%s\n' "${want[@]}" | sort | tr '\n' ' ')" "the zip holds the programs, nolt.lua and README.txt"
same "$(unzip -p "$zip" "$name/nolt.lua" | md5sum)" "$(md5sum <"$(dirname "$0")/../../wireshark/nolt.lua")" \
     "the zip's nolt.lua is the dissector"
readme=$(unzip -p "$zip" "$name/README.txt")
check "README.txt has Windows line ends" grep -q $'\r$' <<<"$readme"
for p in "${programs[@]}"; do
    check "README.txt names $p.exe" grep -qF "$p.exe" <<<"$readme"
done
check "README.txt says where nolt.lua goes" grep -qF 'copy nolt.lua into Wireshark' <<<"$readme"

# --- the installer, under wine
export WINEPREFIX=$build/package-wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer prompts
unset DISPLAY WAYLAND_DISPLAY
# A fresh prefix each time, so nothing left by an earlier run can pass a check.
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
wineserver --wait || true
trap 'wineserver --kill >/dev/null 2>&1 || true' EXIT

drive=$WINEPREFIX/drive_c
instdir="$drive/Program Files/nolt PC client"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/nolt PC client"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\nolt-pcclient'
shortcuts=()
for p in "${programs[@]}"; do
    case $p in
        nolt-pcclient) shortcuts+=("nolt PC client.lnk:$p.exe") ;;
        nolt-sim) shortcuts+=("nolt PC client module simulator.lnk:$p.exe") ;;
    esac
done
reg_value() {  # VALUE-NAME: prints the data of the uninstall key's value
    wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"
}
# A .lnk file holds its target's path; check it names the right program.
points_to() { strings -a -el "$1" | grep -qiF "$2" || strings -a "$1" | grep -qiF "$2"; }

wine "$installer" /S >/dev/null 2>&1 && status=0 || status=$?
wineserver --wait || true
same "$status" 0 "the installer runs silently (/S)"
for p in "${programs[@]}"; do check "installs $p.exe" test -f "$instdir/$p.exe"; done
check "installs README.txt" test -f "$instdir/README.txt"
check "installs nolt.lua" test -f "$instdir/nolt.lua"
check "installs the uninstaller" test -f "$instdir/uninstall.exe"
for s in "${shortcuts[@]}"; do
    lnk="$menu/${s%%:*}"
    check "Start-menu shortcut ${s%%:*}" test -f "$lnk"
    if [ -f "$lnk" ]; then check "the shortcut starts ${s#*:}" points_to "$lnk" "${s#*:}"; fi
done
check "at least one Start-menu shortcut" test "${#shortcuts[@]}" -gt 0
same "$(reg_value DisplayName)" "nolt PC client" "uninstaller registered: DisplayName"
same "$(reg_value DisplayVersion)" "$version" "uninstaller registered: DisplayVersion"
same "$(reg_value UninstallString)" '"C:\Program Files\nolt PC client\uninstall.exe"' \
    "uninstaller registered: UninstallString"
same "$(reg_value QuietUninstallString)" '"C:\Program Files\nolt PC client\uninstall.exe" /S' \
    "uninstaller registered: QuietUninstallString"

# The command-line client when this build has it, else the simulator.
probe=nolt-sim
[[ " ${programs[*]} " == *" nolt-cli "* ]] && probe=nolt-cli
out=$(wine "C:\\Program Files\\nolt PC client\\$probe.exe" --version 2>/dev/null | tr -d '\r') || true
same "$out" "$probe $version" "the installed $probe.exe --version"

# The uninstaller copies itself to a temporary folder and returns at once;
# waiting for the wine server waits for that copy too.
wine "C:\\Program Files\\nolt PC client\\uninstall.exe" /S >/dev/null 2>&1 && status=0 || status=$?
wineserver --wait || true
same "$status" 0 "the uninstaller runs silently (/S)"
check "the uninstaller removes the program folder" test ! -e "$instdir"
check "the uninstaller removes the Start-menu folder" test ! -e "$menu"
not_registered() { ! wine reg query "$key" >/dev/null 2>&1; }
check "the uninstaller removes its registration" not_registered

finish "Windows package checks"
