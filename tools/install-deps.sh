#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a fresh Debian machine (run as root).
# Installs nothing when everything is already there.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_ok() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

have cmake || need+=(cmake)
have g++ || need+=(g++)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
pkg_ok googletest || need+=(googletest)
pkg_ok libgtest-dev || need+=(libgtest-dev)
have Xvfb || need+=(xvfb)
have xdotool || need+=(xdotool)
have xwd || need+=(x11-apps)
have xdpyinfo || need+=(x11-utils)
pkg_ok fonts-wqy-zenhei || need+=(fonts-wqy-zenhei)
pkg_ok imagemagick || need+=(imagemagick)
have clang++ || need+=(clang)
pkg_ok libclang-rt-14-dev || need+=(libclang-rt-14-dev)
pkg_ok locales || need+=(locales)
pkg_ok wine32:i386 || need+=(wine wine32:i386)
pkg_ok wine64 || need+=(wine64)
have python3 || need+=(python3)
pkg_ok fonts-wine || need+=(fonts-wine)
# ZEMVAR_DEPS_NEED names the packages to install instead: this script's own test runs it against a
# stand-in apt-get.
[ -z "${ZEMVAR_DEPS_NEED:-}" ] || read -ra need <<<"$ZEMVAR_DEPS_NEED"

apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT
export DEBIAN_FRONTEND=noninteractive

# A mirror in the middle of a sync refuses an index now and then: try again, then go on with the indexes
# that did load, which is what apt itself does with them.
apt_update() {
  local try
  for try in 1 2 3; do
    apt-get update -qq >"$apt_log" 2>&1 && return 0
    [ "$try" = 3 ] || sleep $((try * 5))
  done
  echo "apt-get update: some indexes did not load after 3 tries; going on with those that did:"
  grep -E '^(E|W):' "$apt_log" | head -5 | sed 's/^/  /'
}

# apt_install [-t SUITE] PACKAGE...: quiet when it works, apt's own last lines when it does not. An
# index missing from the security suite can leave the two halves of a multi-arch package at different
# versions; the release's main suite as target release has both.
apt_install() {
  apt-get install -y -qq --no-install-recommends "$@" >"$apt_log" 2>&1 && return 0
  local main
  main=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [ -n "$main" ]; then
    echo "apt-get install failed; trying once more with $main as the target release"
    apt-get install -y -qq --no-install-recommends -t "$main" "$@" >"$apt_log" 2>&1 && return 0
  fi
  echo "apt-get install $* failed; apt's last lines:"
  tail -15 "$apt_log" | sed 's/^/  /'
  return 1
}

dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
if [ ${#need[@]} -gt 0 ]; then
  apt_update
  apt_install "${need[@]}"
fi

# Where the kernel runs no 32-bit programs, 32-bit Wine runs under qemu-i386 user-mode emulation. It
# takes qemu 10 from bookworm-backports (7.2 needs a minute per process), and only the emulator itself:
# qemu-user-binfmt would hand every 32-bit program on the machine to qemu.
source "$(dirname "$0")/wine-env.sh"
if [ "$(wine_route_choice)" = qemu ] &&
   ! dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)" ge 1:10; then
  backports=/etc/apt/sources.list.d/bookworm-backports.sources
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
    printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm-backports\nComponents: main\n%s\n' \
      'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' >"$backports"
  fi
  apt_update
  apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >"$apt_log" 2>&1 ||
    { echo "apt-get install of qemu-user from bookworm-backports failed; apt's last lines:"; tail -15 "$apt_log" | sed 's/^/  /'; exit 1; }
fi

# Wine under code page 936 needs the zh_CN.GBK locale to exist.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.gbk$'; then
  grep -q '^zh_CN.GBK GBK' /etc/locale.gen 2>/dev/null || echo 'zh_CN.GBK GBK' >> /etc/locale.gen
  locale-gen >/dev/null
fi
