# Sourced: the one place that knows how a Windows program is started here. cmake/wine-run.sh (CTest's
# emulator) and every script that drives Wine itself (end to end, soak, demo, benchmarks) go through it.
#
# The route to 32-bit Windows programs (ZEMVAR_WINE_ROUTE chooses one; by default the kernel decides):
#   wine32  where the kernel runs 32-bit Linux programs, Debian's own 32-bit Wine loader;
#   qemu    where it does not, the same i386 loader under qemu-i386 user-mode emulation, from the private
#           loader folder that tools/wine-qemu.sh builds under build/ (the 64-bit half stays native).
# The Windows shape comes from ZEMVAR_WINEARCH: win64 (the default: a 32-bit program runs as under WoW64,
# as on most users' PCs) or win32 (a 32-bit Windows, where every process is 32-bit).
#
# Functions: wine_route, wine_loader_for PROGRAM, wine_prefix_ready, pe_machine FILE, wine_route_line,
# xvfb_start, xvfb_alive PID.
# Each fails loudly with the reason; nothing here falls back to another build or another route.

zemvar_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The users' ANSI code page, 936; set for Wine's processes only, since other tools would speak Chinese.
# ZEMVAR_WINE_LOCALE tries another by hand (C.UTF-8 gives 1252 with Chinese file names read right).
wine_locale=${ZEMVAR_WINE_LOCALE:-zh_CN.GBK}

# pe_field FILE OFFSET OD-TYPE SIZE: a field of the PE header, whose own offset is the number at 0x3c.
pe_field() {
  local header
  header=$(od -An -tu4 -j 60 -N4 "$1" 2>/dev/null | tr -d ' ') && [ -n "$header" ] || return 1
  od -An -t"$3" -j $((header + $2)) -N"$4" "$1" | tr -d ' '
}
# pe_machine FILE: the machine field, as four hex digits (014c i386, 8664 x86-64).
pe_machine() { pe_field "$1" 4 x2 2; }
# pe_stamp FILE: the link time stamp, in seconds since 1970.
pe_stamp() { pe_field "$1" 8 u4 4; }

machine_name() { case $1 in 014c) echo i386 ;; 8664) echo x86-64 ;; *) echo "unknown ($1)" ;; esac; }

kernel_runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# The route asked for, else the one this kernel allows.
wine_route_choice() {
  if [ -n "${ZEMVAR_WINE_ROUTE:-}" ]; then echo "$ZEMVAR_WINE_ROUTE"
  elif kernel_runs_32bit; then echo wine32
  else echo qemu; fi
}

wine_qemu_folder() { echo "${ZEMVAR_WINE_QEMU:-$zemvar_top/build/wine-qemu}"; }

# Sets ZEMVAR_WINE32, ZEMVAR_WINE64 and WINESERVER for this machine's route, once.
wine_route() {
  ZEMVAR_WINEARCH=${ZEMVAR_WINEARCH:-win64}
  case $ZEMVAR_WINEARCH in
    win64 | win32) ;;
    *) echo "wine: ZEMVAR_WINEARCH must be win64 or win32, not '$ZEMVAR_WINEARCH'" >&2; return 1 ;;
  esac
  export ZEMVAR_WINEARCH WINEARCH=$ZEMVAR_WINEARCH
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  # Wine finds the loader for a child of the other width beside its own; a WINELOADER would override that.
  unset WINELOADER
  [ -n "${ZEMVAR_WINE32:-}" ] && return 0
  local dir route
  route=$(wine_route_choice)
  [ -n "${ZEMVAR_WINE_ROUTE:-}" ] && export ZEMVAR_WINE_ROUTE_ASKED=1
  case $route in
    wine32)
      dir=/usr/lib/wine
      [ -x $dir/wine ] || { echo "wine: 32-bit Wine ($dir/wine, package wine32:i386) is not installed" >&2; return 1; }
      kernel_runs_32bit ||
        { echo "wine: this kernel runs no 32-bit programs, so 32-bit Wine cannot start natively" >&2; return 1; } ;;
    qemu)
      dir=$(wine_qemu_folder)/lib/wine
      command -v qemu-i386 >/dev/null ||
        { echo "wine: qemu-i386 is missing, and 32-bit Wine needs it here (tools/install-deps.sh)" >&2; return 1; }
      local f
      for f in wine wine.i386 wine64 wineserver; do
        [ -x "$dir/$f" ] || { echo "wine: the qemu loader folder lacks $dir/$f (tools/wine-qemu.sh builds it)" >&2; return 1; }
      done ;;
    *) echo "wine: ZEMVAR_WINE_ROUTE must be wine32 or qemu, not '$route'" >&2; return 1 ;;
  esac
  ZEMVAR_WINE_ROUTE=$route
  ZEMVAR_WINE32=$dir/wine ZEMVAR_WINE64=$dir/wine64
  WINESERVER=$dir/wineserver
  [ "$ZEMVAR_WINE_ROUTE" = qemu ] || WINESERVER=$dir/wineserver64
  export ZEMVAR_WINE_ROUTE ZEMVAR_WINE32 ZEMVAR_WINE64 WINESERVER
}

