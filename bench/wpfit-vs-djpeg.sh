#!/usr/bin/env bash
# One wallpaper fit of a 6000 x 4000 picture by tools/wpfit, as whole
# processes, in alternating pairs in the same minute:
#  - a JPEG beside `djpeg -bmp` (libjpeg-turbo's own decoder writing a BMP) on
#    the same file: the median time of each and their ratio, each one's median
#    peak memory and their ratio (goals: time <= 1.05, peak <= 0.25);
#  - a 24-bit BMP file of the same size beside a copy that reads the file and
#    writes as many bytes as wpfit's bitmap holds (`cat`, then zeros): the time
#    ratio, and wpfit's peak memory against the BMP file's size (goal <= 0.25).
#   bench/wpfit-vs-djpeg.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
work="$root/build/bench"
mkdir -p "$work"

. "$root/bench/wpfit-and-photo.sh"
bitmap="$work/photo-6000x4000.bmp"
[ -s "$bitmap" ] || convert "$photo" -type TrueColor BMP3:"$bitmap"

# The reference for the BMP: read the file, write as many bytes as wpfit writes.
"$wpfit" "$bitmap" "$work/wpfit-bmp.bmp" --color 000000
bitmap_size=$(stat -c %s "$bitmap")
out_size=$(stat -c %s "$work/wpfit-bmp.bmp")
copy() { { cat "$bitmap"; head -c $((out_size - bitmap_size)) /dev/zero; } >"$work/copy.bmp"; }
export -f copy; export bitmap out_size bitmap_size work

: >"$work/djpeg.txt"; : >"$work/wpfit.txt"; : >"$work/copy.txt"; : >"$work/wpfit-bmp.txt"
for _ in $(seq 1 "$rounds"); do
  measure djpeg -bmp -outfile "$work/djpeg.bmp" "$photo" >>"$work/djpeg.txt"
  measure "$wpfit" "$photo" "$work/wpfit.bmp" --color 000000 >>"$work/wpfit.txt"
  measure bash -c copy >>"$work/copy.txt"
  measure "$wpfit" "$bitmap" "$work/wpfit-bmp.bmp" --color 000000 >>"$work/wpfit-bmp.txt"
done

djpeg_time=$(median 1 "$work/djpeg.txt"); wpfit_time=$(median 1 "$work/wpfit.txt")
djpeg_peak=$(median 2 "$work/djpeg.txt"); wpfit_peak=$(median 2 "$work/wpfit.txt")
copy_time=$(median 1 "$work/copy.txt"); bmp_time=$(median 1 "$work/wpfit-bmp.txt"); bmp_peak=$(median 2 "$work/wpfit-bmp.txt")
djpeg_size=$(stat -c %s "$work/djpeg.bmp"); wpfit_size=$(stat -c %s "$work/wpfit.bmp")

awk -v dt="$djpeg_time" -v wt="$wpfit_time" -v dp="$djpeg_peak" -v wp="$wpfit_peak" \
    -v ds="$djpeg_size" -v ws="$wpfit_size" -v n="$rounds" \
    -v ct="$copy_time" -v bt="$bmp_time" -v bp="$bmp_peak" -v bs="$bitmap_size" -v os="$out_size" 'BEGIN {
  printf "6000 x 4000 JPEG, %d alternating runs, medians\n", n
  printf "  djpeg -bmp  %6.3f s  peak %7.1f MB  bitmap %7.1f MB\n", dt, dp / 1024, ds / 1048576
  printf "  wpfit       %6.3f s  peak %7.1f MB  bitmap %7.1f MB\n", wt, wp / 1024, ws / 1048576
  printf "  wpfit / djpeg: time %.2f (goal <= 1.05), peak %.3f (goal <= 0.25)\n", wt / dt, wp / dp
  printf "6000 x 4000 24-bit BMP (%.1f MB), %d alternating runs, medians\n", bs / 1048576, n
  printf "  copy        %6.3f s  (reads the file, writes %.1f MB)\n", ct, os / 1048576
  printf "  wpfit       %6.3f s  peak %7.1f MB\n", bt, bp / 1024
  printf "  wpfit / copy: time %.2f; peak / file size %.3f (goal <= 0.25)\n", bt / ct, bp * 1024 / bs
}'
