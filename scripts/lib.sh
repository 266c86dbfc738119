# Shared by the scripts: installs the Debian packages that are missing.
# Usage: need_packages pkg...
need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get install -y -q "${missing[@]}" || { $sudo apt-get update -q && $sudo apt-get install -y -q "${missing[@]}"; }
}

# The header-only libraries the programs are built with (CLI11, nlohmann/json):
# the Windows build takes their headers from these packages too.
HEADER_PACKAGES=(libcli11-dev nlohmann-json3-dev)

# Packages every build needs.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev fonts-noto-cjk "${HEADER_PACKAGES[@]}")

jobs() { nproc 2>/dev/null || echo 2; }
