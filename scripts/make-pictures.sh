#!/usr/bin/env bash
# Draws the installer's pictures with ImageMagick. The results are committed under
# resources/pictures; run this again only to change them.
set -euo pipefail
out=$(cd "$(dirname "$0")/.." && pwd)/resources/pictures
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
font_plain=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Banner, 450 x 80: a green-to-teal band, a stylised stack of backup disks, the product name.
convert -size 450x80 gradient:'#2e7d4f'-'#9fd8b4' -rotate 0 \
    \( -size 450x80 xc:none -fill '#ffffff22' -draw 'circle 400,40 470,40' -draw 'circle 40,95 120,95' \) -composite \
    -fill '#f4f9f4' -stroke '#1d4f33' -strokewidth 2 \
    -draw 'ellipse 48,26 24,8 0,360' -draw 'rectangle 24,26 72,54' -draw 'ellipse 48,54 24,8 0,180' \
    -stroke '#1d4f33' -fill none -draw 'ellipse 48,36 24,8 0,180' -draw 'ellipse 48,45 24,8 0,180' \
    -stroke none -fill '#ffd54a' -draw 'polygon 66,50 80,50 80,44 92,56 80,68 80,62 66,62' \
    -font "$font" -pointsize 30 -fill '#0f2e1e' -annotate +108+43 'Brisel Backup 7' \
    -font "$font_plain" -pointsize 14 -fill '#0f2e1e' -annotate +110+64 'Your files, safe and sound' \
    -quality 92 "$out/banner.jpg"

# Warning picture, 93 x 205: a warning sign over a firewall of bricks.
convert -size 93x205 gradient:'#fff6d8'-'#f0c36a' \
    -fill '#b03a2e' -stroke '#6e2018' -strokewidth 1 \
    -draw 'rectangle 6,130 44,144' -draw 'rectangle 48,130 86,144' \
    -draw 'rectangle 6,148 24,162' -draw 'rectangle 28,148 64,162' -draw 'rectangle 68,148 86,162' \
    -draw 'rectangle 6,166 44,180' -draw 'rectangle 48,166 86,180' \
    -draw 'rectangle 6,184 24,198' -draw 'rectangle 28,184 64,198' -draw 'rectangle 68,184 86,198' \
    -fill '#ffcc00' -stroke '#202020' -strokewidth 4 -draw 'polygon 46,18 86,96 6,96' \
    -stroke none -fill '#202020' -draw 'rectangle 42,40 50,72' -draw 'circle 46,84 46,89' \
    -quality 92 "$out/warning.jpg"

# Browse button picture, 16 x 16: an open folder.
convert -size 16x16 xc:'#c0dcc0' \
    -fill '#e8b84a' -stroke '#8a6a1c' -strokewidth 1 -draw 'polygon 1,3 6,3 7,5 14,5 14,13 1,13' \
    -fill '#f8d878' -draw 'polygon 3,7 15,7 13,13 1,13' \
    -type TrueColor BMP3:"$out/browse.bmp"

# Program icon: the disk stack of the banner, at the usual icon sizes.
for size in 16 32 48; do
    convert -size 48x48 xc:none -fill '#f4f9f4' -stroke '#1d4f33' -strokewidth 2 \
        -draw 'ellipse 22,12 18,6 0,360' -draw 'rectangle 4,12 40,36' -draw 'ellipse 22,36 18,6 0,180' \
        -fill none -draw 'ellipse 22,20 18,6 0,180' -draw 'ellipse 22,28 18,6 0,180' \
        -stroke '#8a6a1c' -strokewidth 1 -fill '#ffd54a' -draw 'polygon 28,32 36,32 36,27 46,37 36,47 36,42 28,42' \
        -resize ${size}x${size} "/tmp/bb7-icon-$size.png"
done
convert /tmp/bb7-icon-16.png /tmp/bb7-icon-32.png /tmp/bb7-icon-48.png "$out/Bb7Setup.ico"
rm -f /tmp/bb7-icon-*.png
echo "Pictures written to $out"
