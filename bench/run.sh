#!/usr/bin/env bash
# Decoding speed of the program's GIF decoder side by side with giflib, on a set
# of animated GIFs drawn here with ImageMagick plus the program's banner.
#   bench/run.sh [benchmark flags]     e.g. --benchmark_min_time=1
# Both decoders are built with the same compiler and -O2, without sanitizers,
# and run in one process; the closing table gives the ratio of their times.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/bench"
gifs="$out/gifs"
mkdir -p "$gifs"

if [ ! -f "$gifs/.done" ]; then
  cd "$gifs"
  # Photographic frames: 256 colours, little repetition.
  for i in 1 2 3 4 5 6 7 8; do convert -seed $i -size 480x360 plasma:fractal "plasma$i.png"; done
  convert -delay 10 plasma?.png +dither -colors 256 -loop 0 photo-256.gif
  convert -delay 10 plasma?.png +dither -colors 256 -interlace GIF -loop 0 photo-256-interlaced.gif
  convert -delay 10 plasma?.png -colors 256 -loop 0 photo-256-dithered.gif
  # Drawn frames: few colours, long runs, frames optimised to the changed area.
  for i in $(seq 0 11); do
    convert -size 400x300 gradient:'#204080'-'#80c0ff' -fill '#ffd040' -draw "circle $((50 + i * 25)),150 $((50 + i * 25)),190" \
      -fill '#207020' -draw "rectangle 0,240 400,300" "drawn$i.png"
  done
  convert -delay 8 drawn?.png drawn1?.png +dither -colors 32 -layers Optimize -loop 0 cartoon-32.gif
  convert -delay 8 drawn?.png drawn1?.png +dither -colors 16 -loop 0 cartoon-16-full.gif
  cp "$root/resources/reklama1.gif" banner.gif
  rm -f ./*.png
  touch .done
  cd "$root"
fi

binary="$out/gif_decode_bench"
g++ -std=c++20 -O2 -DNDEBUG -I"$root" "$root/bench/GifDecodeBench.cpp" "$root/gif/GIFImage.cpp" "$root/gif/LZW.cpp" \
  "$root/gif/GIFCompose.cpp" "$root/image/Bitmap.cpp" -lgif -lbenchmark -lpthread -o "$binary"
"$binary" "$@" "$gifs"/*.gif
