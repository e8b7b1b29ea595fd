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

dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Where the kernel runs no 32-bit programs, 32-bit Wine runs under qemu-i386 user-mode emulation. It
# takes qemu 10 from bookworm-backports (7.2 needs a minute per process), and only the emulator itself:
# qemu-user-binfmt would hand every 32-bit program on the machine to qemu.
source "$(dirname "$0")/../cmake/wine-env.sh"
if [ "$(wine_route_choice)" = qemu ] &&
   ! dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)" ge 1:10; then
  backports=/etc/apt/sources.list.d/bookworm-backports.sources
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
    printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm-backports\nComponents: main\n%s\n' \
      'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' >"$backports"
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
fi

# Wine under code page 936 needs the zh_CN.GBK locale to exist.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.gbk$'; then
  grep -q '^zh_CN.GBK GBK' /etc/locale.gen 2>/dev/null || echo 'zh_CN.GBK GBK' >> /etc/locale.gen
  locale-gen >/dev/null
fi
