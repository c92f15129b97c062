# Sourced by the wpfit benchmarks, with $root and $work set: builds the
# optimised wpfit ($wpfit) and makes the 6000 x 4000 test photo once ($photo).
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
