#!/usr/bin/env bash
# A service installation upgraded while every process of the machine is killed at once, as a
# power cut or a deployment tool's time limit does it (`wineserver -k`), at moments spread over
# the run, both unattended (Bb7Auto.txt beside the installer) and silently (/silent). After each
# cut Windows starts again (`wineboot -r` runs the RunOnce entries and starts the services, as a
# start of Windows does) and, with nobody running the installer, the earlier or the new version
# must stand (bb7installed: records, service, every file of its manifest); a second,
# uninterrupted run of the new installer must then end with 0 and leave the new version.
#
# Usage: upgrade_cutoff.sh RUNNER SOURCE_DIR BIN_DIR HOST_BIN_DIR NEW_PRODUCT OLD_PRODUCT OLD_PAYLOAD WORK_DIR
# (RUNNER is not used: the test runs its programs in a Wine prefix and on a display of its own,
# both made afresh in WORK_DIR.) BB7_CUTOFF_MODES="silent" (or "unattended") runs one way only.
#
# The moments: one uninterrupted upgrade of each way is watched first for what can be seen of it
# from outside: its start, the old version's uninstaller running, the old files going one by
# one, the uninstaller gone, the log file's "copied" lines, its post-install line and its exit
# code. A cut waits for one of these events, then for a share of the time that the watched run
# took from that event to the next one. The last part of the time before the uninstaller runs
# is the earlier version being kept: two moments fall into it.
set -uo pipefail
source_dir=$2 bin=$3 host_bin=$4 new_product=$5 old_product=$6 old_payload=$7 work=$8
modes=${BB7_CUTOFF_MODES:-unattended silent}

