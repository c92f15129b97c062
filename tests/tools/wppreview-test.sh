#!/usr/bin/env bash
# wppreview as a user runs it: the size the picture takes in the 170 x 130
# box, a small picture at its own size, and its exit codes.
#   wppreview-test.sh WPPREVIEW
set -euo pipefail
wppreview=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
size() { echo "$(identify -format '%wx%h' "$1") $(od -An -tu2 -j28 -N2 "$1" | tr -d ' ') bits"; }

convert -size 1200x600 xc:'rgb(10,200,30)' "$work/wide.jpg"
convert -size 90x300 xc:'rgb(200,0,0)' -type TrueColor BMP3:"$work/tall.bmp"
convert -size 60x40 xc:white -type Palette -colors 2 BMP3:"$work/small.BMP"
"$wppreview" "$work/wide.jpg" "$work/wide.bmp" && [ "$(size "$work/wide.bmp")" = "170x85 24 bits" ] ||
  fail "wide: $(size "$work/wide.bmp")"
"$wppreview" "$work/tall.bmp" "$work/tall-out.bmp" && [ "$(size "$work/tall-out.bmp")" = "39x130 24 bits" ] ||
  fail "tall: $(size "$work/tall-out.bmp")"
"$wppreview" "$work/small.BMP" "$work/small-out.bmp" && [ "$(size "$work/small-out.bmp")" = "60x40 24 bits" ] ||
  fail "small: $(size "$work/small-out.bmp")"

set +e
"$wppreview" "$work/wide.jpg" 2>/dev/null; [ $? -eq 2 ] || fail "a missing output is not a usage error"
echo "not a picture" >"$work/bad.jpg"
"$wppreview" "$work/bad.jpg" "$work/bad.bmp" 2>"$work/err.txt"; [ $? -eq 1 ] || fail "a bad picture succeeded"
grep -q "^wppreview: .*bad.jpg: " "$work/err.txt" || fail "no message: $(cat "$work/err.txt")"
[ ! -e "$work/bad.bmp" ] || fail "a bitmap was written for a bad picture"
echo "wppreview: all checks passed"
