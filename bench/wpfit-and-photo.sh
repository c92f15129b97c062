# Sourced by the wpfit benchmarks, with $root and $work set: builds the
# optimised wpfit ($wpfit), makes the 6000 x 4000 test photo once ($photo),
# and gives them `measure` and `median`.
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

# A whole process: prints "seconds peak-kilobytes", the time to the
# microsecond (GNU time's own is to the hundredth).
measure() {
  local start=$EPOCHREALTIME
  /usr/bin/time -f "%M" -o "$work/time.txt" "$@" >/dev/null
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" -v k="$(cat "$work/time.txt")" 'BEGIN { printf "%.4f %d\n", e - s, k }'
}
# The median of column $1 of file $2.
median() { sort -n -k"$1" "$2" | awk -v k="$1" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
