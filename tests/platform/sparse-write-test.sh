#!/usr/bin/env bash
# What reaches the system when the wallpaper bitmap is written with a gap: the
# temporary file's volume is asked whether it keeps sparse files once, after
# the header and before the first write past the end (on a volume that keeps
# them, FSCTL_SET_SPARSE follows; Wine's volumes report none). A bitmap
# written without a gap never asks.
#   sparse-write-test.sh WPFIT.EXE WINE-RUN...
set -euo pipefail
wpfit=$1; shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
windows() { echo "Z:${1//\//\\}"; }

convert -size 400x1000 plasma:red-blue "$work/tall.jpg"     # a 3.9 MB canvas: its first band lands at the end
convert -size 130x100 plasma:red-blue "$work/band.jpg"      # one band from the header on
for picture in tall band; do
  WINEDEBUG=trace+file,trace+volume "$@" "$wpfit" "$(windows "$work/$picture.jpg")" "$(windows "$work/$picture.bmp")" \
    2>"$work/$picture.trace" || fail "wpfit $picture: $(grep -v trace: "$work/$picture.trace" | tail -n 3)"
  # The calls on the temporary file, from its creation to its move.
  sed -n '/CreateFileW L".*'"$picture"'\.bmp\.tmp"/,/MoveFileWithProgressW/p' "$work/$picture.trace" |
    grep -o 'NtWriteFile (\|GetVolumeInformationByHandleW\|NtFsControlFile .*0x000900c4' >"$work/$picture.calls" || true
done
[ "$(head -n 2 "$work/tall.calls" | tr '\n' ' ')" = "NtWriteFile ( GetVolumeInformationByHandleW " ] ||
  fail "the volume is not asked between the header and the first band: $(head -n 3 "$work/tall.calls" | tr '\n' ' ')"
[ "$(grep -c GetVolumeInformationByHandleW "$work/tall.calls")" = 1 ] || fail "the volume is asked more than once"
[ "$(grep -c 'NtWriteFile (' "$work/tall.calls")" -gt 2 ] || fail "the tall bitmap came in fewer than two bands"
! grep -q GetVolumeInformationByHandleW "$work/band.calls" || fail "a bitmap without a gap asked the volume"
echo "sparse writes: all checks passed"
