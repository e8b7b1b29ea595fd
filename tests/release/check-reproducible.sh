#!/usr/bin/env bash
# The release is the same, byte for byte, when the same sources are built again somewhere else, later, in
# another time zone and locale: a copy of the source tree in a fresh folder outside it builds its release (the
# two programs, the guide, the zip, the sums) into a folder of its own, which must match DIST file for file.
# A difference fails and shows the bytes that differ. Also: the PE headers carry the commit's time, and
# neither program holds the name of a folder either build ran in.
# Usage: check-reproducible.sh SOURCE_DIR DIST_DIR
set -uo pipefail
src=$(cd "$1" && pwd) dist=$(cd "$2" && pwd)
fail=0
bad() { echo "FAIL: $*"; fail=1; }

epoch=$(git -C "$src" log -1 --format=%ct) || { echo "FAIL: $src has no git history"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/zemvar-rebuild.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The sources as the first build saw them: tracked and new files, without what git ignores (build/, dist/).
mkdir "$work/src"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
  tar --null -T - -cf -) | tar -xf - -C "$work/src" || { echo "FAIL: could not copy the sources"; exit 1; }

echo "second build in $work (TZ=Pacific/Kiritimati, LC_ALL=C, umask 077, $(date -u '+%F %T') UTC)"
(
  cd "$work"
  umask 077
  export TZ=Pacific/Kiritimati LC_ALL=C SOURCE_DATE_EPOCH=$epoch
  cmake -S src -B build -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DZEMVAR_DIST_DIR="$work/dist" >configure.log 2>&1 &&
    cmake --build build -j2 --target dist >build.log 2>&1
) || { echo "FAIL: the second build failed:"; tail -n 30 "$work/configure.log" "$work/build.log"; exit 1; }

first=$(cd "$dist" && find . -type f | sort) second=$(cd "$work/dist" && find . -type f | sort)
[ "$first" = "$second" ] || bad "the two releases hold different files:" $first "/" $second
for f in $(cd "$dist" && find . -type f | sed 's|^\./||' | sort); do
  [ -f "$work/dist/$f" ] || continue
  a=$(sha256sum <"$dist/$f" | cut -c1-64) b=$(sha256sum <"$work/dist/$f" | cut -c1-64)
  echo "$f: $a (first), $b (second)"
  if [ "$a" != "$b" ]; then
    bad "$f differs; the first bytes that differ (offset, octal values in the first and the second build):"
    cmp -l "$dist/$f" "$work/dist/$f" | head -20
  fi
done

source "$src/tools/wine-env.sh"
for f in Zemvar.exe dialer-sim.exe; do
  stamp=$(pe_stamp "$dist/$f")
  [ "$stamp" = "$epoch" ] || bad "$f is stamped $stamp, not the commit's time $epoch"
  for folder in "$src" "$work"; do
    if { strings -a "$dist/$f" "$work/dist/$f"; strings -a -el "$dist/$f" "$work/dist/$f"; } | grep -qF "$folder"; then
      bad "$f holds the folder name $folder"
    fi
  done
done
echo "PE time stamps: $epoch ($(date -u -d "@$epoch" '+%F %T') UTC, the last commit's)"

[ "$fail" = 0 ] && echo "the release is reproducible"
exit "$fail"
