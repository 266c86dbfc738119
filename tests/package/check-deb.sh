#!/usr/bin/env bash
# Checks the Debian package: its file list, its computed Depends, lintian,
# the desktop entry and AppStream validators, that the programs it
# installs into a throwaway root run, and that with its files in place
# tshark decodes a recording the packaged nolt-cli made of the packaged
# nolt-sim without being told where the dissector is.
# Usage: tests/package/check-deb.sh PACKAGE.deb BUILD-DIR
set -euo pipefail
deb=$(realpath "$1")
build=$(realpath "$2")
recording=""
source_dir=$(realpath "$(dirname "$0")/../..")
. "$(dirname "$0")/lib.sh"

version=$(project_version "$build")
mapfile -t programs < <(built_programs "$build")
has_gui=0
[[ " ${programs[*]} " == *" nolt-pcclient "* ]] && has_gui=1
app=io.github.nolt.pcclient
doc=/usr/share/doc/nolt-pcclient

echo "Debian package $(basename "$deb") (programs: ${programs[*]})"

# --- the file list
files=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
in_package() { grep -qxF "$1" <<<"$files"; }
expected=("$doc/copyright" "$doc/changelog.gz")
for p in "${programs[@]}"; do
    expected+=("/usr/bin/$p" "/usr/share/man/man1/$p.1.gz")
done
if [ "$has_gui" -eq 1 ]; then
    expected+=("/usr/share/applications/$app.desktop" "/usr/share/metainfo/$app.metainfo.xml"
               "/usr/share/icons/hicolor/scalable/apps/$app.svg")
    for size in 16 32 48 64 128 256; do
        expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$app.png")
    done
fi
# The dissector, in the folder tshark and Wireshark load every user's Lua
# plugins from (Debian's layout where tshark is not installed).
lua_dir=$(tshark -G folders 2>/dev/null | sed -n 's/^Global Lua Plugins:[[:space:]]*//p' || true)
[ -n "$lua_dir" ] || lua_dir=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/wireshark/plugins
dissector=$lua_dir/nolt.lua
expected+=("$dissector")
for f in "${expected[@]}"; do check "holds $f" in_package "$f"; done
same "$(grep '^/usr/bin/.' <<<"$files" | sort | tr '\n' ' ')" \
     "$(printf '/usr/bin/%s\n' "${programs[@]}" | sort | tr '\n' ' ')" "holds no other programs"

# --- the control fields
same "$(dpkg-deb -f "$deb" Package)" nolt-pcclient "package name"
same "$(dpkg-deb -f "$deb" Version)" "$version" "package version is the project's"
depends=$(dpkg-deb -f "$deb" Depends)
check "Depends computed from the libraries (libc6 with a version): $depends" grep -q 'libc6 (>= ' <<<"$depends"
if [ "$has_gui" -eq 1 ]; then
    check "Depends names Qt's widgets library" grep -q 'libqt6widgets6 (>= ' <<<"$depends"
fi

# --- lintian: every tag is either fixed or overridden with its reason
lint=$(lintian --display-info --info --fail-on error,warning,info "$deb" 2>&1) && status=0 || status=$?
lint=$(grep -v "running with root privileges" <<<"$lint" || true)
same "$status: $lint" "0: " "lintian is clean"

root=$(mktemp -d "$build/deb-root.XXXXXX")
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$root"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$root"

# --- the desktop entry and the software-centre metainfo
if [ "$has_gui" -eq 1 ]; then
    out=$(desktop-file-validate "$root/usr/share/applications/$app.desktop" 2>&1) && status=0 || status=$?
    same "$status: $out" "0: " "desktop-file-validate is clean"
    # validate-tree also matches the metainfo with the desktop entry and icons.
    out=$(appstreamcli validate-tree --no-net --pedantic "$root" 2>&1) && status=0 || status=$?
    check "appstreamcli validate-tree is clean: $out" test "$status" -eq 0
    no_findings() { ! grep -qE '^ *[EWIP]: ' <<<"$1"; }
    check "appstreamcli reports nothing" no_findings "$out"
