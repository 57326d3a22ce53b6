# Sourced by the scripts that run Windows programs: the project's own Wine prefix and
# virtual display. Both are created on first use and reused afterwards.
BB7_ROOT=${BB7_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
# A second build folder (BB7_BUILD_DIR) gets its own prefix, so that two builds never share one.
BB7_BUILD_DIR=${BB7_BUILD_DIR:-$BB7_ROOT/build}
export WINEPREFIX=${BB7_WINEPREFIX:-$BB7_BUILD_DIR/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Linux desktop entries for Start-menu shortcuts; no Mono or Gecko download prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
# Each build folder has its own virtual display, so screenshots show only its own windows.
if [ -z "${BB7_DISPLAY:-}" ]; then
    BB7_DISPLAY=:$((100 + $(printf '%s' "$BB7_BUILD_DIR" | cksum | cut -d' ' -f1) % 100))
fi

bb7_lock() { # bb7_lock NAME: serialises first-time set-up between parallel test processes
    mkdir -p "$BB7_BUILD_DIR"
    exec 9>"$BB7_BUILD_DIR/.$1.lock"
    flock 9
}

bb7_ensure_display() {
    if [ -n "${BB7_USE_DISPLAY:-}" ]; then export DISPLAY=$BB7_USE_DISPLAY; return; fi
    export DISPLAY=$BB7_DISPLAY
    xdpyinfo >/dev/null 2>&1 && return
    bb7_lock display
    if ! xdpyinfo >/dev/null 2>&1; then
        # 9>&-: the server must not inherit the lock, or it would hold it for as long as it runs.
        setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 < /dev/null 9>&- &
        echo $! > "$BB7_BUILD_DIR/.xvfb.pid"
        for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
    fi
    exec 9>&-
}

bb7_ensure_prefix() {
    if [ -f "$WINEPREFIX/.bb7-ready" ]; then
        bb7_ensure_wineserver
        return
    fi
    bb7_lock wineprefix
    if [ ! -f "$WINEPREFIX/.bb7-ready" ]; then
        echo "Creating the Wine prefix $WINEPREFIX (first run only)..." >&2
        wineboot -i >/dev/null 2>&1 9>&-
        # The virtual display has no window manager: windows that Wine leaves to one wait two
        # seconds for it each time they are hidden.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&-
        wineserver -w
        touch "$WINEPREFIX/.bb7-ready"
    fi
    exec 9>&-
    bb7_ensure_wineserver
}

# A server that outlives each program: with the default three-second persistence, a program
# started just as the last server shuts down fails with "recvmsg: Connection reset by peer".
# The first program of a new server also starts Wine's own services, which would inherit that
# program's output and keep ctest waiting for it until its timeout: a throw-away program
# starts them instead, with no output to hold.
bb7_ensure_wineserver() {
    bb7_wineserver_running && return
    bb7_lock wineserver
    if ! bb7_wineserver_running; then
        wineserver -p300 >/dev/null 2>&1 9>&- || true
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
    exec 9>&-
}

# A server works in a folder named after the device and inode of its prefix.
bb7_wineserver_running() {
    local id pid
    id=server-$(stat -L -c '%d %i' "$WINEPREFIX" | awk '{ printf "%x-%x", $1, $2 }')
    for pid in $(pgrep wineserver); do
        [ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" = "$id" ] && return 0
    done
    return 1
}

bb7_stop_display() { # stops the virtual display if one of our scripts started it
    local pidfile=$BB7_BUILD_DIR/.xvfb.pid
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
}
