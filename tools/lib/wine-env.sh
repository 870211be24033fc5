# Shared by tools/* and the test emulator: a private, quiet Wine prefix.
# Usage: . tools/lib/wine-env.sh; wine_env <prefix-dir>; wine_prefix_ready

wine_env() {
    export WINEPREFIX="$1"
    export WINEARCH=win64
    export WINEDEBUG="${WINEDEBUG:--all}"
    # Without these overrides the first start offers to install Mono and Gecko and hangs headless
    # runs; the menu builder only makes desktop shortcuts, which a private prefix never needs.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Makes the prefix once (serialised: parallel first starts in one prefix race each other).
wine_prefix_ready() {
    [ -f "$WINEPREFIX/.launcher-ready" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.launcher-ready" ]; then
            wineboot -i >/dev/null 2>&1
            wineserver -w
            # No window manager on a private display: let Wine draw captions and close boxes itself.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
            # A crashing test must fail, not wait for someone to close the crash dialog.
            wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
            wineserver -w
            touch "$WINEPREFIX/.launcher-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}
