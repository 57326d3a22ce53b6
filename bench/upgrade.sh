#!/usr/bin/env bash
# Times an uninterrupted silent upgrade under Wine: Bb7Setup.exe /silent over an installation
# of the service type, from the start of the process to its exit (the earlier installation's
# uninstaller runs, waited for, then the copy, the records, the service and the program
# start), with the installer of a base commit and with the current build, taking turns in one
# run. Before each timed run the base installer installs the product afresh over whatever is
# there, so that both upgrade the same installation and run the same uninstaller.
# Prints both medians and the ratio; the target is the current build at most 1.20 times the base.
#
#   bench/upgrade.sh BASE [ROUNDS]     (default 15 rounds, about a minute)
#
# BASE is a Bb7Setup.exe, or a commit (a hash, a tag, a branch): its tree is taken with
# git archive and only its installer is built, in build/bench/upgrade/base-HASH, once (a few
# minutes).
# Exit status 0 when the target is met.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
base=$1 rounds=${2:-15}
work=${BB7_BENCH_DIR:-$root/build/bench}/upgrade
target=1.20

"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh" >/dev/null
mkdir -p "$work"

# The base installer: the one given, or built from the commit's tree in a folder of its own
# with the configuration of scripts/build.sh (and the libjpeg that it built).
if [ -f "$base" ]; then
    base_setup=$(cd "$(dirname "$base")" && pwd)/$(basename "$base")
    base_name=$base_setup
else
    hash=$(git -C "$root" rev-parse --verify "$base^{commit}") || { echo "bench: $base names no commit" >&2; exit 2; }
    base_name="$base (${hash:0:12})"
    build=$work/base-${hash:0:12}
    base_setup=$build/win32/bin/Bb7Setup.exe
    if [ ! -f "$base_setup" ]; then
        echo "Building the installer of $base_name in $build..."
        rm -rf "$build" && mkdir -p "$build/src"
        git -C "$root" archive "$hash" | tar -x -C "$build/src"
        {
            cmake -S "$build/src" -B "$build/native" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release &&
                cmake --build "$build/native" --target bb7pack -j"$(nproc)" &&
                cmake -S "$build/src" -B "$build/win32" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
                    -DCMAKE_TOOLCHAIN_FILE="$build/src/cmake/mingw-i686.cmake" \
                    -DBB7_LIBJPEG_ROOT="$root/build/deps/mingw" -DBB7_HOST_BIN_DIR="$build/native/bin" &&
                cmake --build "$build/win32" --target Bb7Setup -j"$(nproc)"
        } >"$build/build.log" 2>&1 || { echo "bench: the base did not build, see $build/build.log" >&2; exit 2; }
    fi
fi

source "$root/scripts/wine-env.sh"
bb7_ensure_display
bb7_ensure_prefix

# Each installer in a folder of its own with the same settings: the service as LocalSystem,
# without shortcuts (whose shell calls would weigh more than the copy), into C:\bench\upgrade.
for who in base current; do
    mkdir -p "$work/$who"
    printf 'STDDIR=C:\\bench\\upgrade\r\nCREATEICONS=FALSE\r\nINSTKIND=3\r\nAUTHKIND=0\r\n' >"$work/$who/Bb7Auto.txt"
done
cp "$base_setup" "$work/base/Bb7Setup.exe"
cp "$root/build/win32/bin/Bb7Setup.exe" "$work/current/Bb7Setup.exe"
files=$(tr -d '\r' <"$root/build/win32/distro/bb7setup.dat" | grep -c .)

now_ms() { echo $(($(date +%s%N) / 1000000)); }
run() { # run WHO LOG: a silent run of that installer to its end; fails on another exit code than 0
    local status=0
    # Without the timing's output pipe: the programs that the installation starts would hold it open.
    wine "$work/$1/Bb7Setup.exe" /silent "/log=C:\\bench\\$2" >/dev/null 2>&1 || status=$?
    [ "$status" -eq 0 ] && return 0
    echo "bench: the $1 installer ended with $status (see $WINEPREFIX/drive_c/bench/$2)" >&2
    exit 2
}
# The interface that an installation started shows its window, by which the next uninstaller
# finds and closes it: one still starting would keep its program file in use.
interface_up() { wine "$root/build/win32/bin/bb7drive.exe" wait TBriUIForm 10 </dev/null >/dev/null 2>&1 || true; }
time_upgrade() { # time_upgrade WHO: prints the ms of its upgrade over a fresh base installation
    local start end
    run base setup.log
    interface_up
    start=$(now_ms)
    run "$1" upgrade.log
    end=$(now_ms)
    interface_up
    grep -q 'Uninstalling the old version' "$WINEPREFIX/drive_c/bench/upgrade.log" ||
        { echo "bench: the $1 run did not upgrade an installation" >&2; exit 2; }
    echo $((end - start))
}
remove() { # the last installation goes with its own uninstaller
    local quiet
    quiet=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\BriBackup7' \
        /v QuietUninstallString /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p') || true
    local program=${quiet#\"}
    [ -z "$quiet" ] || wine "${program%%\"*}" -nowarningclose </dev/null >/dev/null 2>&1 || true
    wine reg delete 'HKLM\SOFTWARE\Brisel' /f /reg:32 >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX/drive_c/bench/upgrade"
}

# A run stopped halfway may have left an installation and its programs behind.
wine taskkill /f /im briui.exe >/dev/null 2>&1 || true
remove

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A times
mkdir -p "$WINEPREFIX/drive_c/bench"
time_upgrade current >/dev/null # the first run of a fresh server pays for starting it
for i in $(seq "$rounds"); do
    # Each round in another order, so that neither always follows the other.
    if [ $((i % 2)) -eq 1 ]; then order=(base current); else order=(current base); fi
    for who in "${order[@]}"; do
        times[$who]+="$(time_upgrade "$who") "
    done
done
remove

base_ms=$(printf '%s\n' ${times[base]} | median)
current_ms=$(printf '%s\n' ${times[current]} | median)
ratio=$(awk -v a="$current_ms" -v b="$base_ms" 'BEGIN { printf "%.2f", a / b }')
echo "Silent upgrade of a service installation ($files files) under Wine, $rounds rounds, medians:"
echo "  base, $base_name: $base_ms ms   (${times[base]% })"
echo "  current build: $current_ms ms   (${times[current]% })"
echo "  ratio current / base: $ratio   (target: at most $target)"
awk -v r="$ratio" -v t="$target" 'BEGIN { exit !(r <= t) }'
