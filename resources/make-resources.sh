#!/usr/bin/env bash
# Draws the program's banner (reklama1.gif, and reklama1en.gif with the same
# scene in English words), icon (tavrinwp.ico), default preview picture
# (twp1.bmp) and the glyphs of the preview buttons (prev.bmp, next.bmp,
# apply.bmp) with ImageMagick and the Liberation fonts (Debian: imagemagick,
# fonts-liberation). The build uses the committed outputs; run this only to
# change them, all of them or some ("banner" is the Russian banner and the icon):
#   resources/make-resources.sh [banner] [banner-en] [pictures]
#
# The banner is a looping GIF89a of 468 x 60 in 15 frames: a full opaque first
# frame, then small overlays with a transparent colour and disposal 0, so that
# each step repaints only what changes. One cycle lasts 9 seconds, so the
# program's reload every 10 seconds comes just after a cycle has ended.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fonts=/usr/share/fonts/truetype/liberation
bold="$fonts/LiberationSans-Bold.ttf"
regular="$fonts/LiberationSans-Regular.ttf"
italic="$fonts/LiberationSans-Italic.ttf"

parts=" ${*:-banner banner-en pictures} "
want() { [[ $parts == *" $1 "* ]]; }

if want pictures; then
  # ---- the default preview picture: 150 x 112, 24 bits ----
  # Black, with a blue glow running down the middle and the name in blue.
  convert -size 150x112 xc:black \
    \( -size 150x112 radial-gradient:'#2f7fff'-black -resize 60x112\! -background black -gravity center \
       -extent 150x112 \) -compose screen -composite \
    \( -size 150x112 xc:black -fill '#4f9bff' -draw 'rectangle 73,0 76,111' -blur 0x3 \) -compose screen -composite \
    -font "$bold" -pointsize 17 -fill '#0b2f7a' -gravity center -annotate +1-6 'Tavrin' \
    -fill '#5aa9ff' -annotate +0-7 'Tavrin' \
    -font "$regular" -pointsize 15 -fill '#0b2f7a' -annotate +1+13 'Wallpaper' \
    -fill '#5aa9ff' -annotate +0+12 'Wallpaper' \
    -alpha off -type TrueColor "BMP3:$here/twp1.bmp"

  # ---- the glyphs of the preview buttons, 24 bits ----
  # Drawn on the classic button face (212, 208, 200), which is also the colour
  # their bottom-left pixel gives as transparent; shaded shapes with a dark rim.
  face='rgb(212,208,200)'
  # The face shows where the mask is black: build each glyph as face + shape.
  glyph() {  # $1: size, $2: polygon, $3: gradient, $4: rim, $5: output
    convert -size "$1" xc:"$face" \
      \( -size "$1" gradient:"$3" \) \
      \( -size "$1" xc:black -fill white -stroke white -draw "polygon $2" \) \
      -composite -fill none -stroke "$4" -strokewidth 1 -draw "polygon $2" \
      -alpha off -type TrueColor "BMP3:$5"
  }
  glyph 23x22 '16,3 16,18 5,10.5' '#8cc4ff-#0b3fa8' '#06286a' "$here/prev.bmp"
  glyph 23x22 '6,3 6,18 17,10.5' '#8cc4ff-#0b3fa8' '#06286a' "$here/next.bmp"
  glyph 24x23 '3,11 7,7 10,11 18,3 21,7 10,18' '#9df27a-#1c8a1c' '#0e5a0e' "$here/apply.bmp"
  identify "$here/twp1.bmp" "$here/prev.bmp" "$here/next.bmp" "$here/apply.bmp"
fi

want banner || want banner-en || exit 0

W=468 H=60

# ---- the scene's layers ----
# Background: a dusk gradient with a soft glow behind the picture frame.
convert -size ${W}x${H} gradient:'#0b1f4d'-'#1d5fa8' -rotate 90 -resize ${W}x${H}\! \
  \( -size ${W}x${H} radial-gradient:'#3d8bd8'-none -resize 200x${H}\! -background none -gravity west -extent ${W}x${H} \) \
  -compose over -composite "$work/back.png"

# The picture frame: a small landscape (sky, sun, hills) in a gold frame.
landscape() {  # $1: sun height offset, $2: output
  convert -size 58x42 gradient:'#ffb35c'-'#5aa7e8' \
    -fill '#ffe27a' -draw "circle 40,$((16 + $1)) 40,$((23 + $1))" \
    -fill '#2e7d4f' -draw "polygon 0,42 0,30 14,22 30,31 44,24 58,32 58,42" \
    -fill '#1f5e3a' -draw "polygon 0,42 0,36 20,29 38,37 58,34 58,42" \
    -bordercolor '#f3d27a' -border 2 -bordercolor '#9c7a2b' -border 1 "$2"
}
landscape 0 "$work/frame-low.png"
landscape -4 "$work/frame-mid.png"
landscape -8 "$work/frame-high.png"

title() {  # $1: image to draw on, $2: output
  convert "$1" -font "$bold" -pointsize 24 -fill '#00000066' -annotate +77+31 'Tavrin Wallpaper' \
    -fill white -annotate +75+29 'Tavrin Wallpaper' "$2"
}
state() {  # $1: landscape, $2: output, then drawing options
  local frame=$1 out=$2; shift 2
  convert "$work/back.png" "$work/$frame" -geometry +8+7 -compose over -composite "$@" "$work/tmp.png"
  title "$work/tmp.png" "$out"
}

