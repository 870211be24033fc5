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

# Wine draws the caption buttons (the close box's cross) with glyphs of the Marlett font, and
# its stock GUI font, as on Windows, is Tahoma. The fonts-wine package puts both into Wine's own
# data folder, which this Wine does not search for TrueType fonts (it reads the prefix's Fonts
# folder and fontconfig's folders): without copies in the prefix the close box shows the letter
# "r" and the controls' text is set in a wider substitute that overflows the buttons.
WINE_FONT_DIR=/usr/share/wine/fonts
WINE_FONTS="marlett.ttf tahoma.ttf tahomabd.ttf"

wine_prefix_has_fonts() {
    for font in $WINE_FONTS; do
        [ ! -f "$WINE_FONT_DIR/$font" ] || [ -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ] || return 1
    done
}

# Makes the prefix once (serialised: parallel first starts in one prefix race each other).
wine_prefix_ready() {
    [ -f "$WINEPREFIX/.launcher-ready" ] && wine_prefix_has_fonts && return 0
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
        if ! wine_prefix_has_fonts; then
            # Whole or not at all: a program starting meanwhile checks only that the file is there.
            for font in $WINE_FONTS; do
                target="$WINEPREFIX/drive_c/windows/Fonts/$font"
                [ -f "$WINE_FONT_DIR/$font" ] && [ ! -f "$target" ] || continue
                cp "$WINE_FONT_DIR/$font" "$target.new" && mv "$target.new" "$target"
            done
        fi
    ) 9>"$WINEPREFIX.lock"
}
