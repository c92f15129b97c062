#!/usr/bin/env bash
# Screenshots of the About box, the plugin window and the main window on a
# Russian Windows (code page 1251) and an English one (1252), both with Windows'
# own bitmap fonts, into docs/: about-ru.png, about-en.png, plugins-ru.png,
# plugins-en.png, main-window-ru.png and main-window.png (English). The main
# window previews a picture named in Japanese, in a folder named in Japanese on
# the desktop.
# The program runs in prefixes of its own on a private Xvfb display and is
# driven with the keyboard as a user would: F10 and the arrow keys open the menus.
# Then the main window on a screen at 144 DPI (150 %) in both locales, as it
# comes up: main-window-144-ru.png and main-window-144-en.png (only these with
# the argument "scaled").
# Last the whole Wine desktop with a picture filling it ("fitscreen" 2) and the
# menu "Параметры" open over it, in both locales: options-ru.png and
# options-en.png (only these with the argument "screens").
# With the argument "english" only the program with English captions (config.ini holding language=en) on an English Windows:
# about-english.png, plugins-english.png, main-window-english.png and
# main-window-144-english.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/bootstrap.sh
mkdir -p build
cmake --preset win32 >build/win32.log 2>&1 || { tail -n 40 build/win32.log; exit 1; }
cmake --build --preset win32 --target tavrinwp plugins >>build/win32.log 2>&1 || { tail -n 40 build/win32.log; exit 1; }

# The Wine desktop comes first, the main window SECONDS later.
wait_for_window() {  # SECONDS
  for _ in $(seq 1 60); do
    xdotool search --name "Wine desktop" >/dev/null 2>&1 && break
    sleep 1
  done
  sleep "$1"
}
# Handed to the shells under xvfb-run as text: xvfb-run is a POSIX shell
# script, which drops exported bash functions from the environment.
WAIT_FOR_WINDOW=$(declare -f wait_for_window)
export WAIT_FOR_WINDOW

