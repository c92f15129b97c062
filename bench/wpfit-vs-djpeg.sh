#!/usr/bin/env bash
# One wallpaper fit of a 6000 x 4000 JPEG by tools/wpfit beside `djpeg -bmp`
# (libjpeg-turbo's own decoder writing a BMP) on the same file, alternating
# runs in the same minute. Prints the median time of each, the time ratio, and
# each one's peak memory against the size of the bitmap it wrote.
#   bench/wpfit-vs-djpeg.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
work="$root/build/bench"
mkdir -p "$work"

cmake --preset host-release >"$work/configure.log" 2>&1 || { tail -n 20 "$work/configure.log"; exit 1; }
cmake --build --preset host-release --target wpfit >"$work/build.log" 2>&1 || { tail -n 20 "$work/build.log"; exit 1; }
wpfit="$root/build/host-release/tools/wpfit"

photo="$work/photo-6000x4000.jpg"
if [ ! -s "$photo" ]; then
  # Smooth colour with fine detail on top, at a camera's usual quality.
  convert -size 1500x1000 plasma:steelblue-orange -resize 6000x4000\! \
          \( -size 6000x4000 xc: +noise Random -colorspace gray -evaluate multiply 0.15 \) \
          -compose plus -composite -quality 92 "$photo"
fi

measure() {  # prints "seconds peak-kilobytes"
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null
  cat "$work/time.txt"
}

: >"$work/djpeg.txt"
: >"$work/wpfit.txt"
for _ in $(seq 1 "$rounds"); do
  measure djpeg -bmp -outfile "$work/djpeg.bmp" "$photo" >>"$work/djpeg.txt"
  measure "$wpfit" "$photo" "$work/wpfit.bmp" --color 000000 >>"$work/wpfit.txt"
done

median() { sort -n -k"$1" "$2" | awk -v k="$1" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
djpeg_time=$(median 1 "$work/djpeg.txt"); wpfit_time=$(median 1 "$work/wpfit.txt")
djpeg_peak=$(median 2 "$work/djpeg.txt"); wpfit_peak=$(median 2 "$work/wpfit.txt")
djpeg_size=$(stat -c %s "$work/djpeg.bmp"); wpfit_size=$(stat -c %s "$work/wpfit.bmp")

awk -v dt="$djpeg_time" -v wt="$wpfit_time" -v dp="$djpeg_peak" -v wp="$wpfit_peak" \
    -v ds="$djpeg_size" -v ws="$wpfit_size" -v n="$rounds" 'BEGIN {
  printf "6000 x 4000 JPEG, %d alternating runs, medians\n", n
  printf "  djpeg -bmp  %6.3f s  peak %7.1f MB  bitmap %7.1f MB  peak/bitmap %.2f\n", dt, dp / 1024, ds / 1048576, dp * 1024 / ds
  printf "  wpfit       %6.3f s  peak %7.1f MB  bitmap %7.1f MB  peak/bitmap %.2f\n", wt, wp / 1024, ws / 1048576, wp * 1024 / ws
  printf "  time wpfit / djpeg: %.2f\n", wt / dt
}'
