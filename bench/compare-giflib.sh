#!/usr/bin/env bash
# Runs tools/gifinfo and the giflib-based dumper over GIF files and reports
# whether they agree: header, frame geometry, timing, transparency and a CRC of
# every frame's pixels.
#   bench/compare-giflib.sh [FILE.gif...]   (no files: every GIF on this file system)
# Needs the host build (cmake --preset host && cmake --build --preset host).
# Files giflib cannot read are counted apart: there is nothing to compare.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
gifinfo="$root/build/host/tools/gifinfo"
giflib="$root/build/host/bench/gifdump_giflib"
for tool in "$gifinfo" "$giflib"; do
  [ -x "$tool" ] || { echo "missing $tool: build the host preset first" >&2; exit 2; }
done

if [ $# -eq 0 ]; then
  mapfile -d '' files < <(find / -xdev -type f -iname '*.gif' -not -path "$root/build/*" -print0 2>/dev/null)
else
  files=("$@")
fi

agree=0 differ=0 giflib_fails=0 both_fail=0 ours_fail=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for file in "${files[@]}"; do
  ASAN_OPTIONS=detect_leaks=1 "$gifinfo" "$file" >"$work/ours" 2>"$work/ours.err"; ours=$?
  "$giflib" "$file" >"$work/theirs" 2>"$work/theirs.err"; theirs=$?
  if [ $theirs -ne 0 ]; then
    if [ $ours -ne 0 ]; then both_fail=$((both_fail + 1)); else giflib_fails=$((giflib_fails + 1)); fi
    echo "giflib cannot read: $file ($(cat "$work/theirs.err")); gifinfo: $([ $ours -eq 0 ] && echo read it || cat "$work/ours.err")"
    continue
  fi
  if [ $ours -ne 0 ]; then
    ours_fail=$((ours_fail + 1))
    echo "FAIL only gifinfo cannot read: $file: $(cat "$work/ours.err")"
    continue
  fi
  if diff -q "$work/ours" "$work/theirs" >/dev/null; then
    agree=$((agree + 1))
  else
    differ=$((differ + 1))
    echo "DIFFER: $file"
    diff "$work/ours" "$work/theirs" | head -n 6
  fi
done
echo "files: ${#files[@]}; agree: $agree; differ: $differ; only gifinfo fails: $ours_fail;" \
     "giflib fails but gifinfo reads: $giflib_fails; both fail: $both_fail"
[ $differ -eq 0 ] && [ $ours_fail -eq 0 ]
