#!/usr/bin/env bash
# Wallpaper changes in chains of nested folders beside the same changes in a
# flat folder of three pictures, timed as whole processes in one run: the host
# build's tools/wpwalk and, when it is built, the Windows one under Wine (the
# system's own listing, stamps and paths). Each change decodes, fits and writes
# the bitmap as the program does (wpwalk --render), without plugin or registry.
#
#   bench/deep-chains.sh [--depths "1 100 300 600 2000"] [--cycles K] [--repeat N] [--limit SECONDS] [--no-wine]
#
# A chain D deep holds the same 1920 x 1200 photo at the top, halfway down and
# at the bottom (depth 1 is the flat folder); its folders' times are set an hour
# back, as in an archive nobody is writing to. Per depth: the first change after
# start (to the bottom, nothing kept), then K full cycles of three changes; a
# change's cost is the cycles' time over their changes, and its ratio is to the
# flat folder's; wpwalk times them itself, so starting a process (and Wine)
# counts for nothing. Each depth runs N times (default 3) and the shortest
# times are kept; a run past the limit (default 600 s) is stopped and shown as
# "-". "shown": how many of the three pictures the changes showed.
set -euo pipefail
cd "$(dirname "$0")/.."

depths="1 100 300 600 2000"
cycles=3
repeat=3
limit=600
wine=1
while [ $# -gt 0 ]; do
  case "$1" in
    --depths) depths=$2; shift 2 ;;
    --cycles) cycles=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    --limit) limit=$2; shift 2 ;;
    --no-wine) wine=0; shift ;;
    *) echo "usage: $0 [--depths LIST] [--cycles K] [--repeat N] [--limit SECONDS] [--no-wine]" >&2; exit 2 ;;
  esac
done

host=build/host-release/tools/wpwalk
windows=build/win32/tools/wpwalk.exe
[ -x "$host" ] || { echo "build $host first: cmake --preset host-release && cmake --build --preset host-release" >&2; exit 1; }
[ -f "$windows" ] && command -v wine >/dev/null || wine=0

work=$(mktemp -d /tmp/tc-XXXXXX)  # short: 2,000 deep comes near PATH_MAX under Wine
trap 'rm -rf "$work"' EXIT
convert -size 1920x1200 gradient:navy-orange -attenuate 0.4 +noise Gaussian -quality 90 "$work/photo.jpg"

# chain TOP DEPTH: folders "d", the photo at levels 0, DEPTH/2 and DEPTH-1.
chain() {
  python3 - "$1" "$2" "$work/photo.jpg" <<'EOF'
import os, shutil, sys, time
top, depth, photo = sys.argv[1], int(sys.argv[2]), sys.argv[3]
os.makedirs(top)
fd = os.open(top, os.O_RDONLY)
old = time.time() - 3600
for level in range(depth):
    if level > 0:
        os.mkdir("d", dir_fd=fd)
        fd, parent = os.open("d", os.O_RDONLY, dir_fd=fd), fd
        os.close(parent)
    for at, name in ((0, "1.jpg"), (depth // 2, "2.jpg"), (depth - 1, "3.jpg")):
        if level == at:
            with open(photo, "rb") as source, open(os.open(name, os.O_CREAT | os.O_WRONLY, 0o644, dir_fd=fd), "wb") as out:
                shutil.copyfileobj(source, out)
    os.utime(fd, (old, old))
# the folders above the bottom were written as their sub-folders were made
for level in range(depth - 1):
    fd, child = os.open("..", os.O_RDONLY, dir_fd=fd), fd
    os.close(child)
    os.utime(fd, (old, old))
os.close(fd)
EOF
}

for depth in $depths; do chain "$work/c$depth" "$depth"; done
changes=$((3 * cycles))
for side in host wine; do
  [ "$side" = host ] || [ "$wine" = 1 ] || continue
  if [ "$side" = host ]; then run=("$host"); else run=(cmake/wine-run.sh --prefix "$PWD/build/win32/wineprefix" "$windows"); fi
  if [ "$side" = host ]; then name() { echo "$work/c$1"; }; else name() { echo "Z:$work/c$1" | tr / '\\'; }; fi
  printf '\n%s: the first change, then %d changes (seconds)\n' "$side" "$changes"
  printf '%7s %8s %10s %10s %7s %7s\n' depth longest first change ratio shown
  flat=
  for depth in $depths; do
    top=$(name "$depth")
    longest=$(( ${#top} + 2 * (depth - 1) + 6 ))
    first=- change=- shown=0
    for _ in $(seq "$repeat"); do
      # wpwalk prints "first S later S" to standard error; the shortest of each is kept.
      if ! timeout "$limit" "${run[@]}" "$top" --from 3 --changes $((changes + 1)) --render "$(name "$depth").bmp" --time \
          >"$work/shown" 2>"$work/time"; then
        shown=$(sort -u "$work/shown" | wc -l)
        break
      fi
      shown=$(sort -u "$work/shown" | wc -l)
      read -r first change < <(awk -v first="$first" -v change="$change" '/^first / {
          if (first == "-" || $2 < first) first = $2; if (change == "-" || $4 < change) change = $4 }
          END { print first, change }' <(tr -d '\r' <"$work/time"))
    done
    [ -n "$flat" ] || flat=$change
    ratio=$(echo "$change $flat" | awk '$1 == "-" || $2 == "-" || $2 <= 0 { print "-"; next } { printf "%.2fx", $1 / $2 }')
    printf '%7s %8s %10s %10s %7s %7s\n' "$depth" "$longest" "$first" "$change" "$ratio" "$shown/3"
  done
done
