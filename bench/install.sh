#!/usr/bin/env bash
# Times a whole unattended installation of the default payload under Wine, from the start of
# the process to its exit, against an NSIS installer of the same files doing the same work
# silently (copy, product and uninstall records, start of the application), in one run with
# the two taking turns. Our time is counted without the two fixed waits of an unattended run
# (2000 ms before unpacking, 1000 ms before the pages). Prints both medians and the ratio;
# the target is a ratio of at most 1 (no slower than NSIS).
#
#   bench/install.sh [ROUNDS]     (default 9)
# Exit status 0 when the target is met.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-9}
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

# NSIS: the same files, the same records, the application started, nothing shown.
cat > "$work/peer.nsi" <<EOF
Unicode true
Name "Brisel Backup 7"
OutFile "$work/NsisSetup.exe"
SilentInstall silent
RequestExecutionLevel admin
InstallDir "C:\\bench\\nsis"
Section
    SetOutPath "\$INSTDIR"
    File /r "$work/tree/Distro/*.*"
    SetRegView 32
    WriteRegStr HKLM "SOFTWARE\\Brisel\\Brisel Backup 7" "Path" "\$INSTDIR\\"
    WriteRegDWORD HKLM "SOFTWARE\\Brisel\\Brisel Backup 7" "Installation type" 2
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "DisplayName" "Brisel Backup 7"
    WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7" "UninstallString" '"\$INSTDIR\\bb7uninstall.exe"'
    Exec '"\$INSTDIR\\BriBU.exe"'
SectionEnd
EOF
makensis -V1 "$work/peer.nsi"

# Ours: a copy of the installer with its settings file.
mkdir -p "$work/ours"
cp "$root/build/win32/bin/Bb7Setup.exe" "$work/ours/"
printf 'STDDIR=C:\\bench\\ours\r\nCREATEICONS=false\r\nINSTKIND=2\r\n' > "$work/ours/Bb7Auto.txt"

clean() { # leaves no installation behind for the next round to find
    wine taskkill /f /im BriBU.exe > /dev/null 2>&1 || true
    wine reg delete 'HKLM\SOFTWARE\Brisel' /f /reg:32 > /dev/null 2>&1 || true
    wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\BriBackup7' /f /reg:32 > /dev/null 2>&1 || true
    rm -rf "$WINEPREFIX/drive_c/bench"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
time_run() { # prints the milliseconds from start to exit, less the fixed waits for ours
    local start end status=0
    clean
    start=$(now_ms)
    # Without the timing's output pipe: the started application would hold it open.
    case $1 in
        ours) wine "$work/ours/Bb7Setup.exe" > /dev/null 2>&1 || status=$? ;;
        nsis) wine "$work/NsisSetup.exe" /S > /dev/null 2>&1 || status=$? ;;
    esac
    end=$(now_ms)
    if [ "$1" = ours ] && [ "$status" -ne 0 ]; then
        echo "bench: the unattended installation exited with $status (see %TEMP%\\Bb7Setup.log)" >&2
        exit 2
    fi
    [ -f "$WINEPREFIX/drive_c/bench/$1/BriBU.exe" ] || { echo "bench: $1 did not install" >&2; exit 2; }
    if [ "$1" = ours ]; then echo $((end - start - fixed_waits_ms)); else echo $((end - start)); fi
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ours=() nsis=()
for i in $(seq "$rounds"); do
    if [ $((i % 2)) -eq 1 ]; then
        ours+=("$(time_run ours)")
        nsis+=("$(time_run nsis)")
    else
        nsis+=("$(time_run nsis)")
        ours+=("$(time_run ours)")
    fi
done
clean

m_ours=$(printf '%s\n' "${ours[@]}" | median)
m_nsis=$(printf '%s\n' "${nsis[@]}" | median)
ratio=$(awk -v a="$m_ours" -v b="$m_nsis" 'BEGIN { printf "%.2f", a / b }')
echo "Unattended installation of the default payload ($files files) under Wine, $rounds rounds:"
echo "  Bb7Setup (less the 3000 ms of fixed waits): median ${m_ours} ms   (${ours[*]})"
echo "  NSIS silent installer:                      median ${m_nsis} ms   (${nsis[*]})"
echo "  ratio Bb7Setup / NSIS: $ratio   (target: at most 1.00)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.0) }'
