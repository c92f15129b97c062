#!/usr/bin/env bash
# What one wallpaper change of a 6000 x 4000 picture costs the real program
# in memory under Wine: the rise of tavrinwp.exe's peak working set over the
# peak it had before the change, for a JPEG and for a 24-bit BMP of that size,
# the JPEG with Exif orientation 6 (decoded whole to be turned), the picture as
# a PNG (streamed), an interlaced PNG and a WebP (both decoded whole)
# (bench/ChangeMemory.cpp does the change; the pictures are made once into
# build/bench/change-memory). Needs the Windows build (cmake --preset win32);
# runs under Xvfb when there is no display.
#   bench/change-memory.sh [--fitscreen N]    (N: 1 or 2, a picture on every monitor)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work="$root/build/bench/change-memory"
mkdir -p "$work/jpeg" "$work/bmp" "$work/turned" "$work/png" "$work/adam7" "$work/webp"
cmake --build "$root/build/win32" --target ChangeMemory >"$work/build.log" 2>&1 || { tail -n 20 "$work/build.log"; exit 1; }

photo="$work/jpeg/photo.jpg"
if [ ! -s "$photo" ]; then
  # Smooth colour with fine detail on top, at a camera's usual quality.
  convert -size 1500x1000 plasma:steelblue-orange -resize 6000x4000\! \
          \( -size 6000x4000 xc: +noise Random -colorspace gray -evaluate multiply 0.15 \) \
          -compose plus -composite -quality 92 "$photo"
fi
[ -s "$work/bmp/photo.bmp" ] || convert "$photo" -type TrueColor BMP3:"$work/bmp/photo.bmp"
[ -s "$work/png/photo.png" ] || convert "$photo" "$work/png/photo.png"
[ -s "$work/adam7/photo.png" ] || convert "$photo" -interlace PNG "$work/adam7/photo.png"
[ -s "$work/webp/photo.webp" ] || cwebp -quiet -q 80 "$work/png/photo.png" -o "$work/webp/photo.webp"
[ -s "$work/turned/photo.jpg" ] || python3 "$root/bench/turned-jpeg.py" "$photo" "$work/turned/photo.jpg"

windows() { echo "Z:${1//\//\\}"; }
run=("$root/cmake/wine-run.sh" --prefix "$root/build/win32/wineprefix" --locale en_US.UTF-8 --own-prefix
     "$root/build/win32/tests/ChangeMemory.exe" "$@" "$(windows "$work/jpeg")" "$(windows "$work/bmp")"
     "$(windows "$work/turned")" "$(windows "$work/png")" "$(windows "$work/adam7")" "$(windows "$work/webp")")
if [ -n "${DISPLAY:-}" ]; then "${run[@]}"; else xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"; fi
