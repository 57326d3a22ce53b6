#!/usr/bin/env bash
# Configures and builds both trees: "$build/native" (portable core, its tests, the tools)
# and "$build/win32" (everything for 32-bit Windows). Needs scripts/setup-debian.sh first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
build=${BB7_BUILD_DIR:-$root/build}   # another folder keeps a second build apart
type=${BB7_BUILD_TYPE:-Release}

"$root/scripts/build-libjpeg-mingw.sh"  # shared by every build folder: built once, read only

if [ ! -f "$build/native"/CMakeCache.txt ]; then
    cmake -S . -B "$build/native" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE="$type" ${BB7_NATIVE_CMAKE_ARGS:-}
fi
cmake --build "$build/native" -j"$jobs"

if [ ! -f "$build/win32"/CMakeCache.txt ]; then
    cmake -S . -B "$build/win32" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE="$type" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DBB7_LIBJPEG_ROOT="$root/build/deps/mingw" \
        -DBB7_HOST_BIN_DIR="$build/native/bin" ${BB7_WIN32_CMAKE_ARGS:-}
fi
cmake --build "$build/win32" -j"$jobs"

# One ctest run over both trees.
printf 'subdirs("native" "win32")\n' > "$build/CTestTestfile.cmake"
