#!/bin/sh
# Makes the release archive with CPack twice: unsigned, as without a certificate, and signed with a
# throwaway self-signed certificate, which osslsigncode must accept. Unpacks the signed one into a
# game folder that holds nothing but the game's empty "Data" folder, and starts the launcher from
# there as a player would: it must write the first-run options file, show its window, and end with
# exit code 0 on one click on "Abbrechen".
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

# pack <folder> [<variable>=<value>...]: the archive in $work/<folder>, made with these variables;
# CPack's words in $work/<folder>.log.
pack() {
    out="$work/$1"
    shift
    env "$@" "$cpack" --config "$build/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 ||
        { cat "$out.log" >&2; fail "cpack"; }
    archive="$out/$name.zip"
    [ -f "$archive" ] || fail "no archive $archive"
    contents=$(cd "$work" && "$cmake" -E tar tf "$archive" | sort | tr '\n' ' ')
    [ "$contents" = "launcher-readme.txt launcher.exe " ] || fail "the archive holds: $contents"
}

pack unsigned ZINDROP_SIGN_PFX=
grep -q '^-- launcher.exe is not signed' "$work/unsigned.log" || fail "cpack did not say that launcher.exe is unsigned"

certificate="$work/certificate"
mkdir "$certificate"
{
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zindrop test signer" \
        -addext extendedKeyUsage=codeSigning -keyout "$certificate/key.pem" -out "$certificate/cert.pem" &&
        openssl pkcs12 -export -inkey "$certificate/key.pem" -in "$certificate/cert.pem" \
            -passout "pass:throwaway pass" -out "$certificate/cert.pfx"
} >"$certificate/openssl.log" 2>&1 || { cat "$certificate/openssl.log" >&2; fail "openssl made no certificate"; }
pack package ZINDROP_SIGN_PFX="$certificate/cert.pfx" "ZINDROP_SIGN_PASSWORD=throwaway pass" ZINDROP_SIGN_TIMESTAMP=

game="$work/game"
mkdir -p "$game/Data"
(cd "$game" && "$cmake" -E tar xf "$archive") || fail "cannot unpack $archive"
shipped=$(wc -c <"$game/launcher.exe")
as_built=$(wc -c <"$built")
[ "$shipped" -lt "$as_built" ] || fail "launcher.exe is not stripped: $shipped bytes, $as_built as built"
grep -q '"Zindrop Alpha.exe"' "$game/launcher-readme.txt" || fail "the text does not say where the launcher goes"
# The certificate is its own authority.
osslsigncode verify -CAfile "$certificate/cert.pem" -in "$game/launcher.exe" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; fail "osslsigncode does not accept the signature of launcher.exe"; }

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
echo "package_test: archive made unsigned and signed, signature verified, launcher started, options file written," \
    "window shown and closed"