# A prefix and a display of the test's own: the cuts end every process of the prefix, and the
# wizard's windows take no focus from the tests that share the build's display.
unset BB7_DISPLAY BB7_USE_DISPLAY
export BB7_BUILD_DIR=$work BB7_WINEPREFIX=$work/wineprefix
source "$source_dir/scripts/wine-env.sh"
# The prefix (more than a gigabyte) stays for a look after a failure only.
cleanup() {
    local status=$?
    wineserver -k 2>/dev/null
    bb7_stop_display
    [ "$status" -eq 0 ] && rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
mkdir -p "$work"
wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX" "$work/old" "$work/new"
test_started=$SECONDS
bb7_ensure_display
bb7_ensure_prefix
wine "$bin/bb7drive.exe" drives 30 </dev/null >/dev/null 2>&1 || echo "Wine reports no drive C:"

install_dir='C:\Program Files (x86)\Brisel Backup 7\'
install_dir_host="$WINEPREFIX/drive_c/Program Files (x86)/Brisel Backup 7"
run_log='C:\bb7-cutoff.log' run_log_host=$WINEPREFIX/drive_c/bb7-cutoff.log
mkdir -p "$work/old" "$work/new"
cp "$bin/Bb7Setup.exe" "$work/new/"
wine "$bin/bb7withpayload.exe" "Z:$bin/Bb7Setup.exe" "Z:$old_payload" "Z:$work/old/Bb7Setup.exe" </dev/null ||
    { echo "FAIL: the earlier release's installer could not be made"; exit 1; }
user=$(wine cmd /c echo %USERNAME% </dev/null 2>/dev/null | tr -d '\r')
# The earlier release's files where it installs them, which its uninstaller removes one by one.
old_files=()
while IFS= read -r line; do
    [ -n "$line" ] && old_files+=("$install_dir_host/${line//\\//}")
done < <(tr -d '\r' <"$old_product/bb7setup.dat")

# The time in ms, without starting a process ($EPOCHREALTIME), into $now.
clock() {
    local t=${EPOCHREALTIME/[.,]/}
    now=$((10#$t / 1000))
}
# A pause of 5 ms without starting a process: a read that no data ends.
exec {pause_fd}<> <(:)
pause() { read -r -t 0.005 -u "$pause_fd" _; }

# The settings of both installers for one way of installing: the service as LocalSystem
# unattended, under the user's own account (its password ciphered) silently.
write_settings() {
    local file
    for file in "$work/old/Bb7Auto.txt" "$work/new/Bb7Auto.txt"; do
        printf 'STDDIR=%s\r\nCREATEICONS=TRUE\r\nINSTKIND=3\r\n' "$install_dir" >"$file"
        if [ "$1" = unattended ]; then
            printf 'AUTHKIND=0\r\n' >>"$file"
        else
            printf 'AUTHKIND=1\r\nINSTID=%s\r\nINSTPASSWORD=' "$user" >>"$file"
            printf '%s' 'pass word' | "$host_bin/bb7cipher" >>"$file"
            printf '\r\n' >>"$file"
        fi
    done
}
account_of() { [ "$1" = unattended ] && echo LocalSystem || echo ".\\$user"; }

# Which version stands (first line: old, new or broken; then what each one lacks).
installed() { # installed MODE [--settle SECONDS]
    local mode=$1
    shift
    wine "$bin/bb7installed.exe" "$@" --account "$(account_of "$mode")" "$install_dir" "old=Z:$old_product" \
        "new=Z:$new_product" </dev/null 2>&1 | tr -d '\r'
}

# The Windows processes of this prefix whose command line matches the pattern, by their ids:
# those whose environment names this prefix (one grep for them all, which a cut cannot wait for).
prefix_processes() { # prefix_processes [PATTERN]
    local pids
    pids=$(pgrep -f "${1:-\\.exe}") || return 0
    grep -lzxsF "WINEPREFIX=$WINEPREFIX" $(printf '/proc/%s/environ ' $pids) | cut -d/ -f3
}

# Every process of the machine stops at once, as at a power cut. wineserver -k alone ends them
# only most of a second later, working all the while; stopped first, they do nothing more, and
# the server ends them and saves the registry as they left it.
power_cut() {
    local pids
    pids=$(prefix_processes)
    [ -n "$pids" ] && kill -STOP $pids 2>/dev/null
    wineserver -k 2>/dev/null
    pids=$(prefix_processes)
    [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
    return 0
}

# What can be seen of the run at this moment, noted in seen[EVENT] (ms after the start) the
# first time: the old files gone (until the copy begins), the uninstaller's process, the log
# file's lines. latest is the rank of the latest event seen.
declare -A seen
rank_of() { # rank_of EVENT: into $rank, the event's place in the order of a run
    local n=${1#*:}
    case $1 in
        start) rank=0 ;;
        uninstaller) rank=1000 ;;
        removed:*) rank=$((2000 + n)) ;; # a counted event by its count
        uninstalled) rank=3000 ;;
        copied:*) rank=$((4000 + n)) ;;
        post) rank=5000 ;;
        exit) rank=6000 ;;
    esac
}
note() { # note EVENT MS
    [ -n "${seen[$1]:-}" ] || seen[$1]=$2
    rank_of "$1"
    [ "$rank" -gt "$latest" ] && latest=$rank
    return 0
}
observe() { # observe MS
    local t=$1 text="" rest gone=0 f k
    if [ -z "${seen[copied:1]:-}" ]; then
        for f in "${old_files[@]}"; do [ -e "$f" ] || gone=$((gone + 1)); done
        for ((k = 1; k <= gone; k++)); do note "removed:$k" "$t"; done
    fi
    if [ -z "${seen[uninstalled]:-}" ]; then
        if [ -n "$(prefix_processes 'bb7uninstall\.exe')" ]; then
            note uninstaller "$t"
        elif [ -n "${seen[uninstaller]:-}" ]; then
            note uninstalled "$t"
        fi
    fi
    [ -f "$run_log_host" ] && read -r -d '' text <"$run_log_host"
    rest=${text//copied/}
    for ((k = 1; k <= (${#text} - ${#rest}) / 6; k++)); do note "copied:$k" "$t"; done
    [[ $text == *"Performing post-install configuration"* ]] && note post "$t"
    [[ $text == *"* Exit code"* ]] && note exit "$t"
    return 0
}

# Runs the new installer in the way MODE, observing it. With EVENT and DELAY_MS, cuts the run
# off that long after the event, or as soon as a later event shows that it has passed unseen
# (cut_late); a run that ends first is not cut. Without EVENT, waits for its end. ended_by tells
# how the run ended: "exit CODE", "cut" or "timeout".
run_new() { # run_new MODE [EVENT DELAY_MS]
    local mode=$1 event=${2:-} delay=${3:-0} pid start limit status=0 target=
    seen=() ended_by= latest=0 cut_late=
    [ -n "$event" ] && rank_of "$event" && target=$rank
    rm -f "$run_log_host"
    limit=$([ "$mode" = unattended ] && echo 90000 || echo 45000)
    clock && start=$now
    # In a shell of its own, so that its end by the cut is no job report of this script; without
    # the output pipe, which the programs that the installation starts would hold open.
    if [ "$mode" = unattended ]; then
        (wine "$work/new/Bb7Setup.exe" "/log=$run_log" </dev/null >/dev/null 2>&1; exit $?) 2>/dev/null &
    else
        (wine "$work/new/Bb7Setup.exe" /silent "/log=$run_log" </dev/null >/dev/null 2>&1; exit $?) 2>/dev/null &
    fi
    pid=$!
    seen[start]=0
    while kill -0 "$pid" 2>/dev/null; do
        clock
        observe $((now - start))
        if [ -n "$target" ] && [ "$latest" -ge "$target" ]; then
            if [ -z "${seen[$event]:-}" ]; then
                cut_late=yes
            elif [ "$delay" -gt 0 ]; then
                sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
            fi
            kill -0 "$pid" 2>/dev/null && power_cut && ended_by=cut
            break
        fi
        if [ $((now - start)) -gt "$limit" ]; then
            power_cut
            ended_by=timeout
            break
        fi
        pause
    done
    wait "$pid" || status=$?
    clock
    observe $((now - start))
    seen[ended]=$((now - start))
    [ -z "$ended_by" ] && ended_by="exit $status"
}

# The interface that an unattended installation started shows its window, by which the next
# uninstaller finds and closes it: one still starting would keep its program file in use. A
# silent run starts no program window.
interface_up() { # interface_up MODE
    [ "$1" = unattended ] || return 0
    wine "$bin/bb7drive.exe" wait TBriUIForm 10 </dev/null >/dev/null 2>&1
}

# The earlier release installed silently, its service and interface running: what each cut
# starts from. Prints why when it does not stand.
install_old() {
    local status=0 state
    timeout 120 wine "$work/old/Bb7Setup.exe" /silent '/log=C:\bb7-cutoff-earlier.log' </dev/null >/dev/null 2>&1 ||
        status=$?
    state=$(installed "$1")
    [ "$status" -eq 0 ] && [ "$(head -n1 <<<"$state")" = old ] && return 0
    echo "the earlier release did not install (exit code $status): $state"
    return 1
}

# The moments of one way, from its watched run, in the order of the run: "EVENT DELAY_MS LABEL"
# lines. "EVENT SHARE" waits that share (in percent) of the time to the next event seen; a
# counted event (the n-th old file gone, the n-th file copied) is a moment itself.
last_of() { # last_of KIND: the highest n of the events KIND:n seen
    local n=0
    while [ -n "${seen[$1:$((n + 1))]:-}" ]; do n=$((n + 1)); done
    echo "$n"
}
next_gap() { # next_gap EVENT: ms from EVENT to the next event seen after it
    local at=${seen[$1]} e t best=
    for e in start uninstaller removed:1 uninstalled copied:1 post exit ended; do
        t=${seen[$e]:-}
        [ -n "$t" ] && [ "$t" -gt "$at" ] && { [ -z "$best" ] || [ "$t" -lt "$best" ]; } && best=$t
    done
    echo $((${best:-$at} - at))
}
plan_moments() {
    local removed copied e
    removed=$(last_of removed) copied=$(last_of copied)
    [ "$removed" -ge 2 ] && [ "$copied" -ge 4 ] ||
        { echo "FAIL: the watched run removed $removed old files and copied $copied" >&2; return 1; }
    for e in "start 70" "start 95" "uninstaller 0" "uninstaller 50" removed:1 "removed:$((removed / 2))" \
        "removed:$removed" "uninstalled 0" "uninstalled 50" copied:1 "copied:$((copied / 3))" \
        "copied:$((copied * 2 / 3))" "copied:$copied" "post 0" "post 5" "post 20" "post 50" "exit 0"; do
        set -- $e
        [ -n "${seen[$1]:-}" ] || { echo "FAIL: the watched run showed no event \"$1\"" >&2; return 1; }
        case $# in
            1) echo "$1 0 $1/$(last_of "${1%%:*}")" ;;
            *) echo "$1 $(($(next_gap "$1") * $2 / 100)) $1+$2%" ;;
        esac
    done
}

failures=() total=0
for mode in $modes; do
    write_settings "$mode"
    echo "=== $mode upgrade of the service ($(account_of "$mode")), cut off at moments spread over the run"
    # Watched until a run has shown every event (a poll may miss the short ones).
    moments=
    for _ in 1 2 3; do
        install_old "$mode" || break
        run_new "$mode"
        interface_up "$mode"
        state=$(installed "$mode")
        if [ "$ended_by" != "exit 0" ] || [ "$(head -n1 <<<"$state")" != new ]; then
            echo "FAIL: the uninterrupted upgrade ended with $ended_by and left: $state"
            break
        fi
        timeline=""
        for e in start uninstaller removed:1 "removed:$(last_of removed)" uninstalled copied:1 \
            "copied:$(last_of copied)" post exit ended; do
            timeline+=" $e ${seen[$e]:-?}"
        done
        echo "uninterrupted upgrade, ms after the start:$timeline"
        if planned=$(plan_moments); then
            moments=$planned
            break
        fi
    done
    [ -n "$moments" ] || { failures+=("$mode: no uninterrupted upgrade to plan the moments by"); continue; }

    while read -r event delay label; do
        total=$((total + 1))
        if ! why=$(install_old "$mode"); then
            echo "$mode $label: FAIL, $why"
            failures+=("$mode $label: set-up")
            continue
        fi
        run_new "$mode" "$event" "$delay"
        case $ended_by/$cut_late in
            cut/yes) at="cut late, it passed unseen" ;;
            cut/) at="cut ${delay} ms after $event" ;;
            *) at="the run ended first ($ended_by)" ;;
        esac
        last=$(tail -n1 "$run_log_host" 2>/dev/null | tr -d '\r' | cut -c 13- | sed 's/^ *//')
        at+=", last log line: ${last:-none}"
        power_cut
        timeout 180 wineboot -r </dev/null >/dev/null 2>&1 || echo "($mode $label: wineboot -r ended with $?)"
        after_restart=$(installed "$mode" --settle 60)
        restart_state=$(head -n1 <<<"$after_restart")

        run_new "$mode"
        interface_up "$mode"
        after_second=$(installed "$mode")
        second_state=$(head -n1 <<<"$after_second")
        verdict=ok
        [ "$restart_state" = old ] || [ "$restart_state" = new ] || verdict=FAIL
        [ "$ended_by" = "exit 0" ] && [ "$second_state" = new ] || verdict=FAIL
        echo "$mode $label: $verdict, after the restart: $restart_state; second run: $ended_by, $second_state ($at)"
        if [ "$verdict" = FAIL ]; then
            failures+=("$mode $label: after the restart $restart_state, second run $ended_by $second_state")
            tail -n +2 <<<"$after_restart" | sed 's/^/      restart /'
            [ "$second_state" = new ] || tail -n +2 <<<"$after_second" | sed 's/^/      second  /'
        fi
    done <<<"$moments"
done

echo "=== $total moments in $((SECONDS - test_started)) s; ${#failures[@]} failed"
for f in "${failures[@]}"; do echo "  FAIL $f"; done
[ "${#failures[@]}" -eq 0 ]
