#!/usr/bin/env bash
# The About box from the tray menu and from the host's system menu: same dialog, blue address, and a
# click on the address with no mail program installed leaves the tool running.
# Usage: about.sh ZEMVAR_EXE SIM_EXE BUILD_DIR (the simulator is not used here).
source "$(dirname "$0")/../lib.sh"

about_window() { xdotool search --onlyvisible --name ' Zemvar$' 2>/dev/null | head -1 || true; }
about_shown() { [ -n "$(about_window)" ]; }
about_gone() { [ -z "$(about_window)" ]; }

# window_shot NAME: the About window alone, for comparing and for finding the link.
window_shot() {
  settled_shot "$(about_window)" "$shots/$1.png"
  log "screenshot $shots/$1.png"
}

# Pixels of pure blue (the address) in a picture, as "x y" lines.
blue_pixels() { convert "$1" txt:- | awk -F'[,: ]+' '/#0000FF/ { print $1, $2 }'; }

# close_about escape|ok: end the box with the Escape key or a click on its OK button, which sits
# at the right end of the address's row.
close_about() {
  local w width
  w=$(about_window)
  [ -n "$w" ] || fail "no About box to close"
  if [ "$1" = escape ]; then
    keys_to "$w" Escape
  else
    width=$(xdotool getwindowgeometry --shell "$w" | sed -n 's/^WIDTH=//p')
    xdotool mousemove --window "$w" $((width * 368 / 400)) "$cy" click 1
  fi
  wait_for 10 about_gone || fail "$1 did not close the About box"
}

# The host is hidden, so its system menu is reached the way Windows delivers the choice: a
# WM_SYSCOMMAND with the menu entry's id, posted by a tiny program built here. So is a tray menu's
# choice while the About box is open, since Wine's menu then delivers none.
# post_to_host MESSAGE WPARAM
post_to_host() {
  local src=$work/post.c exe=$work/post.exe
  if [ ! -f "$exe" ]; then
    cat >"$src" <<'C'
#include <windows.h>
#include <stdlib.h>
int main(int argc, char** argv) {
  HWND host = FindWindowA("#32770", "G3随e行 Tessaline");
  if (!host || argc < 3) return 1;
  return PostMessageA(host, strtoul(argv[1], 0, 0), (WPARAM)strtoul(argv[2], 0, 0), 0) ? 0 : 2;
}
C
    i686-w64-mingw32-gcc -fexec-charset=GBK -O1 -o "$exe" "$src" || fail "could not build the helper"
  fi
  "$wine" "$exe" "$1" "$2" >/dev/null 2>&1
}

start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"

# From the tray menu.
open_menu 1
choose about
wait_for 10 about_shown || { shot about-missing; fail "About showed no window"; }
shot about-from-tray
window_shot about-window-tray
blue=$(blue_pixels "$shots/about-window-tray.png" | wc -l)
[ "$blue" -gt 50 ] || fail "no blue address in the About box ($blue blue pixels)"
log "About from the tray menu: $blue blue pixels in the address"

# Click the middle of the address. No mail program is registered here.
read -r cx cy < <(blue_pixels "$shots/about-window-tray.png" | sort -n | awk '{ x[NR] = $1; y[NR] = $2 } END { m = int((NR + 1) / 2); print x[m], y[m] }')
xdotool mousemove --window "$(about_window)" "$cx" "$cy" click 1
# Escape reaches the box after the click, so once the box has gone the tool has handled both; then it
# must still be there, and still open About from its tray.
close_about escape
zemvar_running || fail "clicking the address ended the tool"
open_menu 1
choose about
wait_for 10 about_shown || fail "after the click on the address, About did not open again"
shot about-after-click
log "clicked the address at ($cx, $cy); the tool handled it and went on"
close_about escape

# From the host's system menu: id 16, and 16 + 3 (Windows keeps the low four bits for itself).
for id in 16 19; do
  post_to_host 0x0112 $id || fail "could not post WM_SYSCOMMAND $id to the host"
  wait_for 10 about_shown || fail "WM_SYSCOMMAND $id did not open About"
  window_shot about-window-sysmenu-$id
  close_about ok
done
shot about-closed

# Both roads show the same dialog. The caption may differ: a box opened by another process's post
# is not made the active window, so only the client area is compared.
client() { convert "$1" -crop +0+24 +repage "$2"; }
client "$shots/about-window-tray.png" "$work/a.png"
client "$shots/about-window-sysmenu-16.png" "$work/b.png"
diff_pixels=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
log "pixels that differ between the two About boxes below the caption: $diff_pixels"
[ "${diff_pixels%% *}" -lt 100 ] 2>/dev/null || fail "the two About boxes differ in $diff_pixels pixels"

# About asked for again while its box is open brings that box forward (WM_SYSCOMMAND, then the tray
# menu's WM_COMMAND); Exit with it open ends the tool.
zemvar_running || fail "the tool ended"
open_menu 1
choose about
wait_for 10 about_shown || fail "About did not open for the last round"
post_to_host 0x0112 16 && post_to_host 0x0111 57670 || fail "could not post About to the host"
sleep 1
boxes=$(xdotool search --onlyvisible --name ' Zemvar$' 2>/dev/null | wc -l)
[ "$boxes" = 1 ] || { shot about-twice; fail "About asked for three times showed $boxes boxes"; }
post_to_host 0x0111 32772 || fail "could not post Exit to the host"
chosen=$(now_ms)
wait_for 3 zemvar_ended || fail "Exit with the About box open left the tool running"
took=$(( $(now_ms) - chosen ))
log "About asked for three times: $boxes box; Exit with it open ended the tool in $took ms"
[ "$took" -le 1000 ] || fail "Exit with the About box open took $took ms"
log "passed"
