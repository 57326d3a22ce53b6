#!/usr/bin/env bash
# The installer's payload holds exactly the files that its manifest names (CR LF lines), the
# product's programs and documents among them.
# Usage: payload_manifest.sh BB7UNZIP PAYLOAD_ZIP
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$1" "$2" "$work" > /dev/null
manifest=$work/Distro/bb7setup.dat
[ "$(grep -c $'\r$' "$manifest")" -eq "$(wc -l < "$manifest")" ] || { echo "FAIL: a line without CR LF" >&2; exit 1; }
named=$(tr -d '\r' < "$manifest" | sort)
diff <(cd "$work/Distro" && find . -type f | sed 's|^\./||; s|/|\\|g' | sort) <(echo "$named") ||
    { echo "FAIL: payload files (<) and manifest lines (>) differ" >&2; exit 1; }
for file in BriNT.dll BriService.exe BriBU.exe briui.exe bb7uninstall.exe Decompressor.exe bb7setup.dat \
            LICENSE.TXT README.TXT history.txt; do
    grep -qxF "$file" <<< "$named" || { echo "FAIL: $file is not in the payload" >&2; exit 1; }
done