# One line that says how 32-bit programs run here, and why.
wine_route_line() {
  wine_route || return 1
  local kernel="this kernel runs no 32-bit programs"
  kernel_runs_32bit && kernel="this kernel runs 32-bit programs"
  case $ZEMVAR_WINE_ROUTE in
    wine32) echo "32-bit Windows programs run on Debian's 32-bit Wine natively ($kernel)" ;;
    qemu) echo "32-bit Windows programs run on Debian's 32-bit Wine under" \
      "$(qemu-i386 --version | head -1 | sed 's/ (.*//') ($kernel${ZEMVAR_WINE_ROUTE_ASKED:+; ZEMVAR_WINE_ROUTE=qemu})" ;;
  esac
}

# wine_loader_for PROGRAM: the loader that starts it in this prefix. A file is started by its own width;
# a name Wine resolves itself (reg, wineboot, winepath) by the prefix's.
wine_loader_for() {
  wine_route || return 1
  local machine
  if [ -f "$1" ]; then
    machine=$(pe_machine "$1") || { echo "wine: $1 is not a Windows program" >&2; return 1; }
    case $machine in
      014c) echo "$ZEMVAR_WINE32" ;;
      8664)
        [ "$ZEMVAR_WINEARCH" = win64 ] || { echo "wine: $1 is 64-bit and the prefix is win32" >&2; return 1; }
        echo "$ZEMVAR_WINE64" ;;
      *) echo "wine: $1 has PE machine $machine, which we do not run" >&2; return 1 ;;
    esac
  elif [ "$ZEMVAR_WINEARCH" = win64 ]; then
    echo "$ZEMVAR_WINE64"
  else
    echo "$ZEMVAR_WINE32"
  fi
}

# xvfb_start: a virtual display whose number Xvfb picks itself, by its lock file, so that runs side by side
# never share one (one would die with the other). Sets xvfb_pid and exports DISPLAY.
xvfb_start() {
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  xvfb_pid=$!
  local _
  for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
  if [ -s "$number" ]; then
    export DISPLAY=":$(tr -dc 0-9 <"$number")"
  else
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  fi
  rm -f "$number"
  [ -n "$xvfb_pid" ] || { echo "wine: Xvfb did not start" >&2; return 1; }
}

# xvfb_alive PID: the process is there and is an Xvfb, not another that got the pid later.
xvfb_alive() { [ -n "$1" ] && [ "$(cat "/proc/$1/comm" 2>/dev/null)" = Xvfb ]; }

# Makes $WINEPREFIX in the chosen shape on first use, with Wine told not to wait on a window manager we
# do not have. Only a prefix these scripts made (.zemvar-made, written before its first wineboot) is made
# again when an interrupted run left it half made. Anyone else's is used as it is, or refused: never removed.
wine_prefix_ready() {
  wine_route || return 1
  [ -n "${WINEPREFIX:-}" ] || { echo "wine: no WINEPREFIX" >&2; return 1; }
  [ -f "$WINEPREFIX/.zemvar-ready" ] && ! caption_font_missing && return 0
  if [ -e "$WINEPREFIX" ] && [ ! -f "$WINEPREFIX/.zemvar-made" ] && [ ! -f "$WINEPREFIX/.zemvar-ready" ]; then
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    if [ ! -d "$WINEPREFIX" ] || [ -n "$(ls -A "$WINEPREFIX")" ]; then
      echo "wine: $WINEPREFIX is neither a Wine prefix nor one these scripts made; it is left as it is." \
        "Name a new or empty folder, or a Wine prefix." >&2
      return 1
    fi
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  local lock_fd ok=1 loader
  exec {lock_fd}>"$WINEPREFIX.boot-lock"
  flock "$lock_fd"
  if [ ! -f "$WINEPREFIX/.zemvar-ready" ]; then
    echo "wine: creating the $ZEMVAR_WINEARCH prefix $WINEPREFIX (once)" >&2
    [ ! -f "$WINEPREFIX/.zemvar-made" ] || rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX" && touch "$WINEPREFIX/.zemvar-made"
    loader=$(wine_loader_for wineboot)
    LC_ALL=$wine_locale "$loader" wineboot -i >/dev/null 2>&1 || true
    "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || ok=0
    "$WINESERVER" -w
    # The shape is what the tests claim it is, or nothing runs in it.
    local system=$WINEPREFIX/drive_c/windows
    [ -f "$system/system32/kernel32.dll" ] || ok=0
    if [ "$ZEMVAR_WINEARCH" = win64 ]; then [ -f "$system/syswow64/kernel32.dll" ] || ok=0
    else [ ! -e "$system/syswow64" ] || ok=0; fi
    if [ $ok = 1 ]; then
      touch "$WINEPREFIX/.zemvar-ready"
    else
      echo "wine: creating the $ZEMVAR_WINEARCH prefix $WINEPREFIX failed" >&2
    fi
  fi
  [ ! -f "$WINEPREFIX/.zemvar-ready" ] || wine_caption_font
  flock -u "$lock_fd"
  exec {lock_fd}>&-
  [ -f "$WINEPREFIX/.zemvar-ready" ]
}

# Wine draws the caption buttons in Marlett, from fonts-wine. Debian's Wine does not look in that package's
# folder, only in the prefix's Fonts folder; without a copy there the buttons show as the letters "0 1 r".
# Copied under the prefix's lock, so that no program ever sees half a font.
wine_marlett=/usr/share/wine/fonts/marlett.ttf
caption_font_missing() { [ -f "$wine_marlett" ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; }
wine_caption_font() { ! caption_font_missing || cp "$wine_marlett" "$WINEPREFIX/drive_c/windows/Fonts/"; }
