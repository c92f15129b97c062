#!/usr/bin/env bash
# One wallpaper fit of a 6000 x 4000 picture by tools/wpfit, as whole processes,
# in alternating runs in the same minute, beside the reference decoders on the
# same file:
#  - a PNG beside `pngtopnm` (netpbm, over libpng) writing its PNM: the median
#    time of each and their ratio (goal <= 1.0), and the peaks (the streamed
#    PNG's goal: within the 8 MB of a JPEG of the same size);
#  - an interlaced (Adam7) PNG: decoded whole, its peak (bound: 256 MB);
#  - a lossy WebP beside `dwebp -bmp`: the ratio (goal <= 1.1) and the peaks;
#  - the JPEG with Exif orientation 6 (turned a quarter) against the same JPEG
#    upright: the peak of a turn decoded whole, and the time it costs.
#   bench/wpfit-vs-png-webp.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
work="$root/build/bench"
mkdir -p "$work"

. "$root/bench/wpfit-and-photo.sh"
png="$work/photo-6000x4000.png"; adam7="$work/photo-6000x4000-adam7.png"; webp="$work/photo-6000x4000.webp"
turned="$work/photo-6000x4000-orientation6.jpg"
[ -s "$png" ] || convert "$photo" "$png"
[ -s "$adam7" ] || convert "$photo" -interlace PNG "$adam7"
[ -s "$webp" ] || cwebp -quiet -q 80 "$png" -o "$webp"
[ -s "$turned" ] || python3 "$root/bench/turned-jpeg.py" "$photo" "$turned"

for f in pngtopnm wpfit-png wpfit-adam7 dwebp wpfit-webp wpfit-jpeg wpfit-turned; do : >"$work/$f.txt"; done
for _ in $(seq 1 "$rounds"); do
  measure bash -c "pngtopnm '$png' > '$work/pngtopnm.pnm'" >>"$work/pngtopnm.txt"
  measure "$wpfit" "$png" "$work/wpfit-png.bmp" --color 000000 >>"$work/wpfit-png.txt"
  measure "$wpfit" "$adam7" "$work/wpfit-adam7.bmp" --color 000000 >>"$work/wpfit-adam7.txt"
  measure dwebp -quiet -bmp "$webp" -o "$work/dwebp.bmp" >>"$work/dwebp.txt"
  measure "$wpfit" "$webp" "$work/wpfit-webp.bmp" --color 000000 >>"$work/wpfit-webp.txt"
  measure "$wpfit" "$photo" "$work/wpfit-jpeg.bmp" --color 000000 >>"$work/wpfit-jpeg.txt"
  measure "$wpfit" "$turned" "$work/wpfit-turned.bmp" --color 000000 >>"$work/wpfit-turned.txt"
done

line() {  # name file
  printf "  %-30s %6.3f s  peak %7.1f MB\n" "$1" "$(median 1 "$work/$2.txt")" "$(awk -v k="$(median 2 "$work/$2.txt")" 'BEGIN { print k / 1024 }')"
}
ratio() { awk -v a="$(median "$3" "$work/$1.txt")" -v b="$(median "$3" "$work/$2.txt")" 'BEGIN { printf "%.2f", a / b }'; }
echo "6000 x 4000 pictures, $rounds alternating runs, medians"
line "pngtopnm (PNM)" pngtopnm
line "wpfit PNG" wpfit-png
line "wpfit PNG, Adam7" wpfit-adam7
line "dwebp -bmp" dwebp
line "wpfit WebP" wpfit-webp
line "wpfit JPEG" wpfit-jpeg
line "wpfit JPEG, orientation 6" wpfit-turned
echo "  wpfit PNG / pngtopnm: time $(ratio wpfit-png pngtopnm 1) (goal <= 1.0), peak $(ratio wpfit-png pngtopnm 2)"
echo "  wpfit WebP / dwebp -bmp: time $(ratio wpfit-webp dwebp 1) (goal <= 1.1), peak $(ratio wpfit-webp dwebp 2)"
echo "  wpfit PNG / wpfit JPEG: peak $(ratio wpfit-png wpfit-jpeg 2)"
echo "  orientation 6 / upright JPEG: time $(ratio wpfit-turned wpfit-jpeg 1), peak $(ratio wpfit-turned wpfit-jpeg 2)"
