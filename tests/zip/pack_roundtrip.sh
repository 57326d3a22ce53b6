#!/usr/bin/env bash
# bb7pack makes the payload archive: every file as Distro/..., deflated, encrypted, flags 1,
# method 8, attributes 0x20, the file's time; the same tree gives the same bytes; bb7unzip
# and Info-ZIP unzip give the tree back byte for byte.
# Usage: pack_roundtrip.sh RUNNER BB7PACK BB7UNZIP   (RUNNER "-" runs the tools directly)
set -euo pipefail
runner=$1 pack=$2 unzip_tool=$3
run() { if [ "$runner" = "-" ]; then "$@"; else "$runner" "$@"; fi; }
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cd "$work"
password='{5C1E7A24-9B3D-4F60-A8E2-17D4C9B0F3A6}'

# A tree like the payload: nested folders, empty and binary files, block-sized files,
# compressible text, names with blanks and several dots.
mkdir -p tree/Help/Images tree/Languages tree/Plugins "tree/With Blank"
printf 'manifest\r\nline two\r\n' > tree/bb7setup.dat
: > tree/Plugins/empty.dll
head -c 262144 /dev/urandom > tree/Help/Images/block.bin
head -c 262145 /dev/urandom > tree/Help/Images/block-plus-one.bin
head -c 1500000 /dev/urandom > tree/Help/Images/random.jpg
seq 1 200000 > tree/Languages/numbers.txt
for i in $(seq 1 30); do echo "Help page $i $(seq 1 $((i * 37)))" > "tree/Help/page$i.htm"; done
echo "blank" > "tree/With Blank/a name.with.dots.txt"
touch -d '2019-03-04 05:06:08' tree/bb7setup.dat

run "$pack" tree first.zip || fail "bb7pack failed"
run "$pack" tree second.zip || fail "bb7pack failed the second time"
cmp -s first.zip second.zip || fail "the same tree gave different archives"

# Every entry: encrypted, deflated, no data descriptor, archive attribute, below Distro/.
count=$(find tree -type f | wc -l)
info=$(zipinfo -v first.zip)
for line in "file security status: *encrypted" "extended local header: *no" "compression method: *deflated" \
            "compression sub-type (deflation): *normal" "MS-DOS file attributes (20 hex): *arc"; do
    [ "$(grep -c "$line" <<< "$info")" -eq "$count" ] || fail "not every entry shows '$line'"
done
[ "$(zipinfo -1 first.zip | grep -vc '^Distro/')" -eq 0 ] || fail "an entry outside Distro/"
[ "$(zipinfo -1 first.zip | grep -c '/$')" -eq 0 ] || fail "a folder entry"
# General purpose flags 1 and method 8 in the first local header.
[ "$(od -An -tx1 -j6 -N4 first.zip | tr -d ' \n')" = "01000800" ] || fail "flags or method of the first header"
listing=$(zipinfo -T -l first.zip)
grep -q '20190304.05060[89] Distro/bb7setup.dat' <<< "$listing" || fail "DOS time of the file"

mkdir ours theirs
run "$unzip_tool" first.zip ours > /dev/null || fail "bb7unzip failed"
diff -r tree ours/Distro || fail "bb7unzip did not give the tree back"
unzip -qq -P "$password" first.zip -d theirs || fail "Info-ZIP unzip cannot read the archive"
diff -r tree theirs/Distro || fail "Info-ZIP unzip did not give the tree back"

# Another password and top folder.
run "$pack" -p other --top Product tree other.zip
mkdir other
run "$unzip_tool" -p other other.zip other > /dev/null || fail "bb7unzip with -p"
diff -r tree other/Product || fail "round trip with -p and --top"

# Wrong arguments: status 2.
set +e
run "$pack" > /dev/null 2>&1; [ $? -eq 2 ] || fail "bb7pack without arguments must give status 2"
run "$pack" missing-folder x.zip > /dev/null 2>&1; [ $? -eq 2 ] || fail "bb7pack of a missing folder must give status 2"
set -e
echo "bb7pack round trips passed"
