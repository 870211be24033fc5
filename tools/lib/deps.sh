# Installs the Debian packages a command needs, or says which are missing and stops.
# Usage: . tools/lib/deps.sh; need_packages pkg...

need_packages() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
        echo "Installing:$missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends $missing >/dev/null || {
            echo "apt-get could not install:$missing" >&2
            exit 1
        }
    else
        echo "Missing packages:$missing" >&2
        echo "Install them (as root: apt-get install$missing) and run this again." >&2
        exit 1
    fi
}

# The packages that building and testing both tiers takes.
BUILD_PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix wine64 xvfb googletest libgtest-dev clang"