# The program's settings with English captions, in a prefix's documents folder.
english_settings() {  # PREFIX
  local documents
  documents=$(ls -d "$1"/drive_c/users/*/Documents | grep -v /Public/ | head -n 1)
  mkdir -p "$documents/Tavrin Wallpaper"
  printf '[options]\r\nlanguage=en\r\n' >"$documents/Tavrin Wallpaper/config.ini"
}

shoot() {  # LOCALE TAG MAIN-WINDOW-NAME [en]
  local locale=$1 tag=$2
  local prefix="$root/build/win32/wineprefix-shots-$tag"
  # A fresh documents folder each time: no settings from an earlier run.
  rm -rf "$prefix"
  "$root/cmake/wine-run.sh" --prefix "$prefix" --locale "$locale" cmd /c exit >/dev/null 2>&1 || true
  # Its Wine processes, started without a display, must be gone before the program starts on one.
  WINEPREFIX="$prefix" wineserver -w
  local desktop
  desktop=$(ls -d "$prefix"/drive_c/users/*/Desktop | grep -v /Public/ | head -n 1)
  mkdir -p "$desktop/日本の壁紙"
  cp "$root/resources/twp1.bmp" "$desktop/日本の壁紙/写真.bmp"
  [ "${4:-}" = en ] && english_settings "$prefix"
  export SHOT_DIR="$root/docs" SHOT_TAG=$tag SHOT_PREFIX=$prefix SHOT_MAIN=$3
  (cd "$root/build/win32" && xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    eval "$WAIT_FOR_WINDOW"
    "$@" &
    program=$!
    wait_for_window 8
    # The main window has the focus: past "Параметры" to "Помощь" -> "О программе".
    for key in F10 Right Right Down Return; do xdotool key $key; sleep 1; done
    sleep 3
    # The box opens where the system puts a new window, the top-left corner.
    import -window root -crop 195x229+0+0 +repage "$SHOT_DIR/about-$SHOT_TAG.png"
    xdotool key Escape
    sleep 2
    # "Файл" -> "Плагины".
    for key in F10 Down Return; do xdotool key $key; sleep 1; done
    sleep 3
    # The plugin window has its own place: 240, 225 and 394 x 176 with its frame.
    import -window root -crop 394x176+240+225 +repage "$SHOT_DIR/plugins-$SHOT_TAG.png"
    xdotool key alt+F4
    sleep 2
    # The main window, centred, 483 x 423 with its frame: a click on the
    # Japanese folder, the last node under the desktop, previews its picture.
    xdotool mousemove 322 405 click 1
    sleep 3
    import -window root -crop 483x423+270+172 +repage "$SHOT_DIR/$SHOT_MAIN.png"
    WINEPREFIX="$SHOT_PREFIX" wineserver -k >/dev/null 2>&1 || true
    wait $program 2>/dev/null || true
  ' shoot "$root/cmake/wine-run.sh" --prefix "$prefix" --locale "$locale" "$root/build/win32/tavrinwp.exe")
  rm -rf "$prefix" "$prefix.lock"
}

shoot_scaled() {  # LOCALE TAG DPI [en]
  local locale=$1 tag=$2 dpi=$3
  local prefix="$root/build/win32/wineprefix-shots-$tag-$dpi"
  rm -rf "$prefix"
  "$root/cmake/wine-run.sh" --prefix "$prefix" --locale "$locale" cmd /c exit >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  [ "${4:-}" = en ] && english_settings "$prefix"
  WINEPREFIX="$prefix" wineserver -w
  export SHOT_FILE="$root/docs/main-window-$dpi-$tag.png" SHOT_PREFIX=$prefix
  (cd "$root/build/win32" && xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    eval "$WAIT_FOR_WINDOW"
    "$@" &
    program=$!
    wait_for_window 10
    # The window alone: the desktop (above the taskbar) trimmed away around it.
    import -window root "$SHOT_FILE.full.png"
    convert "$SHOT_FILE.full.png" -crop 1024x738+0+0 +repage -fuzz 2% -trim +repage "$SHOT_FILE"
    rm -f "$SHOT_FILE.full.png"
    WINEPREFIX="$SHOT_PREFIX" wineserver -k >/dev/null 2>&1 || true
    wait $program 2>/dev/null || true
  ' shoot "$root/cmake/wine-run.sh" --prefix "$prefix" --locale "$locale" "$root/build/win32/tavrinwp.exe")
  rm -rf "$prefix" "$prefix.lock"
}

shoot_screens() {  # LOCALE TAG
  local locale=$1 tag=$2
  local prefix="$root/build/win32/wineprefix-shots-screens-$tag"
  rm -rf "$prefix"
  "$root/cmake/wine-run.sh" --prefix "$prefix" --locale "$locale" cmd /c exit >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" wineserver -w
  local documents
  documents=$(ls -d "$prefix"/drive_c/users/*/Documents | grep -v /Public/ | head -n 1)
  mkdir -p "$documents/Tavrin Wallpaper" "$prefix/drive_c/pictures"
  # A 3 : 2 landscape, filled onto the 4 : 3 desktop: cut at the sides.
  convert -seed 3 -size 900x600 plasma:skyblue-seagreen -blur 0x3 -fill gold -draw "circle 700,150 760,150" \
          -fill saddlebrown -draw "polygon 0,600 300,330 520,600" -fill darkgreen -draw "polygon 250,600 600,280 900,600" \
          -quality 92 "$prefix/drive_c/pictures/landscape.jpg"
  local config="$documents/Tavrin Wallpaper/config.ini"
  printf '[options]\r\nwallpaper_directory=C:\\pictures\r\nplugin_directory=none\r\nchangestart=1\r\nnumber=1\r\nR=48\r\nG=48\r\nB=48\r\nfitscreen=2\r\n' >"$config"
  export SHOT_FILE="$root/docs/options-$tag.png" SHOT_PREFIX=$prefix SHOT_BITMAP="$documents/Tavrin Wallpaper/TavrinWP.bmp"
  (cd "$root/build/win32" && xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    # The change at start writes the wallpaper; Wine'"'"'s desktop shows it once
    # it starts again.
    "$@" startup &
    for _ in $(seq 1 60); do [ -s "$SHOT_BITMAP" ] && break; sleep 1; done
    sleep 2
    WINEPREFIX="$SHOT_PREFIX" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$SHOT_PREFIX" wineserver -w >/dev/null 2>&1 || true
    "$@" &
    program=$!
    # The Wine desktop first, the main window some seconds later (a function
    # exported to this shell does not pass the sh of xvfb-run).
    for _ in $(seq 1 60); do xdotool search --name "Wine desktop" >/dev/null 2>&1 && break; sleep 1; done
    for _ in $(seq 1 60); do xdotool search --name "Tavrin Wallpaper" >/dev/null 2>&1 && break; sleep 1; done
    sleep 4
    # "Параметры", the second heading, opened.
    for key in F10 Right Down; do xdotool key $key; sleep 1; done
    sleep 2
    import -window root "$SHOT_FILE"
    WINEPREFIX="$SHOT_PREFIX" wineserver -k >/dev/null 2>&1 || true
    wait $program 2>/dev/null || true
  ' shoot "$root/cmake/wine-run.sh" --prefix "$prefix" --locale "$locale" "$root/build/win32/tavrinwp.exe")
  rm -rf "$prefix" "$prefix.lock"
}

if [ "${1:-}" = screens ]; then
  shoot_screens ru_RU.UTF-8 ru
  shoot_screens en_US.UTF-8 en
  echo "Screenshots in docs/: options-ru.png options-en.png"
  exit 0
fi

if [ "${1:-}" = english ]; then
  shoot en_US.UTF-8 english main-window-english en
  shoot_scaled en_US.UTF-8 english 144 en
  echo "Screenshots in docs/: about-english.png plugins-english.png main-window-english.png main-window-144-english.png"
  exit 0
fi
if [ "${1:-}" != scaled ]; then
  shoot ru_RU.UTF-8 ru main-window-ru
  shoot en_US.UTF-8 en main-window
fi
shoot_scaled ru_RU.UTF-8 ru 144
shoot_scaled en_US.UTF-8 en 144
echo "Screenshots in docs/: about-ru.png about-en.png plugins-ru.png plugins-en.png main-window-ru.png main-window.png"
echo "                      main-window-144-ru.png main-window-144-en.png"
