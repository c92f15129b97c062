#!/usr/bin/env bash
# Kills the real program at random moments around its save of config.ini and
# counts what a kill leaves: config.ini empty, whole (the old settings or the
# new), or damaged otherwise. Each of N runs starts tavrinwp.exe with "startup"
# and a change at start, which saves config.ini, and kills it (SIGKILL to its
# Wine process, as a crash or a power cut ends it) at a random moment between
# half and one and a half times the time a first, unkilled run took to save.
#
#   bench/config-kills.sh [N] [PROGRAM.exe]     (N: 40; PROGRAM: build/win32/tavrinwp.exe)
#
# Needs the Windows build and its test prefix (cmake --build --preset win32,
# then any Windows test) and a display (xvfb-run -a bench/config-kills.sh).
# A measurement, not a test: where a kill lands is chance.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-40}
program=$(realpath "${2:-$root/build/win32/tavrinwp.exe}")
[ -f "$program" ] || { echo "config-kills.sh: no $program; build the Windows preset first" >&2; exit 2; }
[ -d "$root/build/win32/wineprefix" ] || { echo "config-kills.sh: no test prefix; run a Windows test first" >&2; exit 2; }

work=$(mktemp -d)
trap 'WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp -a "$root/build/win32/wineprefix" "$work/prefix"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
data=$(ls -d "$WINEPREFIX"/drive_c/users/*/Documents | grep -v /Public/ | head -n 1)/"Tavrin Wallpaper"
mkdir -p "$data" "$work/pictures"
for i in 1 2 3; do convert -size $((130 * i))x$((100 * i)) xc:gray "BMP3:$work/pictures/$i.bmp"; done
folder="Z:$(echo "$work/pictures" | tr / '\\')"
wineboot >/dev/null 2>&1

fresh() {
  printf '[options]\r\nwallpaper_directory=%s\r\nchangestart=1\r\nnumber=1\r\nplugin_directory=none\r\n' "$folder" \
    >"$data/config.ini"
}
# How long a start takes to save, here and now.
fresh
start=$(date +%s.%N)
wine "$program" startup >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 3000); do grep -q '^number=2' "$data/config.ini" 2>/dev/null && break; sleep 0.01; done
grep -q '^number=2' "$data/config.ini" || { echo "config-kills.sh: the program did not save within 30 s (is there a display?)" >&2; exit 1; }
save=$(echo "$(date +%s.%N) - $start" | bc)
kill -9 "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "a start saved config.ini after $save s"

empty=0 whole=0 damaged=0 saved=0
for _ in $(seq 1 "$runs"); do
  fresh
  wine "$program" startup >/dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v seed="$RANDOM" -v save="$save" 'BEGIN { srand(seed); printf "%.3f", save * (0.5 + rand()) }')"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if [ ! -s "$data/config.ini" ]; then
    empty=$((empty + 1))
  elif grep -q '^\[options\]' "$data/config.ini" && grep -qF "wallpaper_directory=$folder" "$data/config.ini"; then
    whole=$((whole + 1))
    if grep -q '^number=2' "$data/config.ini"; then saved=$((saved + 1)); fi
  else
    damaged=$((damaged + 1))
  fi
done
echo "kills: $runs; config.ini empty: $empty, whole: $whole (of them with the new position saved: $saved), damaged: $damaged"
