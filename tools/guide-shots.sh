#!/usr/bin/env bash
# Makes the guide's pictures in doc/images/ from the real program. Runs the demo (tools/demo.sh), which
# leaves its screenshots in build/demo/shots/ with where the windows each one shows lie; cuts those windows
# out and reduces their colours, so that each stays well under the 32 KB that Internet Explorer 8 takes
# in a data URI; and converts the two status icons of res/ to PNG. Commit the pictures it changes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/demo.sh
shots=build/demo/shots images=doc/images
mkdir -p "$images"

# save IMAGE-ARGS... OUT: a palette PNG without the time stamps ImageMagick would write into it.
save() {
  local out=${*: -1}
  convert "${@:1:$#-1}" -strip -define png:exclude-chunks=date,time "png8:$out"
  echo "$out: $(identify -format '%wx%h' "$out"), $(stat -c %s "$out") bytes"
}
# picture SHOT NAME: the windows the shot is about, as they lie to each other, on a white ground; the rest
# of the screen (the windows of other programs) is left out.
picture() {
  local w h x y x0=100000 y0=100000 x1=0 y1=0 windows=()
  [ -s "$shots/$1.area" ] || { echo "the demo left no area for $1" >&2; exit 1; }
  while IFS='x+' read -r w h x y; do
    x0=$((x < x0 ? x : x0)) y0=$((y < y0 ? y : y0))
    x1=$((x + w > x1 ? x + w : x1)) y1=$((y + h > y1 ? y + h : y1))
  done <"$shots/$1.area"
  # In the order given, so that a menu or tooltip lies over the window it belongs to.
  while IFS='x+' read -r w h x y; do
    windows+=(\( "$shots/$1.png" -crop "${w}x$h+$x+$y" +repage \) -geometry "+$((x - x0))+$((y - y0))" -composite)
  done <"$shots/$1.area"
  save -size "$((x1 - x0))x$((y1 - y0))" xc:white "${windows[@]}" +dither -colors 64 "$images/$2.png"
}

picture demo-3-tooltip tray-tooltip
picture demo-4-tray-menu tray-menu
picture demo-5-settings-window settings-window
picture demo-2-connected simulator
# The first image of each icon is its 32 x 32 one.
for icon in normal alert; do
  save "res/status_$icon.ico[0]" "$images/status-$icon.png"
done
