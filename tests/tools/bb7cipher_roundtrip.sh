#!/usr/bin/env bash
# bb7cipher round-trips arbitrary bytes, never writes NUL, CR or LF, and keeps its exit codes.
# Usage: bb7cipher_roundtrip.sh RUNNER BB7CIPHER   (RUNNER "-" runs the tool directly)
set -euo pipefail
if [ "$1" = "-" ]; then cipher=("$2"); else cipher=("$1" "$2"); fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Passwords of realistic length always find a ciphered form; long binary ones may not
# (status 2), but whatever is written deciphers to the input.
for i in $(seq 1 16); do
    if [ "$i" -le 10 ]; then length=$((RANDOM % 41)); else length=$((RANDOM % 400)); fi
    head -c "$length" /dev/urandom > "$work/plain"
    set +e
    "${cipher[@]}" < "$work/plain" > "$work/cipher" 2> "$work/err"
    status=$?
    set -e
    if [ "$status" -eq 2 ] && [ "$i" -gt 10 ] && grep -q 'NUL, CR and LF' "$work/err"; then continue; fi
    [ "$status" -eq 0 ] || fail "encipher, case $i (length $length, status $status)"
    if tr -d '\000\r\n' < "$work/cipher" | cmp -s - "$work/cipher"; then :; else fail "NUL, CR or LF in output, case $i"; fi
    "${cipher[@]}" -d < "$work/cipher" > "$work/back" || fail "decipher, case $i"
    cmp -s "$work/plain" "$work/back" || fail "round trip differs, case $i"
done

# Bytes that look like a line ending or an error text survive as well.
printf 'a\r\nb\000c' > "$work/plain"
"${cipher[@]}" -k 'other key' < "$work/plain" | "${cipher[@]}" -d -k 'other key' > "$work/back"
cmp -s "$work/plain" "$work/back" || fail "round trip with -k"

# Wrong key and corrupted text: status 1. A key byte that becomes NUL: status 2.
printf 'secret' | "${cipher[@]}" -k one > "$work/cipher"
set +e
"${cipher[@]}" -d -k two < "$work/cipher" > /dev/null 2>&1; [ $? -eq 1 ] || fail "wrong key must give status 1"
printf 'xyz' | "${cipher[@]}" -d > /dev/null 2>&1; [ $? -eq 1 ] || fail "corrupted text must give status 1"
printf 'pw' | "${cipher[@]}" -k "$(printf 'a\003')" > /dev/null 2>&1; [ $? -eq 2 ] || fail "unstorable key must give status 2"
"${cipher[@]}" -z < /dev/null > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option must give status 2"
set -e

# A header cut short after the key deciphers to the empty text, whatever n promised.
[ -z "$(printf 5kl | "${cipher[@]}" -d -k ab)" ] || fail "5kl with the key ab must give the empty text"
printf '5\x82\x83kl' | "${cipher[@]}" -d -k ab > "$work/back" || fail "a header cut short after the key must decipher"
[ ! -s "$work/back" ] || fail "a header cut short after the key must give the empty text"
echo "bb7cipher round trips passed"
