#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds a labelled contact sheet of every generated image, for looking the
# artwork over (and for docs/artwork.md).  The sheet is generated, never committed.
#
#   tools/contact-sheet.sh BUILD_GAME_DIR OUT.png
#
# Sprites are enlarged (small ones up to four times) in equal tiles on a dark
# ground, with their key colour taken out (magenta; black for the faint stars
# 1 to 9); the notices follow at twice and the three screens at half their
# size.  Needs imagemagick (convert, identify, montage).
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_GAME_DIR OUT.png" >&2
    exit 2
fi
data="$1/data"
out="$2"
if [ ! -f "$data/forward.bmp" ]; then
    echo "$0: no artwork in $data (build the 'artwork' target first)" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sprites=(left2 left1 forward right1 right2 lifetoken flame1 flame2
         enemy1 enemy2 enemy3 eflame1 eflame2
         bullet1 bullet2 bullet3 bullet4 ebullet ebullet2 bullet7 explode1 explode2
         star1 star2 star3 star4 star5 star6 star7 star8 star9
         star10 star11 star12 star13 star14 star15
         0 1 2 3 4 5 6 7 8 9 icon)
notices=(nolives join)
screens=(title helpscreen gameover)

n=0
for name in "${sprites[@]}"; do
    key=magenta
    case "$name" in star[1-9]) key=black ;; esac
    n=$((n + 1))
    size=$(identify -format '%[fx:max(w,h)]' "$data/$name.bmp")
    scale=$((128 / size))
    [ "$scale" -gt 4 ] && scale=4
    [ "$scale" -lt 1 ] && scale=1
    convert "$data/$name.bmp" -transparent "$key" -filter point -resize "$((scale * 100))%" \
        -background '#1c1c28' -flatten "$work/$(printf 'a%02d' $n)-$name.png"
done
for name in "${notices[@]}"; do
    n=$((n + 1))
    convert "$data/$name.bmp" -transparent magenta -filter point -resize 200% \
        -background '#1c1c28' -flatten "$work/$(printf 'b%02d' $n)-$name.png"
done
for name in "${screens[@]}"; do
    n=$((n + 1))
    convert "$data/$name.bmp" -transparent magenta -background '#1c1c28' -flatten \
        -resize 50% "$work/$(printf 'b%02d' $n)-$name.png"
done

label() { basename "$1" .png | sed 's/^[ab][0-9]*-//'; }
args=()
for f in "$work"/a*.png; do args+=(-label "$(label "$f").bmp" "$f"); done
montage "${args[@]}" -tile 12x -geometry '128x128>+8+8' -background '#101018' \
    -fill '#d0d8f0' -pointsize 11 "$work/sprites.png"
args=()
for f in "$work"/b*.png; do args+=(-label "$(label "$f").bmp" "$f"); done
montage "${args[@]}" -tile 5x -geometry '+10+8' -background '#101018' -fill '#d0d8f0' \
    -pointsize 12 "$work/screens.png"
convert "$work/sprites.png" "$work/screens.png" -background '#101018' -gravity center \
    -append "$out"
echo "$out"
