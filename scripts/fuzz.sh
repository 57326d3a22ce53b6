#!/usr/bin/env bash
# Builds the zip reader's libFuzzer target with clang (address and undefined-behaviour
# sanitizers) in build/fuzz and fuzzes it for the given number of seconds (default 600).
# The committed corpus (tests/zip/fuzz/corpus) seeds a working corpus in build/fuzz/corpus;
# crashes land in build/fuzz/artifacts. Exit status: 0 when the fuzzer found nothing.
#
#   scripts/fuzz.sh [SECONDS] [extra libFuzzer options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
build=${BB7_FUZZ_DIR:-$root/build/fuzz}

flags="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fsanitize=fuzzer-no-link"
flags="$flags -fno-sanitize-recover=undefined"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DBB7_FUZZ=ON > /dev/null
fi
# One job: the machine has two cores, and the fuzzer takes one of them.
cmake --build "$build" --target zip_fuzzer -j1

mkdir -p "$build/corpus" "$build/artifacts"
cp -n "$root"/tests/zip/fuzz/corpus/* "$build/corpus/" 2>/dev/null || true
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
exec ./bin/zip_fuzzer -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$build/artifacts/" -print_final_stats=1 "$@" "$build/corpus"
