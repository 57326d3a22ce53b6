#!/usr/bin/env bash
# Takes a screenshot of the unpacker window and of every wizard page, driving the installer
# under Wine on the virtual display. Pictures land in build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
bb7_ensure_display
bb7_ensure_prefix
bin=$root/build/win32/bin
out=$root/build/screenshots
mkdir -p "$out"
drive() { wine "$bin/bb7drive.exe" "$@"; }
shot() { import -window root "$out/$1.png" && echo "$out/$1.png"; }

wine "$bin/Bb7Setup.exe" &
installer=$!
drive wait TForm_Unzip 30 && drive settle TForm_Unzip && shot 0-unpacker
drive wait TMainForm 60 && drive settle && shot 1-license
drive click rb_Accept && drive click b_Next0 && shot 2-warning
drive click cb_Warning && drive click b_NextWarning && shot 3-folders
drive click b_Next1 && shot 4-settings
drive click b_Next2 && shot 5-install
drive close
wait "$installer"
