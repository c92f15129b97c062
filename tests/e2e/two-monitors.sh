#!/usr/bin/env bash
# Runs a command on an X display of two monitors: Xorg with the dummy driver,
# its first output at 1024 x 768 and its second at 800 x 600 right of it,
# switched on with xrandr. Wine's 32-bit X11 driver sees both through the i386
# libxrandr2 and libxinerama1 (scripts/bootstrap.sh installs them).
#   two-monitors.sh COMMAND [ARGS...]
set -euo pipefail
if ! command -v Xorg >/dev/null || [ ! -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || ! command -v xrandr >/dev/null; then
  echo "two-monitors.sh: Xorg's dummy driver or xrandr is missing (run scripts/bootstrap.sh)" >&2
  exit 1
fi
work=$(mktemp -d)
cat >"$work/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "DontVTSwitch" "true"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
CONF
mkdir "$work/none"
# The server takes the first display number nobody holds (its lock file is
# made atomically) and writes it once it accepts connections, so two rigs
# started at once never share a display.
Xorg -displayfd 3 -config "$work/xorg.conf" -configdir "$work/none" -logfile "$work/xorg.log" \
  -noreset -nolisten tcp -novtswitch -sharevts 3>"$work/display" >/dev/null 2>&1 &
server=$!
cleanup() { kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 1 300); do
  [ -s "$work/display" ] && break
  kill -0 "$server" 2>/dev/null || { echo "two-monitors.sh: Xorg did not start:" >&2; tail -20 "$work/xorg.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "two-monitors.sh: Xorg gave no display" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
for _ in $(seq 1 300); do
  xrandr >/dev/null 2>&1 && break
  sleep 0.1
done
xrandr --output DUMMY0 --mode 1024x768
if ! xrandr | grep -q '^   800x600 '; then
  xrandr --newmode 800x600_tavrin 29.5 800 824 896 992 600 603 607 624 -hsync +vsync
  xrandr --addmode DUMMY1 800x600_tavrin
  xrandr --output DUMMY1 --mode 800x600_tavrin --right-of DUMMY0
else
  xrandr --addmode DUMMY1 800x600
  xrandr --output DUMMY1 --mode 800x600 --right-of DUMMY0
fi
# The server's monitors as clients read them once the change has settled
# (Wine asks for the current resources, which a full query brings up to date).
for _ in $(seq 1 100); do
  [ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] && break
  sleep 0.1
done
xrandr >/dev/null
export TAVRIN_TWO_MONITORS=1
status=0
"$@" || status=$?
exit $status
