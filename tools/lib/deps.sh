# Installs the Debian packages a command needs, then checks that everything the command calls is
# really there; says what is missing, and which package provides it, and stops.
# Usage: . tools/lib/deps.sh; need_tools $RUN_NEEDS ...
#
# Each need is "what:package". "what" is a command looked up on the PATH, an absolute path of a
# file (a shell pattern is allowed), or one of the link checks "sanitizer-runtime" and
# "fuzzer-runtime", which link a small program with clang++.

# The commands and files of tools/run: the MinGW-w64 cross build, Wine and a private X display.
# "wine64" alone has no wine, wineboot, wineserver or winepath commands: those come with "wine".
# Wine reads the caption buttons' glyphs from the Marlett font of "fonts-wine", and its GUI font
# from the Tahoma font there.
RUN_NEEDS="cmake:cmake ninja:ninja-build
    x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
    x86_64-w64-mingw32-strip:binutils-mingw-w64-x86-64
    /usr/lib/wine/wine64:wine64
    wine:wine wineboot:wine wineserver:wine winepath:wine
    /usr/share/wine/fonts/marlett.ttf:fonts-wine /usr/share/wine/fonts/tahoma.ttf:fonts-wine
    Xvfb:xvfb"

# tools/package: the cross build and CPack, and osslsigncode, which signs launcher.exe (Authenticode)
# when a certificate is configured.
PACKAGE_NEEDS="cmake:cmake cpack:cmake ninja:ninja-build
    x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
    x86_64-w64-mingw32-strip:binutils-mingw-w64-x86-64
    osslsigncode:osslsigncode"

# tools/test: both tiers. The host tier builds with clang, whose sanitizer and libFuzzer runtimes
# are only a recommendation of the compiler package; GoogleTest comes as sources for the cross
# build and as a library for the host build. The release archive's test signs it with a throwaway
# certificate that openssl makes, and checks the signature with osslsigncode.
TEST_NEEDS="$RUN_NEEDS ctest:cmake cpack:cmake osslsigncode:osslsigncode openssl:openssl
    x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64
    /usr/src/googletest/CMakeLists.txt:googletest
    /usr/lib/*/cmake/GTest/GTestConfig.cmake:libgtest-dev
    clang:clang clang++:clang
    sanitizer-runtime:libclang-rt-dev fuzzer-runtime:libclang-rt-dev"

# tools/bench: both tiers' compilers, Google Benchmark, and column for the table.
BENCH_NEEDS="$RUN_NEEDS clang:clang clang++:clang
    /usr/lib/*/cmake/benchmark/benchmarkConfig.cmake:libbenchmark-dev
    column:bsdextrautils"

need_packages() {
    # Not a Debian system: nothing to install from here; the check after this names what is missing.
    command -v dpkg-query >/dev/null 2>&1 || return 0
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
        echo "Install them (as root: apt-get install --no-install-recommends$missing) and run this again." >&2
        exit 1
    fi
}

# Links a small C++ program with clang++ and the given flags; the compiler's words go to $2.
links_with() {
    local dir
    dir=$(mktemp -d)
    cat >"$dir/check.cpp" <<'EOF'
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
#ifndef FUZZER
int main() { return LLVMFuzzerTestOneInput(nullptr, 0); }
#endif
EOF
    local status=0
    clang++ $1 "$dir/check.cpp" -o "$dir/check" >"$2" 2>&1 || status=$?
    rm -rf "$dir"
    return $status
}

# The line of a failed link that names what was not found, else its first error.
linker_complaint() {
    grep -m 1 -E 'cannot find|not found' "$1" || grep -m 1 -i error "$1"
}

# Checks each "what:package" need; names every one that is missing and stops.
check_tools() {
    local need what package problems="" packages="" log problem
    log=$(mktemp)
    for need in "$@"; do
        what=${need%%:*} package=${need#*:} problem=""
        case "$what" in
        sanitizer-runtime | fuzzer-runtime)
            local flags="-fsanitize=address,undefined"
            [ "$what" = fuzzer-runtime ] && flags="-DFUZZER -fsanitize=fuzzer"
            # Without clang++ the need for clang itself names the gap.
            command -v clang++ >/dev/null 2>&1 && ! links_with "$flags" "$log" &&
                problem="clang++ cannot link a program with ${flags#-DFUZZER }: $(linker_complaint "$log")"
            ;;
        /*)
            # Unquoted: a pattern such as /usr/lib/*/... expands to the files that are there.
            # shellcheck disable=SC2206
            local files=($what)
            [ -e "${files[0]}" ] || problem="file $what"
            ;;
        *)
            command -v "$what" >/dev/null 2>&1 || problem="command $what"
            ;;
        esac
        [ -n "$problem" ] || continue
        problems="$problems
  $problem (package $package)"
        case " $packages " in *" $package "*) ;; *) packages="$packages $package" ;; esac
    done
    rm -f "$log"
    [ -z "$problems" ] && return 0
    echo "Missing:$problems" >&2
    echo "Install them (as root: apt-get install --no-install-recommends$packages) and run this again." >&2
    exit 1
}

# Installs what the needs name, then checks that every one of them is there.
need_tools() {
    local need packages=""
    for need in "$@"; do
        case " $packages " in
        *" ${need#*:} "*) ;;
        *) packages="$packages ${need#*:}" ;;
        esac
    done
    need_packages $packages
    check_tools "$@"
}
