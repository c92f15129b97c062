#!/usr/bin/env bash
# A 24-megapixel JPEG (6000 x 4000) fitted to one 1920 x 1080 monitor by
# `wpfit --monitors 1920x1080+0+0` (the program's change with "fitscreen" 1),
# beside `vipsthumbnail -s 1920x1080` on the same file, as whole processes in
# alternating pairs in the same minute: the median time of each, their ratio
# (goal <= 0.5) and each one's median peak memory. vipsthumbnail writes a
# PPM, uncompressed like wpfit's BMP; its threads are left as vips sets them.
# Beside them, in the same rounds, the floor: libjpeg decoding the file at the
# scale wpfit decodes it at (`djpeg -scale 1/2`, its output thrown away).
#   bench/fit-vs-vipsthumbnail.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
work="$root/build/bench"
mkdir -p "$work"
command -v vipsthumbnail >/dev/null || { echo "vipsthumbnail is missing (libvips-tools; scripts/bootstrap.sh)" >&2; exit 1; }

. "$root/bench/wpfit-and-photo.sh"

: >"$work/fit-wpfit.txt"; : >"$work/fit-vips.txt"; : >"$work/fit-djpeg.txt"
for _ in $(seq 1 "$rounds"); do
  measure "$wpfit" "$photo" "$work/fit-wpfit.bmp" --monitors 1920x1080+0+0 >>"$work/fit-wpfit.txt"
  measure vipsthumbnail "$photo" -s 1920x1080 -o "$work/fit-vips.ppm" >>"$work/fit-vips.txt"
  measure djpeg -scale 1/2 -outfile /dev/null "$photo" >>"$work/fit-djpeg.txt"
done

wt=$(median 1 "$work/fit-wpfit.txt"); wp=$(median 2 "$work/fit-wpfit.txt")
vt=$(median 1 "$work/fit-vips.txt"); vp=$(median 2 "$work/fit-vips.txt")
dt=$(median 1 "$work/fit-djpeg.txt")
awk -v wt="$wt" -v wp="$wp" -v vt="$vt" -v vp="$vp" -v dt="$dt" -v n="$rounds" \
    -v ws="$(identify -format '%wx%h' "$work/fit-wpfit.bmp")" -v vs="$(identify -format '%wx%h' "$work/fit-vips.ppm")" 'BEGIN {
  printf "6000 x 4000 JPEG to 1920 x 1080, %d alternating runs, medians\n", n
  printf "  vipsthumbnail    %6.3f s  peak %6.1f MB  (%s)\n", vt, vp / 1024, vs
  printf "  wpfit            %6.3f s  peak %6.1f MB  (%s, bars included)\n", wt, wp / 1024, ws
  printf "  djpeg -scale 1/2 %6.3f s  (decoding alone)\n", dt
  printf "  wpfit / vipsthumbnail: time %.2f (goal <= 0.5), peak %.2f\n", wt / vt, wp / vp
  printf "  djpeg -scale 1/2 / vipsthumbnail: time %.2f\n", dt / vt
}'
