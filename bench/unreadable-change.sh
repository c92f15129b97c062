#!/usr/bin/env bash
# What unreadable pictures cost a change under Wine (bench/ChangeCost.cpp):
# the parts of one attempt at an empty *.jpg, then one change of the real
# program over folders of 20,000 and 40,000 empty *.jpg (and one readable
# picture, which the change reaches last) with a later start "next" during it.
# BEFORE=path/to/an/older/tavrinwp.exe measures that program too, in the same
# run. The folders are made once into build/bench/unreadable. Needs the Windows
# build (cmake --preset win32); runs under Xvfb when there is no display.
#   bench/unreadable-change.sh [COUNT...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work="$root/build/bench/unreadable"
mkdir -p "$work"
cmake --build "$root/build/win32" --target ChangeCost tavrinwp >"$work/build.log" 2>&1 || { tail -n 20 "$work/build.log"; exit 1; }
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(20000 40000)

windows() { echo "Z:${1//\//\\}"; }
wine_run=("$root/cmake/wine-run.sh" --prefix "$root/build/win32/wineprefix" --locale en_US.UTF-8 --own-prefix)
run() {
  if [ -n "${DISPLAY:-}" ]; then "${wine_run[@]}" "$@"; else xvfb-run -a -s "-screen 0 1280x1024x24" "${wine_run[@]}" "$@"; fi
}
for count in "${counts[@]}"; do
  folder="$work/$count"
  if [ ! -f "$folder/good.bmp" ]; then
    rm -rf "$folder" && mkdir -p "$folder"
    (cd "$folder" && seq -f "%05g.jpg" 1 "$count" | xargs touch)
    convert -size 130x100 xc:steelblue BMP3:"$folder/good.bmp"
  fi
done
run "$root/build/win32/tests/ChangeCost.exe" parts "$(windows "$work/${counts[0]}")"
for count in "${counts[@]}"; do
  if [ -n "${BEFORE:-}" ]; then
    echo "before ($BEFORE):"
    run "$root/build/win32/tests/ChangeCost.exe" change "$(windows "$work/$count")" "$(windows "$(realpath "$BEFORE")")"
  fi
  echo "now:"
  run "$root/build/win32/tests/ChangeCost.exe" change "$(windows "$work/$count")" "$(windows "$root/build/win32/tavrinwp.exe")"
done
