#!/usr/bin/env bash
# Times whole installations of the default payload under Wine, from the start of the process
# to its exit, against an NSIS installer of the same files doing the same work (copy, product
# and uninstall records, start of the application), all taking turns in one run:
#   - Bb7Setup unattended (Bb7Auto.txt beside it; its window shown), counted without its two
#     fixed waits (2000 ms before unpacking, 1000 ms before the pages), against NSIS with its
#     window and detail lines shown; both start the application;
#   - Bb7Setup /silent (no window, no wait, the files straight from the payload) against
#     NSIS /S; neither starts a program (IfSilent skips the peer's Exec);
#   - with BASE, another Bb7Setup.exe /silent (an earlier build) in the same turns.
# Before the timed rounds one silent run of each is compared: the same files with the same
# bytes, the same product key and the same uninstall entry (folder aside).
# Prints the medians and the ratios; the target is a silent ratio of at most 0.70.
#
#   bench/install.sh [ROUNDS] [BASE]     (default 15 rounds)
# Exit status 0 when the target is met.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-15}
base=${2:-}
target=0.70
fixed_waits_ms=3000
work=${BB7_BENCH_DIR:-$root/build/bench}/install

"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh" > /dev/null
command -v makensis > /dev/null || { echo "bench: makensis is missing (scripts/setup-debian.sh installs it)" >&2; exit 2; }
source "$root/scripts/wine-env.sh"
bb7_ensure_display
bb7_ensure_prefix

# The files of the payload, exactly as the installer carries them.
rm -rf "$work"
mkdir -p "$work/tree"
"$root/build/native/bin/bb7unzip" "$root/build/win32/resources/distro.zip" "$work/tree" > /dev/null
files=$(find "$work/tree/Distro" -type f | wc -l)
# The uninstall entry's size and date as ours writes them: the files' kilobytes rounded up, today.
kilobytes=$(find "$work/tree/Distro" -type f -printf '%s\n' | awk '{ b += $1 } END { printf "%d", (b + 1023) / 1024 }')
today=$(date +%Y%m%d)

# NSIS: the same files, the same records, the application started unless silent; its progress
# page with the detail lines shown, closing by itself, or nothing at all with /S.
cat > "$work/peer.nsi" <<EOF
Unicode true
Name "Brisel Backup 7"
OutFile "$work/NsisSetup.exe"
RequestExecutionLevel admin
ShowInstDetails show
AutoCloseWindow true
Page instfiles
InstallDir "C:\\bench\\nsis"
Section
    SetOutPath "\$INSTDIR"
    File /r "$work/tree/Distro/*.*"
    SetRegView 32
    WriteRegStr HKLM "SOFTWARE\\Brisel\\Brisel Backup 7" "Path" "\$INSTDIR\\"
    WriteRegDWORD HKLM "SOFTWARE\\Brisel\\Brisel Backup 7" "Installation type" 2
    ; the outermost folder that the installation made, for the uninstaller to remove
    WriteRegStr HKLM "SOFTWARE\\Brisel\\Brisel Backup 7" "Folders made" "C:\\bench"
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "DisplayName" "Brisel Backup 7"
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "UninstallString" '"\$INSTDIR\\bb7uninstall.exe"'
    ; the rest of the uninstall entry, as ours writes it
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "DisplayVersion" "7.0.0"
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "Publisher" "Brisel"
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "DisplayIcon" "\$INSTDIR\\BriBU.exe"
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "InstallLocation" "\$INSTDIR\\"
    WriteRegDWORD HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "EstimatedSize" $kilobytes
    WriteRegDWORD HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "NoModify" 1
    WriteRegDWORD HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "NoRepair" 1
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "QuietUninstallString" '"\$INSTDIR\\bb7uninstall.exe" -nowarningclose'
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "InstallDate" "$today"
    ; as ours: a silent installation starts no program
    IfSilent +2
    Exec '"\$INSTDIR\\BriBU.exe"'
SectionEnd
EOF
makensis -V1 "$work/peer.nsi"

# Ours: a copy of the installer with its settings file.
mkdir -p "$work/ours"
cp "$root/build/win32/bin/Bb7Setup.exe" "$work/ours/"
printf 'STDDIR=C:\\bench\\ours\r\nCREATEICONS=false\r\nINSTKIND=2\r\n' > "$work/ours/Bb7Auto.txt"
if [ -n "$base" ]; then
    mkdir -p "$work/base"
    cp "$base" "$work/base/Bb7Setup.exe"
    cp "$work/ours/Bb7Auto.txt" "$work/base/"
fi

