#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix, on the virtual display.
# ctest uses it as the emulator of the Windows build.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
bb7_ensure_display
bb7_ensure_prefix
exec wine "$@"
