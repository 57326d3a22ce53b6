#!/usr/bin/env bash
# Draws the installer's pictures with ImageMagick.
#
#   make-pictures.sh OUTDIR PERCENT   the banner, the warning picture and the browse button's
#                                     picture at a display scale (100, 150, 200...), into OUTDIR;
#                                     the build runs this for every scale the program carries
#   make-pictures.sh --icon           the program icon, committed as resources/pictures/Bb7Setup.ico
#
# Every picture is drawn at its scale, not enlarged from a smaller one, so it stays sharp: the
# sizes are those at 100% times the scale, rounded as MulDiv rounds (half up).
set -euo pipefail
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
font_plain=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

if [ "${1:-}" = --icon ]; then
    out=$(cd "$(dirname "$0")/.." && pwd)/resources/pictures
    # The disk stack of the banner, at the usual icon sizes.
    sizes=(16 32 48)
    for size in "${sizes[@]}"; do
        convert -size 48x48 xc:none -fill '#f4f9f4' -stroke '#1d4f33' -strokewidth 2 \
            -draw 'ellipse 22,12 18,6 0,360' -draw 'rectangle 4,12 40,36' -draw 'ellipse 22,36 18,6 0,180' \
            -fill none -draw 'ellipse 22,20 18,6 0,180' -draw 'ellipse 22,28 18,6 0,180' \
            -stroke '#8a6a1c' -strokewidth 1 -fill '#ffd54a' -draw 'polygon 28,32 36,32 36,27 46,37 36,47 36,42 28,42' \
            -resize ${size}x${size} "/tmp/bb7-icon-$size.png"
    done
    files=()
    for size in "${sizes[@]}"; do files+=("/tmp/bb7-icon-$size.png"); done
    convert "${files[@]}" "$out/Bb7Setup.ico"
    rm -f /tmp/bb7-icon-*.png
    echo "Icon written to $out/Bb7Setup.ico"
    exit 0
fi

if [ $# -ne 2 ]; then
    echo "usage: make-pictures.sh OUTDIR PERCENT | --icon" >&2
    exit 2
fi
out=$1
percent=$2
mkdir -p "$out"
f=$(awk "BEGIN { print $percent / 100 }")       # the drawing's scale factor
px() { echo $(( ($1 * percent + 50) / 100 )); } # a length at 100% in pixels at this scale
at() { echo "+$(px "$1")+$(px "$2")"; }         # a text offset
suffix=$([ "$percent" = 100 ] && echo "" || echo "-$percent")

# Banner, 450 x 80: a green-to-teal band, a stylised stack of backup disks, the product name.
convert -size "$(px 450)x$(px 80)" gradient:'#2e7d4f'-'#9fd8b4' -rotate 0 \
    \( -size "$(px 450)x$(px 80)" xc:none -fill '#ffffff22' \
       -draw "scale $f,$f circle 400,40 470,40" -draw "scale $f,$f circle 40,95 120,95" \) -composite \
    -fill '#f4f9f4' -stroke '#1d4f33' -strokewidth 2 \
    -draw "scale $f,$f ellipse 48,26 24,8 0,360" -draw "scale $f,$f rectangle 24,26 72,54" \
    -draw "scale $f,$f ellipse 48,54 24,8 0,180" \
    -stroke '#1d4f33' -fill none -draw "scale $f,$f ellipse 48,36 24,8 0,180" \
    -draw "scale $f,$f ellipse 48,45 24,8 0,180" \
    -stroke none -fill '#ffd54a' -draw "scale $f,$f polygon 66,50 80,50 80,44 92,56 80,68 80,62 66,62" \
    -font "$font" -pointsize "$(px 30)" -fill '#0f2e1e' -annotate "$(at 108 43)" 'Brisel Backup 7' \
    -font "$font_plain" -pointsize "$(px 14)" -fill '#0f2e1e' -annotate "$(at 110 64)" 'Your files, safe and sound' \
    -quality 92 "$out/banner$suffix.jpg"

# Warning picture, 93 x 205: a warning sign over a firewall of bricks.
convert -size "$(px 93)x$(px 205)" gradient:'#fff6d8'-'#f0c36a' \
    -fill '#b03a2e' -stroke '#6e2018' -strokewidth 1 \
    -draw "scale $f,$f rectangle 6,130 44,144" -draw "scale $f,$f rectangle 48,130 86,144" \
    -draw "scale $f,$f rectangle 6,148 24,162" -draw "scale $f,$f rectangle 28,148 64,162" \
    -draw "scale $f,$f rectangle 68,148 86,162" \
    -draw "scale $f,$f rectangle 6,166 44,180" -draw "scale $f,$f rectangle 48,166 86,180" \
    -draw "scale $f,$f rectangle 6,184 24,198" -draw "scale $f,$f rectangle 28,184 64,198" \
    -draw "scale $f,$f rectangle 68,184 86,198" \
    -fill '#ffcc00' -stroke '#202020' -strokewidth 4 -draw "scale $f,$f polygon 46,18 86,96 6,96" \
    -stroke none -fill '#202020' -draw "scale $f,$f rectangle 42,40 50,72" -draw "scale $f,$f circle 46,84 46,89" \
    -quality 92 "$out/warning$suffix.jpg"

# Browse button picture, 16 x 16: an open folder. Its lower left pixel is its transparent colour.
convert -size "$(px 16)x$(px 16)" xc:'#c0dcc0' \
    -fill '#e8b84a' -stroke '#8a6a1c' -strokewidth 1 -draw "scale $f,$f polygon 1,3 6,3 7,5 14,5 14,13 1,13" \
    -fill '#f8d878' -draw "scale $f,$f polygon 3,7 15,7 13,13 1,13" \
    -type TrueColor BMP3:"$out/browse$suffix.bmp"
