#!/usr/bin/env bash
# wpfit as a user runs it: the fitted size, the bar colour given as RRGGBB, the
# picture left unscaled, and its exit codes; with --monitors, a picture on each
# monitor, whole or filling it, and the scaling's quality against ImageMagick's.
#   wpfit-test.sh WPFIT
set -euo pipefail
wpfit=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

convert -size 100x200 xc:'rgb(255,255,255)' "$work/tall.jpg"
"$wpfit" "$work/tall.jpg" "$work/out.bmp" --color 102030
[ "$(identify -format '%wx%h' "$work/out.bmp")" = 260x200 ] || fail "size $(identify -format '%wx%h' "$work/out.bmp")"
pixel() { convert "$work/out.bmp" -format "%[fx:int(255*u.p{$1,$2}.r)],%[fx:int(255*u.p{$1,$2}.g)],%[fx:int(255*u.p{$1,$2}.b)]" info:; }
[ "$(pixel 0 0)" = 16,32,48 ] || fail "bar colour $(pixel 0 0)"
[ "$(pixel 79 199)" = 16,32,48 ] || fail "left bar ends at $(pixel 79 199)"
[ "$(pixel 80 0)" = 255,255,255 ] || fail "picture starts at x=80: $(pixel 80 0)"
[ "$(pixel 179 100)" = 255,255,255 ] || fail "picture ends at x=179: $(pixel 179 100)"
[ "$(pixel 180 100)" = 16,32,48 ] || fail "right bar: $(pixel 180 100)"

# Exit codes: 2 for a wrong command line, 1 for a picture that cannot be fitted.
set +e
"$wpfit" "$work/tall.jpg" 2>/dev/null; [ $? -eq 2 ] || fail "a missing output is not a usage error"
"$wpfit" "$work/tall.jpg" "$work/x.bmp" --color 12345 2>/dev/null; [ $? -eq 2 ] || fail "a bad colour is accepted"
echo "not a picture" >"$work/bad.jpg"
"$wpfit" "$work/bad.jpg" "$work/bad.bmp" 2>"$work/err.txt"; [ $? -eq 1 ] || fail "a bad picture succeeded"
grep -q "^wpfit: .*bad.jpg: " "$work/err.txt" || fail "no message: $(cat "$work/err.txt")"
[ ! -e "$work/bad.bmp" ] || fail "a bitmap was written for a bad picture"

# A picture on every monitor. Two side by side, the second portrait and higher
# (y = -7): the bitmap is their bounding rectangle, 94 x 50.
convert -size 160x90 xc:'rgb(0,0,255)' "$work/wide.bmp"
convert -size 90x160 xc:'rgb(0,255,0)' "$work/tallg.bmp"
"$wpfit" "$work/wide.bmp" "$work/tallg.bmp" "$work/out.bmp" --monitors 64x36+0+0,30x50+64-7 --color 102030
[ "$(identify -format '%wx%h' "$work/out.bmp")" = 94x50 ] || fail "two monitors: size $(identify -format '%wx%h' "$work/out.bmp")"
# The primary (file rows 7..42) holds the wide picture exactly (64x36); below it, no monitor.
[ "$(pixel 0 7)" = 0,0,255 ] || fail "primary's corner $(pixel 0 7)"
[ "$(pixel 63 42)" = 0,0,255 ] || fail "primary's far corner $(pixel 63 42)"
[ "$(pixel 10 43)" = 16,32,48 ] || fail "below the primary: $(pixel 10 43)"
[ "$(pixel 10 0)" = 16,32,48 ] || fail "above the primary: $(pixel 10 0)"
# The portrait monitor: the tall picture fitted to 28x50 at x = 1 (65..92), bars at 64 and 93.
[ "$(pixel 64 20)" = 16,32,48 ] || fail "portrait's left bar $(pixel 64 20)"
[ "$(pixel 78 25)" = 0,255,0 ] || fail "portrait's picture $(pixel 78 25)"
[ "$(pixel 93 20)" = 16,32,48 ] || fail "portrait's right bar $(pixel 93 20)"
# One picture serves every monitor; a monitor left of and above the primary; filled.
"$wpfit" "$work/wide.bmp" "$work/out.bmp" --monitors 40x30+0+0,20x20-20-20 --fill
[ "$(identify -format '%wx%h' "$work/out.bmp")" = 60x50 ] || fail "negative: size $(identify -format '%wx%h' "$work/out.bmp")"
[ "$(pixel 0 0)" = 0,0,255 ] || fail "left-above monitor $(pixel 0 0)"
[ "$(pixel 20 20)" = 0,0,255 ] && [ "$(pixel 59 49)" = 0,0,255 ] || fail "primary filled $(pixel 59 49)"
[ "$(pixel 30 5)" = 255,0,0 ] || fail "no monitor: $(pixel 30 5)"

