#!/usr/bin/env bash
# Installs what is missing, builds both trees and starts the installer under Wine.
# With a display of your own (DISPLAY set) the installer runs there until you close it.
# Without one, it runs on the project's virtual display: a screenshot of the licence page is
# saved to build/screenshot.png, then the installer is closed (BB7_KEEP_RUNNING=1 leaves it
# open, for instance to drive it with build/win32/bin/bb7drive.exe).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"
[ -n "${DISPLAY:-}" ] && export BB7_USE_DISPLAY=$DISPLAY
bb7_ensure_display
bb7_ensure_prefix

bin=$root/build/win32/bin
if [ -n "${BB7_USE_DISPLAY:-}" ]; then
    exec wine "$bin/Bb7Setup.exe"
fi
wine "$bin/Bb7Setup.exe" &
installer=$!
if wine "$bin/bb7drive.exe" wait TMainForm 60 && wine "$bin/bb7drive.exe" settle; then
    import -window root "$root/build/screenshot.png"
    echo "The wizard is up on the virtual display $DISPLAY; screenshot: $root/build/screenshot.png"
else
    echo "The wizard did not appear within 60 seconds" >&2
fi
if [ -z "${BB7_KEEP_RUNNING:-}" ]; then
    wine "$bin/bb7drive.exe" close || true
fi
wait "$installer"
