#!/usr/bin/env bash
# Takes a screenshot of the unpacker window and of every wizard page in its states, driving
# the installer under Wine on the virtual display through a whole installation (type 2, into
# C:\Screenshots), which the product's uninstaller then removes; once with the display at
# 100% and once at 150%. Pictures land in build/screenshots/100/ and build/screenshots/150/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
bb7_ensure_display
bb7_ensure_prefix
bin=$root/build/win32/bin
drive() { wine "$bin/bb7drive.exe" "$@"; }
target='C:\Screenshots\Brisel Backup 7'

# The display's scale is LogPixels, which Wine reads as each program starts: set before the
# installer starts, and the user's own value put back at the end.
desktop='HKCU\Control Panel\Desktop'
saved=$(wine reg query "$desktop" /v LogPixels 2>/dev/null | awk '/LogPixels/ { print $3 }' | tr -d '\r' || true)
set_dpi() { wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null; }
restore_dpi() {
    if [ -n "$saved" ]; then set_dpi $((saved)); else wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true; fi
}
trap restore_dpi EXIT

pages() { # pages PERCENT
    local out=$root/build/screenshots/$1
    mkdir -p "$out"
    shot() { import -window root "$out/$1.png" && echo "$out/$1.png"; }
    set_dpi $(($1 * 96 / 100))
    wine "$bin/Bb7Setup.exe" &
    local installer=$!
    drive wait TForm_Unzip 30 && drive settle TForm_Unzip && shot 0-unpacker
    drive wait TMainForm 60 && drive settle && shot 1-license
    drive click rb_Accept && shot 1-license-accepted
    drive click b_Next0 && shot 2-warning
    drive click cb_Warning && drive click b_NextWarning && shot 3-folders
    drive text e_Dir "$target" && drive click b_Next1 && shot 4-settings
    drive focus e_ID && shot 4-settings-account-note
    drive click rb_NoAuto && shot 4-settings-application
    drive click b_Next2 && drive enabled b_Done && shot 5-install
    # The installation ends by starting the application; its window goes first, then the wizard.
    drive wait TBriBUForm 60 && shot 6-application && drive close TBriBUForm
    drive click b_Done
    wait "$installer" || true
    wine "C:\\Screenshots\\Brisel Backup 7\\bb7uninstall.exe" -nowarningclose || true
    restore_dpi
}

pages 100
pages 150
