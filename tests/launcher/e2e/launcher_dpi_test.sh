#!/bin/sh
# The options window at each display scale a player may set: 100, 125, 150 and 200 %. Wine takes
# the scale from the registry (HKCU\Control Panel\Desktop, LogPixels) when a program starts, so
# each scale is set in a Wine prefix of this test's own and the test program then runs there once,
# starting the launcher at that scale; the other tests' prefix stays at 100 %.
# launcher_dpi_test.sh <wine-run> <launcher_dpi_test.exe> <prefix>
set -u
run=$1 test=$2 prefix=$3
export LAUNCHER_WINEPREFIX="$prefix"
# Nothing of this prefix's Wine session outlives the test.
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1' EXIT
status=0
for dpi in 96 120 144 192; do
    echo "== at $dpi DPI"
    # The session's background programs start with this first command: no pipe of ctest's for them.
    "$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1 || {
        echo "FAILED: cannot set LogPixels to $dpi" >&2
        exit 1
    }
    LAUNCHER_TEST_DPI=$dpi "$run" "$test" || status=1
done
exit $status
