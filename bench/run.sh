#!/usr/bin/env bash
# Times bb7unzip against Info-ZIP unzip, 7-Zip and bsdtar on two archives made by bb7pack
# (payload-like: 181 files, about 10.9 MB; large: 40 files, about 200 MB), in one run with
# the tools taking turns, and prints medians, MB/s, peak memory and each peer's time as a
# multiple of ours; then the memory of bb7unzip -t on one 1 GiB entry of zeros. Checks the
# targets: ours at most 0.95 of the fastest peer on both archives, at most 16 MiB of memory.
#
#   bench/run.sh [ROUNDS_PAYLOAD] [ROUNDS_LARGE]     (defaults 21 and 7)
# Exit status 0 when every target is met.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds_payload=${1:-21}
rounds_large=${2:-7}
work=${BB7_BENCH_DIR:-$root/build/bench}
native=${BB7_BUILD_DIR:-$root/build}/native
password='{5C1E7A24-9B3D-4F60-A8E2-17D4C9B0F3A6}'

if [ ! -f "$native/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$native" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release > /dev/null
fi
cmake --build "$native" --target bb7pack bb7unzip -j"$(nproc)" > /dev/null
bin=$native/bin
for tool in unzip 7z bsdtar /usr/bin/time; do
    command -v "$tool" > /dev/null || { echo "bench: $tool is missing (scripts/setup-debian.sh installs it)" >&2; exit 2; }
done

mkdir -p "$work"
"$root/bench/make-trees.sh" "$work/trees"
[ -f "$work/payload.zip" ] || "$bin/bb7pack" "$work/trees/payload/Distro" "$work/payload.zip"
[ -f "$work/large.zip" ] || "$bin/bb7pack" --top Large "$work/trees/large" "$work/large.zip"
if [ ! -f "$work/zeros.zip" ]; then
    mkdir -p "$work/trees/zeros"
    truncate -s 1G "$work/trees/zeros/zeros.bin"
    "$bin/bb7pack" --top Zeros "$work/trees/zeros" "$work/zeros.zip"
fi

tools=(bb7unzip unzip 7z bsdtar)
command_of() { # TOOL ARCHIVE OUT
    case $1 in
        bb7unzip) echo "$bin/bb7unzip -p $password $2 $3" ;;
        unzip) echo "unzip -qq -o -P $password $2 -d $3" ;;
        7z) echo "7z x -y -bso0 -bsp0 -p$password -o$3 $2" ;;
        bsdtar) echo "bsdtar -x --passphrase $password -f $2 -C $3" ;;
    esac
}

out=$work/out
# Every tool must give the same files before it is timed.
for name in payload large; do
    for tool in "${tools[@]}"; do
        rm -rf "$out"
        mkdir -p "$out"
        $(command_of "$tool" "$work/$name.zip" "$out")
        src=$work/trees/$name
        [ "$name" = payload ] && src=$work/trees/payload
        [ "$name" = large ] && { mkdir -p "$out.check"; rm -rf "$out.check"/*; mv "$out/Large" "$out.check/"; }
        if [ "$name" = payload ]; then diff -r "$src" "$out" > /dev/null; else diff -r "$src" "$out.check/Large" > /dev/null; fi ||
            { echo "bench: $tool did not extract $name.zip correctly" >&2; exit 2; }
    done
done
rm -rf "$out" "$out.check"

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
max_of() { sort -g | tail -1; }

status=0
for name in payload large; do
    archive=$work/$name.zip
    rounds=$rounds_payload
    [ "$name" = large ] && rounds=$rounds_large
    bytes=$(unzip -Zt "$archive" | awk '{ print $3 }')
    : > "$work/times.txt"
    for round in $(seq 1 "$rounds"); do
        for k in 0 1 2 3; do
            tool=${tools[$(((k + round) % 4))]}
            rm -rf "$out"
            mkdir -p "$out"
            sync
            start=$EPOCHREALTIME
            /usr/bin/time -f %M -o "$work/rss.txt" $(command_of "$tool" "$archive" "$out")
            end=$EPOCHREALTIME
            echo "$tool $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }') $(cat "$work/rss.txt")" \
                >> "$work/times.txt"
        done
    done
    rm -rf "$out"
    ours=$(awk '$1 == "bb7unzip" { print $2 }' "$work/times.txt" | median)
    echo
    echo "$name.zip: $(stat -c %s "$archive") bytes packed, $bytes bytes unpacked, $rounds rounds"
    printf '  %-9s %10s %9s %12s %14s\n' tool "median s" "MB/s" "peak KiB" "time / ours"
    fastest=
    for tool in "${tools[@]}"; do
        t=$(awk -v t="$tool" '$1 == t { print $2 }' "$work/times.txt" | median)
        rss=$(awk -v t="$tool" '$1 == t { print $3 }' "$work/times.txt" | max_of)
        printf '  %-9s %10.4f %9.1f %12d %14.3f\n' "$tool" "$t" "$(awk -v b="$bytes" -v t="$t" 'BEGIN { print b / t / 1e6 }')" \
            "$rss" "$(awk -v t="$t" -v o="$ours" 'BEGIN { print t / o }')"
        if [ "$tool" != bb7unzip ] && { [ -z "$fastest" ] || awk -v t="$t" -v f="$fastest" 'BEGIN { exit !(t < f) }'; }; then
            fastest=$t
            fastest_tool=$tool
        fi
        [ "$tool" = bb7unzip ] && ours_rss=$rss
    done
    ratio=$(awk -v o="$ours" -v f="$fastest" 'BEGIN { printf "%.3f", o / f }')
    if awk -v r="$ratio" 'BEGIN { exit !(r <= 0.95) }'; then verdict=met; else verdict="NOT met"; status=1; fi
    echo "  target speed: bb7unzip takes $ratio of the time of the fastest peer ($fastest_tool); at most 0.95: $verdict"
    if [ "$name" = large ]; then
        if [ "$ours_rss" -le 16384 ]; then verdict=met; else verdict="NOT met"; status=1; fi
        echo "  target memory: extraction peaks at $ours_rss KiB; at most 16384 KiB: $verdict"
    fi
done

/usr/bin/time -f %M -o "$work/rss.txt" "$bin/bb7unzip" -t "$work/zeros.zip"
rss=$(cat "$work/rss.txt")
if [ "$rss" -le 16384 ]; then verdict=met; else verdict="NOT met"; status=1; fi
echo
echo "zeros.zip (one 1 GiB entry of zeros): bb7unzip -t peaks at $rss KiB; at most 16384 KiB: $verdict"
exit $status
