#!/usr/bin/env bash
# Makes a Debian machine ready to build and test Tavrin Wallpaper:
#   - the i386 architecture and the Debian packages the build and the tests use
#     (nsis makes the installer);
#   - deb-src entries derived from the machine's own apt sources;
#   - libjpeg-turbo, libspng and libwebp cross-built for i686 Windows from
#     Debian's source packages, installed into .cache/libjpeg-win32,
#     .cache/libspng-win32 and .cache/libwebp-win32 (ignored by git); zlib for
#     MinGW is Debian's libz-mingw-w64-dev.
# Returns within seconds when everything is already in place.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/.cache"
jpeg_prefix="$cache/libjpeg-win32"
spng_prefix="$cache/libspng-win32"
webp_prefix="$cache/libwebp-win32"

packages=(
  build-essential cmake ninja-build nasm pkg-config dpkg-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 fonts-wine fonts-liberation xvfb xauth xdotool x11-utils imagemagick
  nsis
  tesseract-ocr tesseract-ocr-eng  # reads the painted English labels of screenshots back in the tests
  fonts-ipafont-gothic  # a face with Japanese letters, as Windows has, for names in that script
  libgtest-dev googletest libbenchmark-dev clang libclang-rt-14-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs time
  libspng-dev libwebp-dev libz-mingw-w64-dev webp netpbm
  libgif-dev
  locales
  # Two monitors for Wine in the tests: Xorg's dummy driver with a second output
  # switched on by xrandr; Wine's 32-bit X11 driver needs the i386 libraries to
  # see more than one monitor.
  xserver-xorg-video-dummy x11-xserver-utils libxrandr2:i386 libxinerama1:i386
  libvips-tools  # vipsthumbnail, the reference of the wallpaper-scaling benchmark
)
# The Windows tests run under a Russian and an English locale.
unix_locales=(ru_RU.UTF-8 en_US.UTF-8)

fail() { echo "bootstrap: $1 failed; the end of $2:" >&2; tail -n 30 "$2" >&2; exit 1; }

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing_packages() {
  local p status
  for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || echo "$p"
  done
}

# Adds a deb-src twin of every "deb" entry the machine already has, so that
# `apt-get source` works without naming any archive host here.
add_deb_src() {
  local out=/etc/apt/sources.list.d/tavrin-deb-src.sources
  local list=/etc/apt/sources.list.d/tavrin-deb-src.list
  if [ -e "$out" ] || [ -e "$list" ]; then return 0; fi
  local f tmp
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    case "$f" in *tavrin-deb-src*) continue ;; esac
    # Keep only stanzas of Debian's own archive (those signed by its keyring).
    awk -v RS= -v ORS='\n\n' '/debian-archive-keyring/ && /(^|\n)Types:[^\n]*deb([ \n]|$)/' "$f" \
      | sed -E 's/^Types:.*$/Types: deb-src/' >> "$tmp"
  done
  if [ -s "$tmp" ]; then
    as_root install -m 644 "$tmp" "$out"
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb[[:space:]]' /etc/apt/sources.list | sed -E 's/^deb([[:space:]])/deb-src\1/' > "$tmp" || true
    if [ -s "$tmp" ]; then as_root install -m 644 "$tmp" "$list"; fi
  fi
  rm -f "$tmp"
  if [ ! -e "$out" ] && [ ! -e "$list" ]; then
    echo "bootstrap: found no Debian archive entry in the apt sources to derive deb-src entries from" >&2
    return 1
  fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
add_deb_src
missing=$(missing_packages)
# The package lists are read anew when packages are missing, or when the source
# package is needed and the lists do not know it yet.
if [ -n "$missing" ] || { [ ! -f "$jpeg_prefix/lib/libjpeg.a" ] && [ -z "$(apt-cache showsrc libjpeg-turbo 2>/dev/null)" ]; } \
   || { [ ! -f "$spng_prefix/lib/libspng_static.a" ] && [ -z "$(apt-cache showsrc libspng 2>/dev/null)" ]; } \
   || { [ ! -f "$webp_prefix/lib/libwebp.a" ] && [ -z "$(apt-cache showsrc libwebp 2>/dev/null)" ]; }; then
  as_root apt-get update -qq
fi
if [ -n "$missing" ]; then
  echo "bootstrap: installing $(echo $missing | wc -w) packages" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

