#!/usr/bin/env bash
# The settings window: Enter (and OK) stores and applies, Escape and the close box store nothing, reopening shows
# the stored values, and the Run value follows the check box.
source "$(dirname "$0")/../lib.sh"

start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"

open_menu 1
choose settings
wait_for 10 settings_shown || fail "Settings showed no window"
shot settings-window
[ ! -f "$work/config.ini" ] || fail "config.ini exists before the first save"

settings_click autorun
settings_type_seconds 45
shot settings-typed
settings_keys Return
wait_for 10 settings_hidden || fail "Enter did not hide the window"
[ "$(ini_value AutoRun)" = 1 ] || fail "AutoRun not stored: $(cat "$work/config.ini")"
[ "$(ini_value Seconds)" = 45 ] || fail "Seconds not stored: $(cat "$work/config.ini")"
expected=$(windows_path "$work/Zemvar.exe")
[ "$(run_value)" = "$expected" ] || fail "Run value is '$(run_value)', expected '$expected'"
log "stored: AutoRun=1 Seconds=45, Run value $expected"

# Escape: the typed value is not stored.
open_menu 1
choose settings
wait_for 10 settings_shown || fail "Settings did not reopen (1)"
settings_type_seconds 99
settings_key Escape
wait_for 10 settings_hidden || fail "Escape did not hide the window"
[ "$(ini_value Seconds)" = 45 ] || fail "Escape stored something"

# The close box (Alt+F4 is the system menu's Close): nothing stored either.
open_menu 1
choose settings
wait_for 10 settings_shown || fail "Settings did not reopen (2)"
settings_type_seconds 77
settings_key alt+F4
wait_for 10 settings_hidden || fail "the close box did not hide the window"
[ "$(ini_value Seconds)" = 45 ] || fail "the close box stored something"
zemvar_running || fail "hiding the window ended the tool"

# Reopened, it shows the stored values, not the discarded input: Enter alone keeps 45 and the tick.
open_menu 1
choose settings
wait_for 10 settings_shown || fail "Settings did not reopen (3)"
shot settings-reopened
settings_key Return
wait_for 10 settings_hidden || fail "Enter did not hide the window"
[ "$(ini_value Seconds)" = 45 ] || fail "reopening did not show the stored interval"
[ "$(ini_value AutoRun)" = 1 ] || fail "reopening did not show the stored check box"

open_menu 1
choose exit
wait_for 10 zemvar_ended || fail "Exit did not end the process"

[ "$(run_value)" = "$expected" ] || fail "the Run value changed: $(run_value)"

# Next start: it reads the stored values; untick and save removes the Run value, an emptied interval stores 30.
start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"
open_menu 1
choose settings
wait_for 10 settings_shown || fail "Settings did not open"
settings_click autorun
settings_type_seconds ""
settings_click ok
wait_for 10 settings_hidden || fail "OK did not hide the window"
[ "$(ini_value AutoRun)" = 0 ] || fail "AutoRun=0 not stored"
[ "$(ini_value Seconds)" = 30 ] || fail "an empty interval did not store 30"
open_menu 1
choose exit
wait_for 10 zemvar_ended || fail "Exit did not end the process"
[ -z "$(run_value)" ] || fail "the Run value stayed: $(run_value)"
log "passed"