clean() { # leaves no installation behind for the next round to find
    wine taskkill /f /im BriBU.exe > /dev/null 2>&1 || true
    wine reg delete 'HKLM\SOFTWARE\Brisel' /f /reg:32 > /dev/null 2>&1 || true
    wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\BriBackup7' /f /reg:32 > /dev/null 2>&1 || true
    rm -rf "$WINEPREFIX/drive_c/bench"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
time_run() { # prints the milliseconds from start to exit, less the fixed waits for an unattended run
    local start end status=0 folder=ours
    clean
    start=$(now_ms)
    # Without the timing's output pipe: the started application would hold it open.
    case $1 in
        unattended) wine "$work/ours/Bb7Setup.exe" > /dev/null 2>&1 || status=$? ;;
        silent) wine "$work/ours/Bb7Setup.exe" /silent > /dev/null 2>&1 || status=$? ;;
        base-silent) wine "$work/base/Bb7Setup.exe" /silent > /dev/null 2>&1 || status=$? ;;
        nsis-window) wine "$work/NsisSetup.exe" > /dev/null 2>&1 || status=$?; folder=nsis ;;
        nsis-silent) wine "$work/NsisSetup.exe" /S > /dev/null 2>&1 || status=$?; folder=nsis ;;
    esac
    end=$(now_ms)
    if [ "$folder" = ours ] && [ "$status" -ne 0 ]; then
        echo "bench: the $1 installation exited with $status (see %TEMP%\\Bb7Setup.log)" >&2
        exit 2
    fi
    [ -f "$WINEPREFIX/drive_c/bench/$folder/BriBU.exe" ] || { echo "bench: $1 did not install" >&2; exit 2; }
    if [ "$1" = unattended ]; then echo $((end - start - fixed_waits_ms)); else echo $((end - start)); fi
}

# The records of an installation, its folder written as FOLDER.
records() {
    local key
    for key in 'HKLM\SOFTWARE\Brisel\Brisel Backup 7' 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\BriBackup7'; do
        wine reg query "$key" /reg:32 2>/dev/null | tr -d '\r' | grep REG_ | sed "s/\\\\bench\\\\$1/\\\\bench\\\\FOLDER/g" | sort
    done
}
# The same work: one silent run of each, compared.
time_run silent > /dev/null
records ours > "$work/records-ours.txt"
mv "$WINEPREFIX/drive_c/bench/ours" "$work/installed-ours"
time_run nsis-silent > /dev/null
records nsis > "$work/records-nsis.txt"
diff -r "$work/installed-ours" "$WINEPREFIX/drive_c/bench/nsis" > /dev/null ||
    { echo "bench: the two installations hold other files (see $work/installed-ours)" >&2; exit 2; }
diff "$work/records-ours.txt" "$work/records-nsis.txt" > /dev/null ||
    { echo "bench: the two installations wrote other records:" >&2; diff "$work/records-ours.txt" "$work/records-nsis.txt" >&2; exit 2; }
[ -s "$work/records-ours.txt" ] || { echo "bench: no records found" >&2; exit 2; }
rm -rf "$work/installed-ours"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

contestants=(unattended nsis-window silent nsis-silent)
[ -n "$base" ] && contestants+=(base-silent)
n=${#contestants[@]}
declare -A times
for i in $(seq "$rounds"); do
    # Each round in another order, so that none always follows the same one.
    order=("${contestants[@]:$((i % n))}" "${contestants[@]:0:$((i % n))}")
    [ $((i % 2)) -eq 0 ] && order=($(printf '%s\n' "${order[@]}" | tac))
    for c in "${order[@]}"; do
        times[$c]+="$(time_run "$c") "
    done
done
clean

declare -A med
for c in "${contestants[@]}"; do med[$c]=$(printf '%s\n' ${times[$c]} | median); done
silent_ratio=$(ratio "${med[silent]}" "${med[nsis-silent]}")
echo "Installation of the default payload ($files files) under Wine, $rounds rounds, medians:"
echo "  Bb7Setup unattended (less the 3000 ms of fixed waits): ${med[unattended]} ms   (${times[unattended]% })"
echo "  NSIS, window and detail lines shown:                  ${med[nsis-window]} ms   (${times[nsis-window]% })"
echo "  Bb7Setup /silent:                                     ${med[silent]} ms   (${times[silent]% })"
echo "  NSIS /S:                                              ${med[nsis-silent]} ms   (${times[nsis-silent]% })"
[ -n "$base" ] && echo "  BASE /silent ($base): ${med[base-silent]} ms   (${times[base-silent]% })"
echo "  ratio unattended / NSIS window: $(ratio "${med[unattended]}" "${med[nsis-window]}")"
echo "  ratio silent / NSIS /S:         $silent_ratio   (target: at most $target)"
[ -n "$base" ] && echo "  ratio BASE /silent / NSIS /S:   $(ratio "${med[base-silent]}" "${med[nsis-silent]}");   silent / BASE /silent: $(ratio "${med[silent]}" "${med[base-silent]}")"
awk -v r="$silent_ratio" -v t="$target" 'BEGIN { exit !(r <= t) }'
