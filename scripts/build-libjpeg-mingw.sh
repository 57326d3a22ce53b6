#!/usr/bin/env bash
# Builds libjpeg-turbo for 32-bit Windows from Debian's source package, once.
# Result: build/deps/mingw/{include,lib} with a static libjpeg.a.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=$root/build/deps
prefix=$deps/mingw
[ -f "$prefix/lib/libjpeg.a" ] && exit 0

mkdir -p "$deps/src"
cd "$deps/src"
if ! ls libjpeg-turbo_*.orig.tar.gz >/dev/null 2>&1; then
    apt-get source --download-only libjpeg-turbo >/dev/null 2>&1 \
        || { echo "apt-get source libjpeg-turbo failed: is there a deb-src entry (scripts/setup-debian.sh)?" >&2; exit 1; }
fi
rm -rf libjpeg-src && mkdir libjpeg-src
tar -xzf libjpeg-turbo_*.orig.tar.gz -C libjpeg-src --strip-components=1

cmake -S libjpeg-src -B libjpeg-build -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build libjpeg-build -j"$(nproc)" >/dev/null
cmake --install libjpeg-build >/dev/null
echo "libjpeg-turbo for MinGW installed in $prefix"
