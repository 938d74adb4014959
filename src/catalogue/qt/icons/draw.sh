#!/usr/bin/env bash
# Draws the catalogue's script icons with ImageMagick: a page of script text with a badge for the kind of
# script, at 64 pixels and scaled down. Run it here after changing a drawing; the PNGs are kept in git.
set -euo pipefail
cd "$(dirname "$0")"

page=(-fill white -stroke '#5a6270' -strokewidth 2.5 -draw "path 'M 12,4 L 40,4 L 52,16 L 52,60 L 12,60 Z'"
      -fill '#dfe3ea' -draw "path 'M 40,4 L 40,16 L 52,16 Z'"
      -stroke '#8a93a3' -strokewidth 2.5 -draw "line 18,22 40,22" -draw "line 18,29 46,29"
      -draw "line 18,36 36,36" -draw "line 18,43 44,43")

draw() {  # name, sizes ("16 32"), badge drawing...
  local name=$1 sizes=$2
  shift 2
  convert -size 64x64 xc:none "${page[@]}" "$@" "$name-64.png"
  for size in $sizes; do
    convert "$name-64.png" -filter Lanczos -resize ${size}x${size} "$name-$size.png"
  done
  rm "$name-64.png"
}

# A window: blue title bar over a white pane.
draw script-windows "16 32" -stroke '#1f4f96' -strokewidth 2 -fill white -draw "rectangle 26,34 62,62" \
  -fill '#2f6fd0' -draw "rectangle 26,34 62,42"
# A console: black screen with a green prompt.
draw script-dos "16 32" -stroke '#202020' -strokewidth 2 -fill '#111111' -draw "rectangle 26,34 62,62" \
  -stroke '#37d04a' -strokewidth 3 -fill none -draw "polyline 31,42 38,48 31,54" -draw "line 42,56 54,56"
# A clock.
draw script-scheduled "16 32" -stroke '#8a5a00' -strokewidth 2.5 -fill '#ffd24d' -draw "circle 44,46 44,28" \
  -stroke '#3a2a00' -strokewidth 3 -draw "line 44,46 44,34" -draw "line 44,46 53,50"
# The file type's icon: a play mark.
draw tarnwick-script "16 32 48" -stroke '#1a6b2e' -strokewidth 2 -fill '#2fa84f' -draw "circle 44,46 44,28" \
  -stroke none -fill white -draw "polygon 39,37 39,55 54,46"

# The tray icon's three states: a round badge each, in colours that tell them apart at a glance.
tray() {  # name, badge drawing...
  local name=$1
  shift
  convert -size 64x64 xc:none -strokewidth 3 "$@" "$name-64.png"
  for size in 16 22 32 48; do
    convert "$name-64.png" -filter Lanczos -resize ${size}x${size} "$name-$size.png"
  done
  rm "$name-64.png"
}
# Idle: a blue badge with a page of script.
tray tray-idle -fill '#2f5fa8' -stroke '#1c3c70' -draw "circle 32,32 32,3" -stroke none -fill white \
  -draw "rectangle 20,14 44,50" -fill '#2f5fa8' -draw "rectangle 25,21 39,24" -draw "rectangle 25,29 39,32" \
  -draw "rectangle 25,37 35,40"
# Running: a green badge with a play mark.
tray tray-running -fill '#2fa84f' -stroke '#1a6b2e' -draw "circle 32,32 32,3" -stroke none -fill white \
  -draw "polygon 24,16 24,48 49,32"
# Schedule on: an amber clock.
tray tray-schedule -fill '#ffd24d' -stroke '#8a5a00' -draw "circle 32,32 32,3" -stroke '#3a2a00' \
  -strokewidth 5 -draw "line 32,32 32,12" -draw "line 32,32 47,40"
