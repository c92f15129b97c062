#!/usr/bin/env bash
# wpwalk as a user runs it: successive changes in catalogue order, a folder
# named like a picture (its picture shown, the folder itself passed over), the
# wrap to position 1, and its exit codes.
#   wpwalk-test.sh WPWALK
set -euo pipefail
wpwalk=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
walk() { "$wpwalk" "$work" "$@" | sed "s#^$work##" | tr '\n' ' '; }

mkdir -p "$work/a" "$work/x.jpg" "$work/z"
touch "$work/4.BMP" "$work/a/1.jpg" "$work/a/2.JPG" "$work/a/n.txt" "$work/a/m.Jpg" "$work/x.jpg/3.bmp"
got=$(walk --from 2 --changes 6)
[ "$got" = '\a\1.jpg \a\2.JPG \x.jpg\3.bmp \4.BMP \a\1.jpg \a\2.JPG ' ] || fail "rotation: $got"
# Position 0, as at the first start: the first attempt has nothing, the change shows position 1.
[ "$(walk --from 0)" = '\4.BMP ' ] || fail "from 0: $(walk --from 0)"
# With --allformats (option "allformats" 1) a mixed-case name, .png and .webp count too.
touch "$work/a/o.png" "$work/z/p.WEBP"
got=$(walk --from 1 --changes 8 --allformats)
[ "$got" = '\4.BMP \a\1.jpg \a\2.JPG \a\m.Jpg \a\o.png \x.jpg\3.bmp \z\p.WEBP \4.BMP ' ] || fail "allformats: $got"
[ "$(walk --from 4)" = '\x.jpg\3.bmp ' ] || fail "described rule: $(walk --from 4)"

status() { "$wpwalk" "$@" > /dev/null 2>&1 && echo 0 || echo $?; }
[ "$(status "$work/missing") $(status) $(status "$work" --from x)" = "1 2 2" ] || fail "exit codes"
