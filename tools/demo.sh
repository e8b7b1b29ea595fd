#!/usr/bin/env bash
# The demo: builds Zemvar and the dialer simulator, enters the simulator as the installed dialer in a
# private Wine prefix, and starts Zemvar on a virtual display (or on yours when DISPLAY is set). Zemvar
# starts the "dialer" and presses its connect control; the screenshots of the tray, its tooltip, its
# menu and the settings window are left in build/demo/shots/, each with a NAME.area file giving
# where the windows it shows lie (tools/guide-shots.sh cuts the guide's pictures from them).
# With your own DISPLAY the tool keeps running until you pick Exit from its tray menu; on the virtual
# display the demo ends it after the screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
bash tools/install-deps.sh
source tools/windows-build.sh
windows_route_ready || exit 1
wine_run_begin
build=$top/build/demo-i686

echo "building Zemvar and the simulator in $build ..."
windows_build "$build" i686 Zemvar dialer-sim fake_sensapi

own_display=${DISPLAY:-}
[ -n "$own_display" ] && export ZEMVAR_E2E_DISPLAY=$own_display
export ZEMVAR_SHOTS=$top/build/demo/shots ZEMVAR_E2E_PREFIX=$build/demo-prefix-win64
mkdir -p "$ZEMVAR_SHOTS"
set -- "$build/src/app/Zemvar.exe" "$build/tools/dialer-sim/dialer-sim.exe" "$build"
# The test helpers give us a display, the prefix, and the tray driven like a person would.
test_name=demo run_kind=e2e
source tests/lib.sh

# shown_at NAME WINDOW...: where the windows lie on the screen, one WxH+X+Y line each, into NAME.area.
shown_at() {
  local name=$1 w X Y WIDTH HEIGHT
  shift
  for w in "$@"; do
    eval "$(xdotool getwindowgeometry --shell "$w" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    echo "${WIDTH}x$HEIGHT+$X+$Y"
  done >"$ZEMVAR_SHOTS/$name.area"
}
# Visible windows of a program that have no title: its open menu, or the tray's tooltip (Wine's explorer.exe).
untitled() {
  local w
  for w in $(xdotool search --onlyvisible --classname "$1" 2>/dev/null); do
    [ -n "$(xdotool getwindowname "$w")" ] || echo "$w"
  done
}
tooltip_shown() { [ -n "$(untitled explorer.exe)" ]; }

log "Wine display $DISPLAY, prefix $WINEPREFIX"
register_simulator --detect-for 2000
# Wine always reports a network; the demo reports none, as on a PC whose card has not dialled yet, so
# Zemvar presses the dialer's connect control itself.
network_down
start_zemvar
wait_for 60 tray_shown || fail "the tray icon did not appear"
shot demo-1-tray
shown_at demo-1-tray "$(tray_window)"
log "Zemvar is in Wine's tray window; it finds no dialer running, so it starts the simulator ..."
wait_for 90 journal_has connect || fail "the simulator never connected"
journal_has 'click connect-control' && log "Zemvar pressed the dialer's connect control"
log "the simulator's journal:"
tr -d '\r' <"$journal" | sed 's/^/    /'
shot demo-2-connected
shown_at demo-2-connected $(xdotool search --onlyvisible --classname dialer-sim.exe)
# The pointer resting on the icon (the first in Wine's tray window, below its caption) shows the status.
# The tray window comes to the top first, as a click would bring it, so that no dialer window covers it.
tray=$(tray_window)
xdotool windowraise "$tray"
height=$(xdotool getwindowgeometry --shell "$tray" | sed -n 's/^HEIGHT=//p')
xdotool mousemove --window "$tray" 12 $((height - 13))
sleep 0.5
xdotool mousemove_relative 1 0
wait_for 10 tooltip_shown || fail "no tooltip over the tray icon"
shot demo-3-tooltip
shown_at demo-3-tooltip "$tray" $(untitled explorer.exe)
open_menu 1
shot demo-4-tray-menu
shown_at demo-4-tray-menu "$tray" $(untitled zemvar.exe)
choose settings
wait_for 10 settings_shown || fail "the settings window did not open"
shot demo-5-settings-window
shown_at demo-5-settings-window "$(settings_window)"
settings_key Escape
wait_for 10 settings_hidden || fail "Escape did not hide the settings window"

if [ -n "$own_display" ]; then
  log "Zemvar keeps running: click its icon in the \"Wine System Tray\" window and pick 退出(E) to end it."
  wait "$zemvar_pid" || true
else
  open_menu 1
  choose exit
  wait_for 10 zemvar_ended || fail "Exit did not end Zemvar"
fi
log "screenshots: $ZEMVAR_SHOTS/demo-{1-tray,2-connected,3-tooltip,4-tray-menu,5-settings-window}.png"