fi

# --- the installed programs run, without a display
prints_usage() { [ "$1" -eq 0 ] && grep -qi "usage" <<<"$2"; }
for p in "${programs[@]}"; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$p" --version 2>&1) || true
    same "$out" "$p $version" "$p --version"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$p" --help 2>&1) && status=0 || status=$?
    check "$p --help prints its usage" prints_usage "$status" "$out"
    out=$(LC_ALL=C.UTF-8 man --warnings -l "$root/usr/share/man/man1/$p.1.gz" 2>&1 >/dev/null) || true
    same "$out" "" "$p's man page reads without warnings"
done

# nolt-sim starts on a free port and answers a version query.
if [[ " ${programs[*]} " == *" nolt-sim "* ]]; then
    log=$root/sim.log
    "$root/usr/bin/nolt-sim" --port 0 >"$log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do grep -q "^listening on" "$log" && break; sleep 0.1; done
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$log" | head -n 1)
    check "nolt-sim --port 0 starts: $(head -n 1 "$log")" test -n "$port"
    reply=""
    if [ -n "$port" ]; then
        # Version query AA 05 01 01 01; the reply starts AA 05.
        reply=$(timeout 5 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port
            printf '\xaa\x05\x01\x01\x01' >&3; head -c 2 <&3 | od -An -tx1" | tr -d ' \n') || true
    fi
    same "$reply" "aa05" "the packaged nolt-sim answers a version query"
    # ... and the packaged nolt-cli records a status query to it.
    if [ -n "$port" ] && [[ " ${programs[*]} " == *" nolt-cli "* ]]; then
        recording=$root/recording.pcapng
        record() { NOLT_SCAN_LOOPBACK_ONLY=1 "$root/usr/bin/nolt-cli" --host "127.0.0.1:$port" --pcap "$recording" status >/dev/null; }
        check "nolt-cli --pcap records a status query" record
    fi
fi

# --- the installed dissector decodes a recording with no -X option. As root
# tshark ignores the plugin-folder variables, so an unpacked copy elsewhere
# would prove nothing: the package's files are laid over /usr in a private
# mount namespace, where tshark finds them as after dpkg -i, and the
# machine's own /usr stays as it was.
in_place() {  # COMMAND...: runs it with the package's files in place
    unshare -m sh -c 'mount --make-rprivate / && mount -t overlay nolt-package -o "lowerdir=$0/usr:/usr" /usr &&
        exec "$@"' "$root" "$@"
}
names() { "$@" -r "$recording" -Y nolt -T fields -e nolt.name 2>&1 | grep -v "Running as user" || true; }
skip_reason=""
if ! command -v tshark >/dev/null; then
    skip_reason="tshark is not installed"
elif [ -z "$recording" ] || [ ! -f "$recording" ]; then
    skip_reason="no recording was made (nolt-sim or nolt-cli is missing or failed)"
elif ! in_place true 2>/dev/null; then
    skip_reason="a private mount namespace with an overlay over /usr needs root"
fi
if [ -n "$skip_reason" ]; then
    echo "  skip  tshark decoding with the installed dissector: $skip_reason"
else
    host_before=$(ls -l "$lua_dir" 2>&1)
    want=$(names tshark -X "lua_script:$source_dir/wireshark/nolt.lua")
    check "the recording decodes with the source's dissector" grep -q "Status query" <<<"$want"
    same "$(names in_place tshark)" "$want" "with the package in place, tshark decodes the recording with no -X option"
    same "$(names in_place tshark -X "lua_script:$root$dissector")" "$want" \
        "with the package in place, -X lua_script: with another copy loads it once"
    same "$(ls -l "$lua_dir" 2>&1)" "$host_before" "the machine's own plugins folder is left as it was"
fi

finish "Debian package checks"