# The banner in one language: $1 output, $2 $3 $4 the tagline's three parts, $5
# the button's word and $6 its left edge.
draw_banner() {
local output=$1 part1=$2 part2=$3 part3=$4 word=$5 wordLeft=$6
# The tagline grows word by word; each part starts where the text before it ends.
text_width() { convert -font "$italic" -pointsize 13 label:"$1" -format %w info:; }
x2=$((77 + $(text_width "$part1 ")))
x3=$((77 + $(text_width "$part1 $part2 ")))
tag1=(-font "$italic" -pointsize 13 -fill '#cfe6ff' -annotate +77+50 "$part1")
tag2=(-font "$italic" -pointsize 13 -fill '#cfe6ff' -annotate +$x2+50 "$part2")
tag3=(-font "$italic" -pointsize 13 -fill '#ffe27a' -annotate +$x3+50 "$part3")
button() {  # $1: fill colour of the button
  opts+=(-fill "$1" -stroke '#9c7a2b' -draw 'roundrectangle 338,10 456,34 8,8' -stroke none
         -font "$bold" -pointsize 14 -fill '#3a2a00' -annotate +$wordLeft+27 "$word")
}
url=(-font "$regular" -pointsize 12 -fill '#a9c8ee' -annotate +368+52 'www.tavrinwp.ru')
spark() {  # $1 x, $2 y: a little four-pointed star
  local x=$1 y=$2
  opts+=(-fill '#fff6c8' -draw "polygon $x,$((y-6)) $((x+2)),$((y-2)) $((x+6)),$y $((x+2)),$((y+2)) $x,$((y+6)) $((x-2)),$((y+2)) $((x-6)),$y $((x-2)),$((y-2))")
}

# 15 states of one cycle; each frame of the file is what changed since the last.
state frame-low.png  "$work/s00.png"
state frame-low.png  "$work/s01.png" "${tag1[@]}"
state frame-low.png  "$work/s02.png" "${tag1[@]}" "${tag2[@]}"
opts=("${tag1[@]}" "${tag2[@]}" "${tag3[@]}")
state frame-low.png  "$work/s03.png" "${opts[@]}"
state frame-mid.png  "$work/s04.png" "${opts[@]}"
state frame-high.png "$work/s05.png" "${opts[@]}"
spark 300 12; state frame-high.png "$work/s06.png" "${opts[@]}"
spark 318 22; state frame-high.png "$work/s07.png" "${opts[@]}"
spark 285 26; state frame-high.png "$work/s08.png" "${opts[@]}"
base=("${opts[@]}")
# The button comes, lights up, and the address follows; a last sparkle closes.
step() {  # $1: step, $2: button colour, $3: with address, $4: with the last sparkle
  opts=("${base[@]}")
  button "$2"
  [ "$3" = 1 ] && opts+=("${url[@]}")
  [ "$4" = 1 ] && spark 452 52
  state frame-high.png "$work/s$1.png" "${opts[@]}"
}
step 09 '#e0a93a' 0 0
step 10 '#f3c84b' 0 0
step 11 '#ffe27a' 0 0
step 12 '#ffe27a' 1 0
step 13 '#f3c84b' 1 0
step 14 '#f3c84b' 1 1

# One palette for every frame, no dithering: unchanged areas stay identical and
# the overlays stay small.
convert "$work"/s*.png -append +dither -colors 255 -unique-colors "$work/palette.gif"
# Delays in hundredths of a second: 9.00 s in all, from 0.2 to 2 s each.
delays=(200 50 50 60 30 30 20 20 20 80 40 40 40 100 120)
args=()
for i in $(seq 0 14); do args+=(-delay "${delays[$i]}" "$work/s$(printf %02d "$i").png"); done
convert "${args[@]}" +dither -remap "$work/palette.gif" -layers OptimizeTransparency -layers OptimizeFrame \
  -set dispose Undefined -loop 0 "$work/banner.gif"
# Frame 0 stays full-size and opaque whatever the optimiser chose.
convert "$work/banner.gif" \( -clone 0 -alpha off \) -swap 0,-1 +delete "GIF:$output"
identify "$output" | head -n 3
}

if want banner; then draw_banner "$here/reklama1.gif" 'Новые обои' 'для рабочего стола' 'каждый день' 'Скачать!' 355; fi
if want banner-en; then
  draw_banner "$here/reklama1en.gif" 'New wallpapers' 'for your desktop' 'every day' 'Download!' 362
fi
want banner || exit 0

# ---- the icon: the banner's little landscape ----
icon() {  # $1: size, $2: output
  convert -size "${1}x${1}" xc:none \( "$work/frame-high.png" -resize "${1}x${1}"\! \) -compose over -composite "$2"
}
for size in 16 20 24 32 40 48 64; do icon "$size" "$work/i$size.png"; done
# The 32 x 32 image in 16 colours first (the tray and the window use it), then
# true-colour sizes for larger views and for screens of larger scales (the
# small icon at 125 %, 150 % and 200 %, the large one at 125 % and 200 %).
convert "$work/i32.png" -alpha off +dither -colors 16 -type Palette "BMP3:$work/i32-16.bmp"
convert "$work/i32-16.bmp" "$work/i16.png" "$work/i48.png" "$work/i20.png" "$work/i24.png" "$work/i40.png" \
  "$work/i64.png" "$here/tavrinwp.ico"
identify "$here/tavrinwp.ico"
