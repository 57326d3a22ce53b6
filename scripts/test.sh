#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every native and Windows test
# in one ctest run. Exits non-zero when any test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"
bb7_ensure_display
bb7_ensure_prefix
status=0
ctest --test-dir "${BB7_BUILD_DIR:-$root/build}" --output-on-failure -j"$(nproc)" "$@" || status=$?
wineserver -k 2>/dev/null || true
bb7_stop_display
exit $status
