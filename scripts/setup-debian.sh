#!/usr/bin/env bash
# Installs everything the project needs on a Debian 12 machine, as root.
# Idempotent: when every package is present it changes nothing and returns at once.
set -euo pipefail

packages=(
    cmake make g++ pkg-config dpkg-dev
    gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 libz-mingw-w64-dev
    wine wine64 wine32:i386 xvfb xauth x11-utils imagemagick fonts-dejavu-core
    googletest zlib1g-dev libjpeg-dev
    zip unzip p7zip-full libarchive-tools time
    clang libclang-rt-14-dev
    nsis
    osslsigncode openssl
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "setup-debian.sh: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

# libjpeg-turbo for MinGW is built from Debian's source package, which needs a deb-src entry.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    src=/etc/apt/sources.list.d/debian.sources
    if [ -f "$src" ]; then
        sed -e 's/^Types: deb$/Types: deb-src/' "$src" > /etc/apt/sources.list.d/bb7-deb-src.sources
    else
        echo 'deb-src http://deb.debian.org/debian bookworm main' > /etc/apt/sources.list.d/bb7-deb-src.list
    fi
fi

apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
