#!/usr/bin/env bash
# bb7unzip against archives of Info-ZIP zip, 7-Zip and libarchive: the same bytes as
# Info-ZIP unzip; -l, -t, wrong passwords, damage and exit statuses.
# Usage: unzip_interop.sh RUNNER BB7UNZIP   (RUNNER "-" runs the tool directly)
set -euo pipefail
runner=$1 tool=$2
run() { if [ "$runner" = "-" ]; then "$@"; else "$runner" "$@"; fi; }
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cd "$work"

mkdir -p src/sub/deeper src/empty-folder
seq 1 100000 > src/numbers.txt
head -c 700000 /dev/urandom > src/sub/random.bin
: > src/sub/empty.txt
printf 'tiny' > src/sub/deeper/tiny.txt
head -c 3000000 < <(yes 'repeat repeat') > src/sub/deeper/repeat.txt

(
    cd src
    zip -qr ../zip-deflate.zip .
    zip -qr0 ../zip-store.zip .
    zip -qr -P secret ../zip-crypt.zip .
    zip -qr -fz -P secret ../zip-zip64.zip .
    # Streamed input: data descriptors, and the password check byte from the time.
    cat numbers.txt | zip -q -P secret ../zip-stream.zip -
    7z a -tzip -bso0 -bsp0 ../7z-deflate.zip .
    7z a -tzip -bso0 -bsp0 -psecret -mem=ZipCrypto ../7z-crypt.zip .
    bsdtar --format zip -cf ../bsdtar.zip .
    bsdtar --format zip --options zip:encryption=traditional --passphrase secret -cf ../bsdtar-crypt.zip .
    bsdtar --format zip --options zip:compression=store -cf ../bsdtar-store.zip .
)
# A prefix in front of an archive whose offsets were not adjusted.
head -c 12345 /dev/urandom > stub.bin
cat stub.bin zip-deflate.zip > prefixed.zip

for archive in zip-deflate zip-store zip-crypt zip-zip64 zip-stream 7z-deflate 7z-crypt bsdtar bsdtar-crypt \
               bsdtar-store prefixed; do
    mkdir "ours-$archive" "theirs-$archive"
    run "$tool" -p secret "$archive.zip" "ours-$archive" > /dev/null 2> err.txt ||
        fail "$archive: bb7unzip failed: $(cat err.txt)"
    unzip -qq -P secret "$archive.zip" -d "theirs-$archive" 2> /dev/null || [ "$archive" = prefixed ] ||
        fail "$archive: unzip failed"
    diff -r "ours-$archive" "theirs-$archive" > /dev/null || fail "$archive: different from unzip"
    run "$tool" -p secret -t "$archive.zip" > /dev/null 2>&1 || fail "$archive: -t failed"
done
diff -r src ours-zip-deflate > /dev/null || fail "zip-deflate: different from the source"

# -l names every entry with sizes, the encrypted flag and the CRC.
run "$tool" -p secret -l zip-crypt.zip | tr -d '\r' > list.txt
grep -Eq '^ +700000 +[0-9]+ +yes +[0-9a-f]{8} +sub/random.bin$' list.txt || fail "-l line of random.bin: $(cat list.txt)"
crc=$(unzip -Z -v zip-crypt.zip sub/deeper/tiny.txt | sed -n 's/.*32-bit CRC value (hex): *//p')
grep -Eq "^ +4 +16 +yes +$crc +sub/deeper/tiny.txt" list.txt || fail "-l line of tiny.txt: $(cat list.txt)"

# A wrong password fails those entries (status 1) and prompts for nothing.
mkdir wrong
set +e
run "$tool" -p nope zip-crypt.zip wrong > /dev/null 2> err.txt < /dev/null; status=$?
set -e
[ $status -eq 1 ] || fail "wrong password must give status 1, not $status"
grep -q 'wrong password' err.txt || fail "no message for the wrong password"
# Under Wine a file deleted just before the program ends may be unlinked by the Wine server a
# moment after the program has returned: what a wrong password wrote must be gone within a second.
for _ in 1 2 3 4 5 6 7 8 9 10; do [ -z "$(find wrong -type f)" ] && break; sleep 0.1; done
[ -z "$(find wrong -type f)" ] || fail "files written with a wrong password: $(find wrong -type f)"

# Damaged data: -t and extraction give status 1 and name the reader's message.
cp zip-deflate.zip damaged.zip
offset=$(( $(grep -abo 'numbers.txt' damaged.zip | head -1 | cut -d: -f1) + 200 ))
printf 'XXXXXXXX' | dd of=damaged.zip bs=1 seek="$offset" conv=notrunc 2> /dev/null
set +e
run "$tool" -t damaged.zip > /dev/null 2> err.txt; status=$?
set -e
[ $status -eq 1 ] || fail "-t of damaged data must give status 1, not $status"
grep -q 'Invalid size or check sum of file' err.txt || fail "no reader message for damaged data: $(cat err.txt)"
mkdir damaged
set +e
run "$tool" damaged.zip damaged > /dev/null 2>&1; status=$?
set -e
[ $status -eq 1 ] || fail "extracting damaged data must give status 1, not $status"
[ ! -e damaged/numbers.txt ] || fail "the damaged entry was left on disk"
[ -f damaged/sub/deeper/tiny.txt ] || fail "the sound entries were not extracted"

# Unopenable archives and wrong arguments: status 2.
set +e
head -c 3000 /dev/urandom | tr -d 'P' > noise.zip
run "$tool" noise.zip > /dev/null 2> err.txt; [ $? -eq 2 ] || fail "noise must give status 2"
grep -q 'Invalid archive file' err.txt || fail "no reader message for noise: $(cat err.txt)"
run "$tool" missing.zip > /dev/null 2>&1; [ $? -eq 2 ] || fail "a missing archive must give status 2"
run "$tool" > /dev/null 2>&1; [ $? -eq 2 ] || fail "no arguments must give status 2"
run "$tool" -l -t x.zip > /dev/null 2>&1; [ $? -eq 2 ] || fail "-l with -t must give status 2"
set -e
echo "bb7unzip interoperability passed"
