#!/usr/bin/env bash
# Builds the tool and runs every test: the normal build, the same tests with
# AddressSanitizer and UndefinedBehaviorSanitizer, the link and simulator tests
# with ThreadSanitizer, the fuzzers of every parser of outside input
# (scripts/fuzz.sh), everything cross-built for
# Windows (the tool on the Win32 backend) and run under wine, and then the
# packages built from those builds and checked. Installs the Debian packages
# it needs.
#
# NOLT_STAGES picks stages (default: all): windows tsan fuzz asan main package
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
. scripts/lib.sh

STAGES=${NOLT_STAGES:-"windows tsan fuzz asan main package"}
has_stage() { [[ " $STAGES " == *" $1 "* ]]; }

need_packages "${BUILD_PACKAGES[@]}" clang iproute2 libbenchmark-dev python3
# The dissector test records a session with tcpdump and decodes it with
# tshark; where they cannot be installed that one test is skipped.
need_packages tshark tcpdump || echo "tshark or tcpdump could not be installed: the capture test will be skipped"
export QT_QPA_PLATFORM=offscreen
# No search of any stage leaves the machine: CTest gives each test the same
# limit, and this covers the scripts the stages run besides.
export NOLT_SCAN_LOOPBACK_ONLY=1
J=$(jobs)

configure_build() {  # dir, cmake args...
    local dir=$1; shift
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$J"
}

if has_stage windows; then
    echo "== Windows build (mingw-w64, Win32 backend, under wine)"
    scripts/test-windows.sh "$ROOT/build-windows"
fi

if has_stage tsan; then
    echo "== ThreadSanitizer: link, simulator and nolt-cli"
    configure_build build-tsan -DNOLT_GUI=OFF -DNOLT_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
        ctest --test-dir build-tsan -L "link|sim|cli" --output-on-failure -j "$J"
    echo "== ThreadSanitizer: the real dialog against modules on 127.0.0.1"
    cmake -S "$ROOT" -B build-tsan-gui -G Ninja -DNOLT_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build-tsan-gui -j "$J" --target integration_tests
    # The flood of 10,000 replies is left to the other stages: under the
    # sanitizer it takes minutes and shows nothing the shorter tests do not.
    TSAN_OPTIONS="halt_on_error=1 suppressions=$ROOT/tests/integration/tsan_suppressions.txt" \
        ctest --test-dir build-tsan-gui -L integration -E "TenThousand" --output-on-failure -j "$J"
fi

if has_stage fuzz; then
    echo "== Fuzzing every parser of outside input: the receive path for 60 s, the others in 60 s beside it"
    scripts/fuzz.sh build-fuzz
fi

if has_stage asan; then
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer: every test"
    configure_build build-asan -DNOLT_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1" \
        ctest --test-dir build-asan -LE "soak" --output-on-failure -j "$J"
fi

if has_stage main; then
    echo "== Every test"
    # The AT-SPI walk of the main dialog (label a11y) needs an accessibility
    # bus and an X server; without them it is skipped with the reason.
    need_packages at-spi2-core python3-pyatspi xvfb dbus-daemon dbus-bin ||
        echo "The accessibility bus could not be installed: the AT-SPI walk will be skipped"
    # The main dialog placed on openbox's screen with a task bar needs an X
    # server, openbox and the X tools that read and click the window.
    need_packages xvfb openbox xdotool x11-utils ||
        echo "openbox or the X tools could not be installed: the placement on a real screen will be skipped"
    configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ctest --test-dir build --output-on-failure --no-label-summary -j "$J" 2>&1 | tee build/ctest-main.log
fi

if has_stage package; then
    echo "== Packages: the .deb, the Windows zip and installer, checked"
    need_packages lintian desktop-file-utils appstream man-db unzip binutils wine64 wine
    # The folders of the main and windows stages when they exist; otherwise
    # package.sh makes its own (never these two, whose tests it would leave out).
    linux=build; [ -f build/CMakeCache.txt ] || linux=build-package
    windows=build-windows; [ -f build-windows/CMakeCache.txt ] || windows=build-package-windows
    NOLT_PACKAGE_DIR="$ROOT/packages" scripts/package.sh "$linux" "$windows"
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux/CMakeCache.txt")
    tests/package/check-deb.sh "packages/nolt-pcclient_${version}_$(dpkg --print-architecture).deb" "$linux"
    tests/package/check-windows.sh "packages/nolt-pcclient-$version-win64.zip" \
        "packages/nolt-pcclient-$version-win64-setup.exe" "$windows"
    # CI reads the test summary from the last lines: the main stage's again.
    if has_stage main; then
        echo "== Every test (summary of the main stage, above)"
        sed -n '/tests passed, /,$p' build/ctest-main.log
    fi
fi
