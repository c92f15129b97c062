#!/usr/bin/env bash
# The real program with "language=en" in config.ini, on a Windows of the given
# locale: its main window as a user sees it, read back by OCR (tesseract's
# English model), shows every painted label, button and menu heading in English.
#   english-labels-test.sh WINE-RUN.SH LOCALE PREFIX TAVRINWP.EXE
# Needs a display (the Windows tests run under xvfb-run).
set -euo pipefail
wine_run=$1 locale=$2 prefix=$3 exe=$4
command -v tesseract >/dev/null || { echo "tesseract is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
rm -rf "$prefix"
"$wine_run" --prefix "$prefix" --locale "$locale" cmd /c exit >/dev/null 2>&1 || true
WINEPREFIX="$prefix" wineserver -w
documents=$(ls -d "$prefix"/drive_c/users/*/Documents | grep -v /Public/ | head -n 1)
mkdir -p "$documents/Tavrin Wallpaper"
printf '[options]\r\nlanguage=en\r\n' >"$documents/Tavrin Wallpaper/config.ini"
work=$(mktemp -d)
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  if [ -n "${KEEP_SHOT:-}" ]; then cp "$work/window.png" "$KEEP_SHOT" || true; fi  # to look at it
  rm -rf "$work" "$prefix" "$prefix.lock"
}
trap cleanup EXIT

(cd "$(dirname "$exe")" && "$wine_run" --prefix "$prefix" --locale "$locale" "$exe" >/dev/null 2>&1) &
# The main window first; what it paints is read below until it is all there.
window=
for _ in $(seq 1 120); do
  window=$(xdotool search --name '^Tavrin Wallpaper$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { echo "the main window did not appear" >&2; exit 1; }
desktop=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1)
labels=(File Options Help Advertisement "Choose a folder" "Desktop wallpaper folder" "Start with Windows"
        "Change wallpaper at start" "on a timer" Background Choose Apply "for your desktop" "every day")
# OCR of the window four times as large, once in grey and once in black and
# white (which reads the labels on the gradient), and of the banner alone in
# grey, as sparse text; spaces and letter case are left out of the comparison
# ("on a timer" reads "on atimer").
read_window() {
  # The Wine desktop holds the window, centred: 483 x 423 with its frame.
  import -window "$desktop" -crop 483x423+270+172 +repage "$work/window.png"
  convert "$work/window.png" -resize 400% -colorspace Gray "$work/grey.png"
  convert "$work/grey.png" -threshold 40% "$work/mono.png"
  convert "$work/window.png" -crop 468x60+8+57 +repage -resize 400% -colorspace Gray "$work/banner.png"
  text="$(tesseract "$work/grey.png" stdout --psm 11 2>/dev/null) $(tesseract "$work/mono.png" stdout --psm 11 2>/dev/null)"
  text="$text $(tesseract "$work/banner.png" stdout --psm 11 2>/dev/null)"
  text=$(echo "$text" | tr -d ' \n' | tr '[:upper:]' '[:lower:]')
}
missing() {
  local label
  for label in "${labels[@]}"; do
    local wanted=${label// /}
    case "$text" in *"${wanted,,}"*) ;; *) echo "$label" ;; esac
  done
}
# Until the window is painted (its banner comes last), within a generous limit.
for _ in $(seq 1 20); do
  read_window
  [ -z "$(missing)" ] && break
  sleep 1
done
echo "read: $text"
not_read=$(missing)
[ -z "$not_read" ] || { echo "not read in English:" $not_read >&2; exit 1; }
