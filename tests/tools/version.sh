#!/usr/bin/env bash
# Every tool answers --version with its name and the project's version, and exits with 0.
# Usage: version.sh RUNNER VERSION TOOL...   (RUNNER "-" runs the tools directly)
set -euo pipefail
runner=$1 version=$2
shift 2
for tool in "$@"; do
    if [ "$runner" = "-" ]; then command=("$tool"); else command=("$runner" "$tool"); fi
    name=$(basename "$tool" .exe)
    output=$("${command[@]}" --version | tr -d '\r')
    [ "$output" = "$name $version" ] || { echo "FAIL: $name --version says \"$output\"" >&2; exit 1; }
done
