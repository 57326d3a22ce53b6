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
# The display it runs on is kept in the build folder; BB7_DISPLAY chooses one by hand.
BB7_DISPLAY_FILE=$BB7_BUILD_DIR/.display

bb7_lock() { # bb7_lock NAME: serialises first-time set-up between parallel test processes
    mkdir -p "$BB7_BUILD_DIR"
    exec 9>"$BB7_BUILD_DIR/.$1.lock"
    flock 9
}

bb7_ensure_display() {
    if [ -n "${BB7_USE_DISPLAY:-}" ]; then export DISPLAY=$BB7_USE_DISPLAY; return; fi
    if [ -n "${BB7_DISPLAY:-}" ]; then
        export DISPLAY=$BB7_DISPLAY
    elif [ -f "$BB7_DISPLAY_FILE" ]; then
        export DISPLAY=$(cat "$BB7_DISPLAY_FILE")
    fi
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && return
    bb7_lock display
    if [ -f "$BB7_DISPLAY_FILE" ]; then export DISPLAY=$(cat "$BB7_DISPLAY_FILE"); fi
    if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
        bb7_start_display
    fi
    exec 9>&-
}

# Starts Xvfb on the first display number that no X server holds. Build folders choose one
# at a time (a lock shared by all of them), and X's own lock file marks a number as taken.
bb7_start_display() {
    local n log=$BB7_BUILD_DIR/.xvfb.log
    exec 8>/tmp/.bb7-display-choice.lock
    flock 8
    for n in $(seq 100 199); do
        [ -n "${BB7_DISPLAY:-}" ] && n=${BB7_DISPLAY#:}
        if [ -z "${BB7_DISPLAY:-}" ] && { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; }; then
            continue
        fi
        # 8>&- 9>&-: the server must not inherit the locks, or it would hold them while it runs.
        setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$log" 2>&1 </dev/null 8>&- 9>&- &
        echo $! >"$BB7_BUILD_DIR/.xvfb.pid"
        export DISPLAY=:$n
        for _ in $(seq 200); do
            xdpyinfo >/dev/null 2>&1 && break
            kill -0 "$(cat "$BB7_BUILD_DIR/.xvfb.pid")" 2>/dev/null || break
            sleep 0.05
        done
        if xdpyinfo >/dev/null 2>&1; then
            echo "$DISPLAY" >"$BB7_DISPLAY_FILE"
            exec 8>&-
            return 0
        fi
        [ -n "${BB7_DISPLAY:-}" ] && break
    done
    exec 8>&-
    echo "wine-env.sh: the virtual display could not be started (Xvfb $DISPLAY):" >&2
    cat "$log" >&2 2>/dev/null || true
    exit 1
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
        # Files work at once, but the drive list (GetLogicalDrives, the shell's folder tree)
        # waits for the mount manager, which registers the drives a moment later.
        local drive=$BB7_BUILD_DIR/win32/bin/bb7drive.exe
        if [ -f "$drive" ]; then
            wine "$drive" drives 30 </dev/null >/dev/null 2>&1 9>&- || echo "wine-env.sh: Wine reports no drive C:" >&2
        fi
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
    rm -f "$pidfile" "$BB7_DISPLAY_FILE"
}
