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
# ZEMVAR_APT_DIR stands for /etc/apt in this script's own test.
apt_dir=${ZEMVAR_APT_DIR:-/etc/apt}

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

# apt_mirror SUITE: "URI KEYRING" of the first source that serves SUITE to deb lines, from the one-line
# lists and the deb822 files alike; the keyring is empty when the source names none.
apt_mirror() {
  local f
  for f in "$apt_dir/sources.list" "$apt_dir"/sources.list.d/*.list "$apt_dir"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v suite="$1" -v deb822="$([[ $f == *.sources ]] && echo 1 || echo 0)" '
      function found(uri, key) { if (uri !~ /^cdrom:/) { print uri, key; done = 1; exit 0 } }
      function paragraph(  n, i, u) {
        if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " suite " ") && tolower(enabled) != "no") {
          n = split(uris, u, " ")
          for (i = 1; i <= n; i++) found(u[i], signed)
        }
        types = uris = suites = signed = enabled = ""
      }
      /^[ \t]*#/ { next }
      { if (!deb822) sub(/#.*/, ""); sub(/[ \t]+$/, "") }
      deb822 && /^$/ { paragraph(); next }
      deb822 && /^[A-Za-z-]+:/ {
        field = tolower(substr($0, 1, index($0, ":") - 1)); value = substr($0, index($0, ":") + 1)
        gsub(/^[ \t]+/, "", value)
        if (field == "types") types = value; else if (field == "uris") uris = value
        else if (field == "suites") suites = value; else if (field == "signed-by") signed = value
        else if (field == "enabled") enabled = value
        next
      }
      deb822 { next }
      $1 == "deb" {
        key = ""; i = 2
        if ($2 ~ /^\[/) {
          for (; i <= NF; i++) {
            if ($i ~ /^\[?signed-by=/) { key = $i; sub(/^\[?signed-by=/, "", key); sub(/\]$/, "", key) }
            if ($i ~ /\]$/) { i++; break }
          }
        }
        if ($(i + 1) == suite) found($i, key)
      }
      END { if (!done && deb822) paragraph(); exit !done }' "$f" && return 0
  done
  return 1
}

# Where the kernel runs no 32-bit programs, 32-bit Wine runs under qemu-i386 user-mode emulation. It
# takes qemu 10 from the release's backports (bookworm's 7.2 needs a minute per process), and only the
# emulator itself: qemu-user-binfmt would hand every 32-bit program on the machine to qemu. The backports
# come from the mirror the machine already uses for its release.
source "$(dirname "$0")/wine-env.sh"
if [ "$(wine_route_choice)" = qemu ] &&
   ! dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)" ge 1:10; then
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  backports=$release-backports
  if ! grep -rqs "$backports" "$apt_dir/sources.list" "$apt_dir/sources.list.d"; then
    read -r mirror keyring <<<"$(apt_mirror "$release")" || true
    # A mirror of our own choosing could be one the machine may not reach: the user's sources decide.
    [ -n "$mirror" ] || { echo "No apt source in $apt_dir serves $release, so $backports has no mirror;" \
      "add one for $release and run this again"; exit 1; }
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' "$mirror" "$backports" \
      "${keyring:-/usr/share/keyrings/debian-archive-keyring.gpg}" >"$apt_dir/sources.list.d/$backports.sources"
  fi
  apt_update
  apt-get install -y -qq --no-install-recommends -t "$backports" qemu-user >"$apt_log" 2>&1 ||
    { echo "apt-get install of qemu-user from $backports failed; apt's last lines:"; tail -15 "$apt_log" | sed 's/^/  /'; exit 1; }
fi

# Wine takes a process's code page from its locale, which must exist: zh_CN.GBK for 936, as most users
# have it, and zh_CN.UTF-8 for 936 with file names of any letters (C.UTF-8, always there, gives 1252).
missing=0
for wanted in 'zh_CN.GBK GBK' 'zh_CN.UTF-8 UTF-8'; do
  name=${wanted%% *}
  locale -a 2>/dev/null | grep -qix "$(sed 's/-//' <<<"$name")" && continue
  grep -qx "$wanted" /etc/locale.gen 2>/dev/null || echo "$wanted" >>/etc/locale.gen
  missing=1
done
[ "$missing" = 0 ] || locale-gen >/dev/null
