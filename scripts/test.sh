#!/usr/bin/env bash
# Builds everything and runs every test: the host suite (sanitizers on) and the
# Windows suite under Wine on a private Xvfb display, in an English prefix (code
# page 1252), with the end-to-end suite once more in a Russian one (code page
# 1251; its tests end in "-ru"), after checking that the folders' includes
# keep to the layers (scripts/layers.sh). Sets the machine up first.
# Exits non-zero when a build step or any test fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

start=$SECONDS
bash scripts/bootstrap.sh || exit 1
echo "== machine set up ($((SECONDS - start)) s)"

build() {
  local preset=$1 start=$SECONDS
  echo "== configure and build: $preset"
  cmake --preset "$preset" >"build/$preset.log" 2>&1 && cmake --build --preset "$preset" >>"build/$preset.log" 2>&1
  local status=$?
  if [ $status -ne 0 ]; then tail -n 40 "build/$preset.log"; fi
  echo "   ($((SECONDS - start)) s)"
  return $status
}

mkdir -p build
status=0
echo "== layers: every include keeps to its folder's row"
bash scripts/layers.sh >build/layers.log 2>&1 || { sed -n '/includes that break/,$p' build/layers.log; status=1; }
if build host; then
  echo "== host tests"
  start=$SECONDS
  ctest --preset host || status=1
  echo "   ($((SECONDS - start)) s)"
else
  status=1
fi
# A fresh clone builds the fuzz targets with clang first (five targets: fuzz/run.sh all 16 took 239 s
# from a clone without build/fuzz on a busy 2-core machine, 5 x 17 s of that fuzzing).
echo "== fuzzing every reader of outside data (9 targets, 16 s each: about 2.5 minutes once built, 5 to 6 minutes on a fresh clone, which builds them first)"
start=$SECONDS
bash fuzz/run.sh all 16 || status=1
echo "   ($((SECONDS - start)) s)"
if build win32; then
  echo "== Windows tests under Wine (en-US; the end-to-end suite in ru-RU too)"
  # Windows tests always get a display of their own with a known size and depth,
  # so they neither flash on the user's screen nor depend on it.
  start=$SECONDS
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win32 || status=1
  echo "   ($((SECONDS - start)) s)"
else
  status=1
fi
[ $status -eq 0 ] && echo "== all tests passed" || echo "== some tests FAILED"
exit $status
