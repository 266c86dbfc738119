#!/usr/bin/env bash
# Builds the packages into packages/ (or $NOLT_PACKAGE_DIR):
#   nolt-pcclient_VERSION_amd64.deb          Debian package of the Linux build
#   nolt-pcclient-VERSION-win64.zip          the Windows programs, the Wireshark
#                                            dissector and a README
#   nolt-pcclient-VERSION-win64-setup.exe    Windows installer (NSIS)
# Usage: scripts/package.sh [linux-build-dir] [windows-build-dir]
# A build folder that exists is reused as it is configured (scripts/test.sh
# passes the folders its other stages built); a new one is configured in
# Release without the tests. Defaults: build-package, build-package-windows.
set -euo pipefail
ROOT=$(realpath "$(dirname "$0")/..")
# Folders given are taken from where the script was called.
LINUX=$(realpath -m "${1:-$ROOT/build-package}")
WINDOWS=$(realpath -m "${2:-$ROOT/build-package-windows}")
OUT=$(realpath -m "${NOLT_PACKAGE_DIR:-$ROOT/packages}")
cd "$ROOT"
. scripts/lib.sh

need_packages "${BUILD_PACKAGES[@]}" dpkg-dev g++-mingw-w64-x86-64 nsis zip
J=$(jobs)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

build() {  # dir, cmake args for a new folder...
    local dir=$1; shift
    [ -f "$dir/CMakeCache.txt" ] || cmake -S "$ROOT" -B "$dir" -G Ninja "${launcher[@]}" \
        -DCMAKE_BUILD_TYPE=Release -DNOLT_TESTS=OFF "$@" >/dev/null
    cmake -S "$ROOT" -B "$dir" >/dev/null   # picks up changed install rules
    cmake --build "$dir" -j "$J"
}
version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"; }

mkdir -p "$OUT"

echo "== Debian package"
build "$LINUX"
VERSION=$(version "$LINUX")
deb=nolt-pcclient_${VERSION}_$(dpkg --print-architecture).deb
rm -rf "$LINUX/cpack"
cpack --config "$LINUX/CPackConfig.cmake" -G DEB -B "$LINUX/cpack" >"$LINUX/cpack.log" 2>&1 \
    || { cat "$LINUX/cpack.log"; exit 1; }
cp "$LINUX/cpack/$deb" "$OUT/"
echo "$OUT/$deb: Depends: $(dpkg-deb -f "$OUT/$deb" Depends)"

echo "== Windows zip and installer"
build "$WINDOWS" -DNOLT_GUI=OFF -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake"
name=nolt-pcclient-$(version "$WINDOWS")-win64
stage=$WINDOWS/package/$name
rm -rf "$WINDOWS/package"
cmake --install "$WINDOWS" --prefix "$WINDOWS/package/root" --strip >/dev/null
mkdir -p "$stage"
cp "$WINDOWS"/package/root/bin/*.exe "$stage/"
# The Wireshark dissector beside the programs; README.txt says where it goes.
cp wireshark/nolt.lua "$stage/"

describe() {
    case $1 in
        nolt-pcclient) echo "the tool (a window)" ;;
        nolt-sim) echo "the module simulator (in a console)" ;;
        nolt-cli) echo "the module's commands from a console, for scripts" ;;
    esac
}
programs=""
while read -r p; do
    programs+=$(printf '  %-19s %s' "$p.exe" "$(describe "$p")")$'\n'
done <"$WINDOWS/nolt-programs.txt"
# Notepad and friends want CRLF line ends.
awk -v version="$(version "$WINDOWS")" -v programs="${programs%$'\n'}" '
    { gsub(/@VERSION@/, version); if ($0 == "@PROGRAMS@") $0 = programs; gsub(/\n/, "\r\n"); print $0 "\r" }' \
    packaging/windows/README.txt.in >"$stage/README.txt"

rm -f "$OUT/$name.zip"
(cd "$WINDOWS/package" && zip -q -9 -X -r "$OUT/$name.zip" "$name")
makensis -V2 -DVERSION="$(version "$WINDOWS")" -DSTAGE="$stage" \
    -DICON="$ROOT/src/res/icons/nolt-pcclient.ico" -DOUTFILE="$OUT/$name-setup.exe" \
    packaging/windows/installer.nsi
ls -l "$OUT/$deb" "$OUT/$name.zip" "$OUT/$name-setup.exe"
