# A private X display and a private Wine session for the tools; both end with the calling script.
# Usage: . tools/lib/display.sh; start_display; start_wine <prefix>

stop_session() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    return 0
}

start_display() {
    # -displayfd picks a free display number: other X servers may already run on this machine.
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r number <"$fifo"
    rm -f "$fifo"
    [ -n "$number" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$number"
    trap stop_session EXIT
}

start_wine() {
    . "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
    wine_env "$1"
    wine_prefix_ready
    # One persistent wineserver for the whole run instead of one per test.
    wineserver -p >/dev/null 2>&1
    trap stop_session EXIT
    # Wine's own background processes (services, the desktop window) start with the first program
    # and would hold that program's output open; start them here, detached from any test's pipes.
    wine cmd /c exit </dev/null >/dev/null 2>&1
    wine rundll32 user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1
}
