#!/bin/sh
# Makes the release archive with CPack, unpacks it into a game folder that holds nothing but the
# game's empty "Data" folder, and starts the launcher from there as a player would: it must write
# the first-run options file, show its window, and end with exit code 0 on one click on
# "Abbrechen".
# package_test.sh <cmake> <cpack> <build folder> <wine-run> <window_snapshot.exe> <launcher.exe as built>
#                 <the first-run file of a 1366 x 768 desktop> <archive name without .zip>
set -u
cmake=$1 cpack=$2 build=$3 run=$4 snapshot=$5 built=$6 first_run=$7 name=$8
work=$(mktemp -d "${TMPDIR:-/tmp}/package_test.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
archive="$work/package/$name.zip"
[ -f "$archive" ] || fail "no archive $archive"
contents=$(cd "$work" && "$cmake" -E tar tf "$archive" | sort | tr '\n' ' ')
[ "$contents" = "launcher-readme.txt launcher.exe " ] || fail "the archive holds: $contents"

game="$work/game"
mkdir -p "$game/Data"
(cd "$game" && "$cmake" -E tar xf "$archive") || fail "cannot unpack $archive"
shipped=$(wc -c <"$game/launcher.exe")
as_built=$(wc -c <"$built")
[ "$shipped" -lt "$as_built" ] || fail "launcher.exe is not stripped: $shipped bytes, $as_built as built"
grep -q '"Zindrop Alpha.exe"' "$game/launcher-readme.txt" || fail "the text does not say where the launcher goes"

(cd "$game" && exec "$run" launcher.exe) >"$work/launcher.log" 2>&1 &
launcher=$!
snap=0
(cd "$work" && "$run" "$snapshot" Optionen window.png Abbrechen 1) || snap=$?
# A guard against a hang, not a speed limit: the window is gone already when the snapshot succeeds.
waited=0
while kill -0 "$launcher" 2>/dev/null && [ "$waited" -lt 300 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
if kill -0 "$launcher" 2>/dev/null; then
    kill -9 "$launcher"
    fail "the launcher still runs 30 s after the click (window_snapshot exit code $snap)"
fi
status=0
wait "$launcher" || status=$?
[ "$snap" = 0 ] || fail "window_snapshot exit code $snap (2: no window, 5: the window stayed after the click)"
[ "$status" = 0 ] || fail "launcher exit code $status"
[ "$(head -c 4 "$work/window.png" | tail -c 3)" = PNG ] || fail "no screenshot of the window"

options="$game/Data/Optionen.txt"
[ -f "$options" ] || fail "no Data/Optionen.txt"
width=$(sed -n 5p "$options" | tr -d '\r')
height=$(sed -n 6p "$options" | tr -d '\r')
case "$width$height" in
'' | *[!0-9]*) fail "no screen size in lines 5 and 6 of Data/Optionen.txt" ;;
esac
# The first-run file with this desktop's size on lines 5 and 6.
{
    sed -n 1,4p "$first_run"
    printf '%s\r\n%s\r\n' "$width" "$height"
    sed -n '7,$p' "$first_run"
} >"$work/expected"
cmp -s "$options" "$work/expected" || {
    od -c "$options" >&2
    fail "Data/Optionen.txt is not the first-run file"
}
echo "package_test: archive unpacked, launcher started, options file written, window shown and closed"
