#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix that belongs to the build,
# never the user's own ~/.wine.
#
#   wine-run.sh --prefix DIR [--locale LOCALE] [--own-prefix [--dpi N] [--no-desktop] [--windows VERSION]] PROGRAM.exe [ARGS...]
#
# DIR is made once (wineboot) and reused. With --own-prefix the program runs in
# a fresh copy of DIR that is thrown away afterwards, for tests that change
# prefix-wide state (registry, documents folder) or start the whole program.
# LOCALE (a Unix locale) makes Windows' locale and its ANSI code page:
# ru_RU.UTF-8 gives a Russian Windows (code page 1251), en_US.UTF-8 an English
# one (1252). A prefix made with another locale is made anew. Without --locale
# an existing prefix keeps its own, and a new one takes the user's (LC_ALL or
# LANG), en_US.UTF-8 when that is unset or C. --dpi sets the display's scale of
# the fresh copy (HKCU\Control Panel\Desktop\LogPixels; 96 in every prefix).
# --no-desktop runs the fresh copy without Wine's desktop window, on the X
# display's own monitors (as many as its outputs, where Xrandr tells them).
# --windows makes the fresh copy report that Windows version (winecfg's names:
# win7, win81, win10).
set -euo pipefail

prefix=
own=0
dpi=
locale=
desktop=1
windows=
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    --own-prefix) own=1; shift ;;
    --dpi) dpi=$2; shift 2 ;;
    --no-desktop) desktop=0; shift ;;
    --windows) windows=$2; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "wine-run.sh: --prefix is required" >&2; exit 2; }
layout_version=5
if [ -z "$locale" ]; then
  { read -r version made_with <"$prefix/.tavrin-ready"; } 2>/dev/null || true
  if [ "${version:-}" = "$layout_version" ] && [ -n "${made_with:-}" ]; then
    locale=$made_with
  else
    locale=${LC_ALL:-${LANG:-}}
    case "$locale" in "" | C | C.* | POSIX) locale=en_US.UTF-8 ;; esac
  fi
fi

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
# Wine takes the locale from the Unix one of every process it starts.
export LANG=$locale LC_ALL=$locale

# Make the shared prefix once; concurrent callers wait for the first.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# Bump when the prefix's set-up below changes: older prefixes are made anew.
layout="$layout_version $locale"
if [ "$(cat "$prefix/.tavrin-ready" 2>/dev/null)" != "$layout" ]; then
  rm -rf "$prefix"
  WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
  # Programs run inside a Wine desktop window of 1024 x 768, which draws window
  # frames and the wallpaper as Windows does, with or without a window manager.
  WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  # Debian's Wine looks for its own fonts (Marlett for the caption buttons, MS
  # Sans Serif, Tahoma) beside its DLLs, where fonts-wine does not put them.
  # They are Windows' own bitmap fonts, in the variant of every code page.
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  WINEPREFIX="$prefix" wineserver -w
  # Wine links Documents, Desktop and the like to the Unix home folder; the
  # program keeps its data in Documents, so each prefix gets folders of its own.
  for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link" && mkdir "$link"; fi
  done
  echo "$layout" >"$prefix/.tavrin-ready"
fi
flock -u 9
exec 9>&-

if [ "$own" = 1 ]; then
  # Copies live beside the prefix, so that removing the build removes any that a
  # killed test left behind.
  mkdir -p "$prefix.own"
  work=$(mktemp -d "$prefix.own/XXXXXX")
  # The system folder holds only the DLLs that wineboot put there, which Wine
  # never writes to afterwards: hard links save copying half a gigabyte.
  # Other tests may be running in the prefix meanwhile: their temporary files
  # stay behind, and a file that changes while it is read (tar's status 1) is
  # no error, since Wine replaces its registry files whole by renaming.
  { tar -C "$prefix" --exclude=./drive_c/windows/system32 --exclude='./reg*.tmp' \
        --exclude='./drive_c/users/*/Temp/*' --warning=no-file-changed --warning=no-file-removed \
        --ignore-failed-read -cf - . || [ $? -eq 1 ]; } | tar -C "$work" -xf -
  cp -al "$prefix/drive_c/windows/system32" "$work/drive_c/windows/"
  cleanup() {
    WINEPREFIX="$work" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$work" wineserver -w >/dev/null 2>&1 || true
    rm -rf "$work"
  }
  trap cleanup EXIT
  if [ -n "$dpi" ]; then
    # A larger scale on a larger screen, as laptops have them: the desktop grows with the scale.
    WINEPREFIX="$work" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    WINEPREFIX="$work" wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
      /d "$((1024 * dpi / 96))x$((768 * dpi / 96))" /f >/dev/null 2>&1
    # The desktop those commands started had the old size: the program gets a new one.
    WINEPREFIX="$work" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$work" wineserver -w >/dev/null 2>&1 || true
  fi
  if [ "$desktop" = 0 ] || [ -n "$windows" ]; then
    if [ "$desktop" = 0 ]; then
      WINEPREFIX="$work" wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    fi
    if [ -n "$windows" ]; then WINEPREFIX="$work" wine winecfg -v "$windows" >/dev/null 2>&1 || true; fi
    WINEPREFIX="$work" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$work" wineserver -w >/dev/null 2>&1 || true
  fi
  status=0
  WINEPREFIX="$work" wine "$@" || status=$?
  exit $status
fi

WINEPREFIX="$prefix" exec wine "$@"
