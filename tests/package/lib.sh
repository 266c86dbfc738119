# Shared by the package checks: counting results and reading the build.
failures=0
passes=0
pass() { echo "  ok    $*"; passes=$((passes + 1)); }
fail() { echo "  FAIL  $*"; failures=$((failures + 1)); }
# check DESCRIPTION COMMAND...: runs the command, counts the result.
check() {
    local what=$1; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
# same TEXT EXPECTED DESCRIPTION
same() {
    if [ "$1" == "$2" ]; then pass "$3"; else fail "$3: got \"$1\", want \"$2\""; fi
}
project_version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"; }
# The programs the build made: the package must hold exactly these.
built_programs() { cat "$1/nolt-programs.txt"; }
finish() {  # NAME
    echo "$1: $passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
