#!/usr/bin/env bash
# Seeds of the PNG, WebP and Exif targets, made with ImageMagick and cwebp
# (bootstrap packages) into FOLDER/png, FOLDER/webp and FOLDER/exif: PNG files of
# every colour type and depth, interlaced and not, and one with tRNS; lossy,
# lossless, opaque and animated WebP files; an Exif block of each orientation
# in both byte orders. fuzz/run.sh and fuzz/coverage.sh call it.
#   fuzz/picture-seeds.sh FOLDER
set -euo pipefail
out=${1:?usage: fuzz/picture-seeds.sh FOLDER}
mkdir -p "$out/png" "$out/webp" "$out/exif"
# PNG seeds: every colour type and depth, interlaced and not, small.
rgba=(-size 9x7 xc:red -alpha set -channel R -fx 'i/w' -channel G -fx 'j/h' -channel A -fx '0.3+0.1*i' +channel)
for kind in 0:1 0:8 0:16 2:8 2:16 3:2 3:8 4:8 4:16 6:8 6:16; do
  t=${kind%%:*} d=${kind##*:}
  for il in none PNG; do
    convert "${rgba[@]}" -depth 16 -define png:color-type="$t" -define png:bit-depth="$d" -interlace "$il" \
      "$out/png/t$t-$d-$il.png" 2>/dev/null || true
  done
done
convert "${rgba[@]}" -channel A -fx 'i%2' +channel PNG8:"$out/png/trns.png"
# WebP seeds: lossy, lossless, with alpha, and a two-frame animation.
convert "${rgba[@]}" "$out/webp/source.png"
(cd "$out/webp" && cwebp -quiet -q 50 source.png -o lossy.webp && cwebp -quiet -lossless source.png -o lossless.webp \
  && cwebp -quiet -q 50 -noalpha source.png -o opaque.webp && img2webp -lossy source.png source.png -o anim.webp >/dev/null 2>&1 \
  && rm source.png)
# Exif seeds: an Exif block of each orientation, in both byte orders.
for o in 1 2 3 4 5 6 7 8; do
  printf 'Exif\0\0II*\0\10\0\0\0\1\0\22\1\3\0\1\0\0\0'"\\$(printf %o "$o")"'\0\0\0\0\0\0\0' >"$out/exif/ii$o"
  printf 'Exif\0\0MM\0*\0\0\0\10\0\1\1\22\0\3\0\0\0\1\0'"\\$(printf %o "$o")"'\0\0\0\0\0\0' >"$out/exif/mm$o"
done
