#!/usr/bin/env bash
# Builds tavrinwp.exe and starts it under Wine, in the build's own prefix.
# With a usable $DISPLAY the program runs there until you close it. Without
# one it runs on a private Xvfb display: screenshots of the screen and of the
# main window alone are saved in out/screenshot.png and
# out/screenshot-window.png, then the program is ended.
#   scripts/run.sh [ARGUMENTS FOR tavrinwp.exe...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/bootstrap.sh
mkdir -p build out
cmake --preset win32 >build/win32.log 2>&1 || { tail -n 40 build/win32.log; exit 1; }
cmake --build --preset win32 --target tavrinwp plugins >>build/win32.log 2>&1 || { tail -n 40 build/win32.log; exit 1; }

# A prefix of its own, apart from the one the tests copy, so that what you do in
# the program (settings, wallpapers) never reaches a test.
prefix="$root/build/win32/wineprefix-run"
run=("$root/cmake/wine-run.sh" --prefix "$prefix" "$root/build/win32/tavrinwp.exe" "$@")
# The program finds its plugins beside its own file: the build output holds
# plugins/sepia. It starts in that folder as a double click there would.
cd "$root/build/win32"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting Tavrin Wallpaper on display $DISPLAY"
  exec "${run[@]}"
fi

# Headless: start the program on Xvfb, wait for its window, take a screenshot.
screenshot="$root/out/screenshot.png"
rm -f "$screenshot" "${screenshot%.png}-window.png"  # none of an earlier run is taken for this one's
export TAVRIN_SCREENSHOT="$screenshot" TAVRIN_PREFIX="$prefix"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$@" &
  program=$!
  found=
  for _ in $(seq 1 120); do
    if xdotool search --onlyvisible --name "^Tavrin Wallpaper$" >/dev/null 2>&1; then found=1; break; fi
    sleep 0.5
  done
  sleep 2
  import -window root "$TAVRIN_SCREENSHOT"
  # The main window alone: it opens centred on the 1024 x 768 Wine desktop,
  # 483 x 423 with its frame, caption and menu bar.
  [ -n "$found" ] && convert "$TAVRIN_SCREENSHOT" -crop 483x423+270+172 +repage "${TAVRIN_SCREENSHOT%.png}-window.png"
  # Close it as a user would (Alt+F4 on the active window).
  [ -n "$found" ] && xdotool key alt+F4
  for _ in $(seq 1 20); do kill -0 $program 2>/dev/null || break; sleep 0.5; done
  # Then end the Wine desktop too, before its display goes away.
  WINEPREFIX="$TAVRIN_PREFIX" wineserver -k >/dev/null 2>&1 || true
  wait $program 2>/dev/null || true
  [ -n "$found" ] || { echo "The main window did not appear (the command line may hold \"startup\")." >&2; }
' run "${run[@]}"
window_shot="${screenshot%.png}-window.png"
echo "No display: ran under Xvfb. Screenshot of the screen: $screenshot"
if [ -f "$window_shot" ]; then
  echo "Screenshot of the main window alone: $window_shot"
fi
