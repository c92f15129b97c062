#!/usr/bin/env bash
# wpfit as a user runs it: the fitted size, the bar colour given as RRGGBB, the
# picture left unscaled, and its exit codes.
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
# A name of no picture kind is named as such, as wppreview names it.
cp "$work/tall.jpg" "$work/tall.gif"
"$wpfit" "$work/tall.gif" "$work/gif.bmp" 2>"$work/err.txt"; [ $? -eq 1 ] || fail "a .gif name was fitted"
grep -qx "wpfit: .*tall.gif: Unknown picture file extension (.gif)" "$work/err.txt" || fail "for .gif: $(cat "$work/err.txt")"
echo "wpfit: all checks passed"