# Quality: a photo-like picture reduced (JPEG through libjpeg's scaling, and a
# BMP) and a real photograph (ImageMagick's rose) enlarged, against ImageMagick.
psnr() {  # wpfit's output and ImageMagick's -resize of the same picture
    local got
    got=$(compare -metric PSNR "$1" "$2" null: 2>&1 || true)
    awk -v p="$got" -v what="$3" 'BEGIN { if (p + 0 < 30) { print "FAIL: " what ": " p " dB" > "/dev/stderr"; exit 1 }
                                           print what ": " p " dB" }'
}
convert -seed 7 -size 1800x1200 plasma:fractal -blur 0x0.6 -quality 92 "$work/photo.jpg"
convert "$work/photo.jpg" "$work/photo.bmp"
convert rose: "$work/rose.bmp"
convert "$work/photo.jpg" -resize '500x333!' "$work/ref.bmp"
"$wpfit" "$work/photo.jpg" "$work/out.bmp" --monitors 500x333+0+0 && psnr "$work/out.bmp" "$work/ref.bmp" "JPEG reduced"
"$wpfit" "$work/photo.bmp" "$work/out.bmp" --monitors 500x333+0+0 && psnr "$work/out.bmp" "$work/ref.bmp" "BMP reduced"
convert rose: -resize '350x230!' "$work/ref.bmp"
"$wpfit" "$work/rose.bmp" "$work/out.bmp" --monitors 350x230+0+0 && psnr "$work/out.bmp" "$work/ref.bmp" "rose enlarged"

set +e
"$wpfit" "$work/wide.bmp" "$work/tallg.bmp" "$work/wide.bmp" "$work/x.bmp" --monitors 10x10+0+0,10x10+10+0 2>/dev/null
[ $? -eq 2 ] || fail "three pictures for two monitors accepted"
"$wpfit" "$work/wide.bmp" "$work/x.bmp" --monitors 10x10+0 2>/dev/null; [ $? -eq 2 ] || fail "a bad geometry is accepted"
"$wpfit" "$work/wide.bmp" "$work/x.bmp" --fill 2>/dev/null; [ $? -eq 2 ] || fail "--fill without --monitors accepted"
"$wpfit" "$work/bad.jpg" "$work/x.bmp" --monitors 10x10+0+0 2>"$work/err.txt"; [ $? -eq 1 ] || fail "a bad picture composed"
grep -q "^wpfit: .*bad.jpg: " "$work/err.txt" || fail "no message: $(cat "$work/err.txt")"
[ ! -e "$work/x.bmp" ] || fail "a bitmap was written for a bad picture"
# A name of no picture kind is named as such, as wppreview names it.
cp "$work/tall.jpg" "$work/tall.gif"
"$wpfit" "$work/tall.gif" "$work/gif.bmp" 2>"$work/err.txt"; [ $? -eq 1 ] || fail "a .gif name was fitted"
grep -qx "wpfit: .*tall.gif: Unknown picture file extension (.gif)" "$work/err.txt" || fail "for .gif: $(cat "$work/err.txt")"
echo "wpfit: all checks passed"
