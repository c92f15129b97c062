#!/usr/bin/env bash
# What reaches the system when the wallpaper bitmap is written with a gap: the
# temporary file's volume is asked once whether it keeps sparse files, after
# the header and before the first band (FSCTL_SET_SPARSE would follow; Wine's
# volumes report none); a bitmap written without a gap never asks.
#   sparse-write-test.sh WPFIT.EXE WINE-RUN...
set -euo pipefail
wpfit=$1; shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 400x1000 plasma:red-blue "$work/tall.jpg"  # a 3.9 MB canvas: its first band lands at the end
convert -size 130x100 plasma:red-blue "$work/band.jpg"   # one band from the header on
for picture in tall band; do
  WINEDEBUG=trace+file,trace+volume "$@" "$wpfit" "Z:${work//\//\\}\\$picture.jpg" "Z:${work//\//\\}\\$picture.bmp" 2>"$work/trace"
  # The calls on the temporary file's handle, in order.
  sed -n '/CreateFileW L".*'"$picture"'\.bmp\.tmp"/,/MoveFileWithProgressW/p' "$work/trace" >"$work/tmp.trace"
  handle=$(sed -n 's/.*CreateFileW returning 0*\([0-9A-F]*\)$/\1/p' "$work/tmp.trace" | head -n 1 | tr A-F a-f)
  grep -o "NtWriteFile (0x$handle,\|GetVolumeInformationByHandleW 0*$handle\$" -i "$work/tmp.trace" |
    sed 's/ .*//' | uniq -c | tr -s ' \n' ' ' >"$work/$picture.calls"
done
[[ "$(cat "$work/tall.calls")" =~ ^\ 1\ NtWriteFile\ 1\ GetVolumeInformationByHandleW\ [2-9]\ NtWriteFile\ $ ]] ||
  { echo "FAIL: the gap: $(cat "$work/tall.calls")" >&2; exit 1; }
[ "$(cat "$work/band.calls")" = " 2 NtWriteFile " ] || { echo "FAIL: no gap: $(cat "$work/band.calls")" >&2; exit 1; }
echo "sparse writes: all checks passed"
