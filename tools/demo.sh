#!/usr/bin/env bash
# The demo: builds Zemvar and the dialer simulator, enters the simulator as the installed dialer in a
# private Wine prefix, and starts Zemvar on a virtual display (or on yours when DISPLAY is set). Zemvar
# starts the "dialer" and presses its connect control; the screenshots of the tray, its menu and the
# settings window are left in build/demo/shots/. With your own DISPLAY the tool keeps running until you
# pick Exit from its tray menu; on the virtual display the demo ends it after the screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
bash tools/install-deps.sh
source tools/windows-build.sh
windows_route_ready || exit 1
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

log "Wine display $DISPLAY, prefix $WINEPREFIX"
register_simulator --detect-for 2000
# Wine always reports a network; the demo reports none, as on a PC whose card has not dialled yet, so
# Zemvar presses the dialer's connect control itself.
network_down
start_zemvar
wait_for 60 tray_shown || fail "the tray icon did not appear"
shot demo-1-tray
log "Zemvar is in Wine's tray window; it finds no dialer running, so it starts the simulator ..."
wait_for 90 journal_has connect || fail "the simulator never connected"
journal_has 'click connect-control' && log "Zemvar pressed the dialer's connect control"
log "the simulator's journal:"
tr -d '\r' <"$journal" | sed 's/^/    /'
shot demo-2-connected
open_menu 1
shot demo-3-tray-menu
choose settings
wait_for 10 settings_shown || fail "the settings window did not open"
shot demo-4-settings-window
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
log "screenshots: $ZEMVAR_SHOTS/demo-{1-tray,2-connected,3-tray-menu,4-settings-window}.png"