# Generates the locales that `locale -a` does not list yet (it lists them as
# ru_RU.utf8), keeping whatever /etc/locale.gen already asks for.
missing_locales=()
for l in "${unix_locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "${l%%.*}.utf8" || missing_locales+=("$l")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
  echo "bootstrap: generating the locales ${missing_locales[*]}" >&2
  for l in "${missing_locales[@]}"; do
    grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
  done
  log=$(mktemp)
  as_root locale-gen >"$log" 2>&1 || fail "locale-gen" "$log"
  rm -f "$log"
fi

if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
  echo "bootstrap: cross-building libjpeg-turbo for i686 Windows" >&2
  src="$cache/src"
  build="$cache/libjpeg-build"
  rm -rf "$src" "$build"
  mkdir -p "$src"
  (cd "$src" && apt-get source -qq libjpeg-turbo >"$cache/libjpeg-source.log" 2>&1) || fail "apt-get source libjpeg-turbo" "$cache/libjpeg-source.log"
  jsrc=$(find "$src" -maxdepth 1 -mindepth 1 -type d -name 'libjpeg-turbo*' | head -n 1)
  cmake -S "$jsrc" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DREQUIRE_SIMD=ON >"$cache/libjpeg-build.log" 2>&1 || fail "configuring libjpeg-turbo" "$cache/libjpeg-build.log"
  cmake --build "$build" --target jpeg-static >>"$cache/libjpeg-build.log" 2>&1 || fail "building libjpeg-turbo" "$cache/libjpeg-build.log"
  mkdir -p "$jpeg_prefix/lib" "$jpeg_prefix/include"
  cp "$jsrc/jpeglib.h" "$jsrc/jmorecfg.h" "$jsrc/jerror.h" "$build/jconfig.h" "$jpeg_prefix/include/"
  # The library goes in last: its presence marks a complete install.
  cp "$build/libjpeg.a" "$jpeg_prefix/lib/libjpeg.a.tmp"
  mv "$jpeg_prefix/lib/libjpeg.a.tmp" "$jpeg_prefix/lib/libjpeg.a"
  rm -rf "$src" "$build"
fi

# Cross-builds one of Debian's source packages with CMake for i686 Windows:
# cross_build NAME PREFIX LIBRARY TARGETS CMAKE-ARGS... ; the headers are copied
# by the caller's function `install_headers_NAME SRC BUILD`.
cross_build() {
  local name=$1 prefix=$2 library=$3 targets=$4
  shift 4
  [ -f "$prefix/lib/$library" ] && return 0
  echo "bootstrap: cross-building $name for i686 Windows" >&2
  local src="$cache/src-$name" build="$cache/$name-build" log="$cache/$name-build.log"
  rm -rf "$src" "$build"
  mkdir -p "$src"
  (cd "$src" && apt-get source -qq "$name" >"$cache/$name-source.log" 2>&1) || fail "apt-get source $name" "$cache/$name-source.log"
  local dir
  dir=$(find "$src" -maxdepth 1 -mindepth 1 -type d -name "$name*" | head -n 1)
  cmake -S "$dir" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$log" 2>&1 || fail "configuring $name" "$log"
  cmake --build "$build" --target $targets >>"$log" 2>&1 || fail "building $name" "$log"
  mkdir -p "$prefix/lib" "$prefix/include"
  "install_headers_$name" "$dir" "$build"
  local a
  for a in $(cd "$build" && find . -name '*.a' -printf '%P\n'); do
    [ "$(basename "$a")" = "$library" ] && continue
    cp "$build/$a" "$prefix/lib/"
  done
  # The named library goes in last: its presence marks a complete install.
  cp "$(find "$build" -name "$library" | head -n 1)" "$prefix/lib/$library.tmp"
  mv "$prefix/lib/$library.tmp" "$prefix/lib/$library"
  rm -rf "$src" "$build"
}

# libspng over MinGW's zlib, static, without its examples; without its SSE filters, whose
# intrinsics headers MinGW's i686 compiler does not take.
install_headers_libspng() { cp "$1/spng/spng.h" "$spng_prefix/include/"; }
cross_build libspng "$spng_prefix" libspng_static.a spng_static -DBUILD_EXAMPLES=OFF -DENABLE_OPT=OFF

# libwebp's decoder and demuxer (an animation's first frame), static, without its tools.
install_headers_libwebp() {
  mkdir -p "$webp_prefix/include/webp"
  cp "$1"/src/webp/decode.h "$1"/src/webp/demux.h "$1"/src/webp/mux_types.h "$1"/src/webp/types.h \
    "$webp_prefix/include/webp/"
}
cross_build libwebp "$webp_prefix" libwebp.a "webpdecoder webp webpdemux" \
  -DBUILD_SHARED_LIBS=OFF -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
  -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
  -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF
