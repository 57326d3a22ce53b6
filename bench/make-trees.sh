#!/usr/bin/env bash
# Makes the benchmark's source trees in OUT:
#   OUT/payload  181 files like the installer's payload (Distro/, Help/, Help/Images/,
#                Languages/, Plugins/), about 10.9 MB, text and image-like data
#   OUT/large    40 files, about 200 MB
# Text comes from a seeded generator, so it compresses the same way every time; picture and
# program data mix random bytes with repeated runs.
#   bench/make-trees.sh OUT
set -euo pipefail
out=$1
mkdir -p "$out"

# text FILE BYTES SEED: words of a small vocabulary with markup, about 4:1 under deflate.
text() {
    awk -v bytes="$2" -v seed="$3" 'BEGIN {
        srand(seed)
        n = split("backup restore schedule folder archive network drive settings service plugin " \
                  "language window button status version install password user account file " \
                  "incremental differential snapshot retention compression encryption verify " \
                  "the a of to and in is for with on by as from that this which", w, " ")
        printf "<html><head><title>Brisel Backup help %d</title></head><body>\n", seed
        total = 60
        while (total < bytes) {
            line = "<p>"
            for (i = 0; i < 8 + int(rand() * 10); i++) line = line w[1 + int(rand() * n)] " "
            line = line int(rand() * 100000) "</p>"
            print line
            total += length(line) + 1
        }
    }' > "$1"
    truncate -s "$2" "$1"
}

# Program and picture data: 1 MiB units of 4 KiB blocks, some random and some repeated
# (the percentage of random ones is the unit's name); files are cut from them.
units=$out/units
make_units() {
    local percent=$1 k i
    mkdir -p "$units"
    local pattern
    pattern=$(head -c 3072 /dev/urandom | base64 -w0)
    for k in 1 2 3 4; do
        local unit=$units/$percent.$k
        [ -f "$unit" ] && continue
        : > "$unit"
        for i in $(seq 1 256); do
            if [ $((RANDOM % 100)) -lt "$percent" ]; then
                head -c 4096 /dev/urandom >> "$unit"
            else
                printf '%s' "$pattern" >> "$unit"
            fi
        done
    done
}

# binary FILE BYTES PERCENT: units in turn, cut to size.
binary() {
    local file=$1 bytes=$2 percent=$3 k=$((RANDOM % 4))
    : > "$file"
    while [ "$(stat -c %s "$file")" -lt "$bytes" ]; do
        cat "$units/$percent.$((k % 4 + 1))" >> "$file"
        k=$((k + 1))
    done
    truncate -s "$bytes" "$file"
}
make_units 45
make_units 96

payload=$out/payload/Distro
if [ ! -d "$payload" ]; then
    mkdir -p "$payload/Help/Images" "$payload/Languages" "$payload/Plugins"
    for i in $(seq 1 20); do binary "$payload/program$i.dll" $((165000 + i * 9000)) 45; done
    for i in $(seq 1 99); do text "$payload/Help/page$i.htm" $((22000 + i * 60)) "$i"; done
    for i in $(seq 1 19); do binary "$payload/Help/Images/picture$i.jpg" $((72000 + i * 3000)) 96; done
    for i in $(seq 1 42); do text "$payload/Languages/lang$i.lng" $((25000 + i * 100)) $((1000 + i)); done
    binary "$payload/Plugins/plugin.dll" 120000 45
fi

large=$out/large
if [ ! -d "$large" ]; then
    mkdir -p "$large/Text" "$large/Data"
    for i in $(seq 1 20); do text "$large/Text/document$i.txt" 5000000 $((5000 + i)); done
    for i in $(seq 1 20); do binary "$large/Data/data$i.bin" 5000000 45; done
fi
