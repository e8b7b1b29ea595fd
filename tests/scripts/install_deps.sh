#!/usr/bin/env bash
# tools/install-deps.sh against a stand-in apt-get that fails as a mirror in the middle of a sync did:
# every update refuses one index, and the install holds broken packages unless the main suite is the
# target release. Nothing is installed; the stand-ins need no root.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
main=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$main" ] || { echo "FAILED: /etc/os-release names no codename"; exit 1; }

mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'STANDIN'
#!/bin/sh
echo "apt-get $*" >>"$STANDIN_LOG"
case " $* " in
  *" update "*)
    echo "E: Failed to fetch http://mirror.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  *" -t $STANDIN_MAIN-backports "*) exit 0 ;;
  *" -t $STANDIN_MAIN "*) [ "$STANDIN_T_WORKS" = 1 ] && exit 0 ;;
esac
echo " wine32:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (= 1.22.0-3+deb12u6) but 1.22.0-3+deb12u7 is to be installed"
echo "E: Unable to correct problems, you have held broken packages."
exit 100
STANDIN
printf '#!/bin/sh\necho "sleep $*" >>"$STANDIN_LOG"\n' >"$work/bin/sleep"
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && echo i386\n[ "$1" != --compare-versions ]\n' >"$work/bin/dpkg"
printf '#!/bin/sh\necho zh_CN.gbk\n' >"$work/bin/locale"
chmod +x "$work/bin"/*

failures=0
check() { if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

# try T_WORKS [ROUTE]: runs the script; its output in $work/out, apt's calls in $work/calls.
try() {
  : >"$work/calls"
  set +e
  PATH=$work/bin:$PATH STANDIN_LOG=$work/calls STANDIN_MAIN=$main STANDIN_T_WORKS=$1 ZEMVAR_WINE_ROUTE=${2:-wine32} \
    ZEMVAR_APT_DIR=$work/apt ZEMVAR_DEPS_NEED="wine wine32:i386" bash "$top/tools/install-deps.sh" >"$work/out" 2>&1
  code=$?
  set -e
  sed 's/^/  | /' "$work/out"
}

echo "-- the install works with $main as the target release"
try 1
check "it ends well" [ "$code" = 0 ]
check "update tried three times" [ "$(grep -c '^apt-get update' "$work/calls")" = 3 ]
check "with pauses between" [ "$(grep -c '^sleep' "$work/calls")" = 2 ]
check "the refused index is shown" grep -q 'Mirror sync in progress' "$work/out"
check "installed once more with -t $main" grep -q "^apt-get install .*-t $main wine wine32:i386\$" "$work/calls"
check "and says so" grep -q "trying once more with $main" "$work/out"

echo "-- the install fails either way"
try 0
check "it fails" [ "$code" != 0 ]
check "with apt's own last lines" grep -q 'held broken packages' "$work/out"

# backports_from FILE: the entry written for qemu when FILE, from stdin, is the only apt source ("none": no source).
backports_from() {
  rm -rf "$work/apt" && mkdir -p "$work/apt/sources.list.d" && { [ "$1" = none ] || cat >"$work/apt/$1"; }
  try 1 qemu
  entry=$(grep -E '^(URIs|Signed-By):' "$work/apt/sources.list.d/$main-backports.sources" 2>/dev/null | tr '\n' ' ') || true
  echo "  > $entry"
}
echo "-- qemu from the backports of the mirror a one-line list names for $main"
backports_from sources.list < <(printf '# deb http://old.example/debian %s main\n%s\n%s\n' "$main" \
  "deb http://mirror.example/debian-security $main-security main" "deb [signed-by=/own.gpg] http://mirror.example/debian $main main")
check "it ends well" [ "$code" = 0 ]
check "the mirror and its key" [ "$entry" = "URIs: http://mirror.example/debian Signed-By: /own.gpg " ]
check "installed from there" grep -q "^apt-get install .*-t $main-backports qemu-user" "$work/calls"
echo "-- and of the one a deb822 file names"
backports_from sources.list.d/debian.sources < <(printf 'Types: deb\n# a comment\nURIs: %s\nSuites: %s\nEnabled: no\n\n%s\n' \
  http://off.example/debian "$main" "Types: deb"$'\n'"URIs: http://mirror.example/debian"$'\n'"Suites: $main $main-updates")
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
check "the mirror, with Debian's key" [ "$entry" = "URIs: http://mirror.example/debian Signed-By: $keyring " ]
echo "-- none names $main"
backports_from none
check "it stops" [ "$code" != 0 ]
check "with no mirror of its own" [ -z "$entry" ]
check "saying so" grep -q "No apt source .* serves $main" "$work/out"

[ "$failures" = 0 ] || { echo "$failures checks failed"; exit 1; }
echo "passed"
