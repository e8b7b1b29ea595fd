#!/usr/bin/env bash
# The release a user copies, in DIST: Zemvar.exe and dialer-sim.exe stripped, guide.html, Zemvar-<version>.zip
# holding the three (the simulator under tools/), and SHA256SUMS for the four.
# Made the same way from the same commit wherever and whenever it runs: every time stamp (the PE headers strip
# writes, the zip's entries) is the commit's, SOURCE_DATE_EPOCH when set, else the last commit's from git.
# It is made in DIST.staging and takes DIST's place only once `sha256sum -c` passes there and the zip holds
# exactly the loose files; a release that fails ends with an error and leaves the one before as it was.
# Usage: make-release.sh STRIP ZEMVAR_EXE SIM_EXE DIST
#        make-release.sh --publish STAGING DIST   (the check and the move alone)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
die() { echo "make-release: $*" >&2; exit 1; }

version() { bash "$top/tools/version.sh" "$top" || die "res/version.h names no version"; }

# release_folder FOLDER: absent, or holding nothing but what a release holds. DIST may name any folder,
# and only such a one is ever moved or removed.
release_folder() {
  [ ! -e "$1" ] && return 0
  [ -d "$1" ] && [ -z "$(cd "$1" && find . -mindepth 1 ! -name SHA256SUMS ! -name Zemvar.exe ! -name dialer-sim.exe \
    ! -name guide.html ! -name 'Zemvar-*.zip')" ] ||
    die "$1 holds files that are not a release's; it is left as it is"
}

publish() {  # publish STAGING DIST
  local stage=$1 dist=$2 listed present
  (cd "$stage" && sha256sum --strict --quiet -c SHA256SUMS) ||
    die "$stage fails its SHA256SUMS; $dist keeps the release it had"
  listed=$(cut -c67- "$stage/SHA256SUMS" | sort)
  present=$(cd "$stage" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort)
  [ "$listed" = "$present" ] ||
    die "$stage holds files that SHA256SUMS does not list, or lacks some it does; $dist keeps the release it had"
  python3 "$top/tools/release-zip.py" check "$stage/Zemvar-$(version).zip" "$stage" ||
    die "the zip in $stage is not the loose files; $dist keeps the release it had"
  release_folder "$dist"
  release_folder "$dist.old"
  rm -rf "$dist.old"
  if [ -e "$dist" ]; then mv "$dist" "$dist.old"; fi
  mv "$stage" "$dist"
  rm -rf "$dist.old"
  echo "release: $dist"
  (cd "$dist" && sed 's/^/  /' SHA256SUMS)
}

if [ "${1:-}" = --publish ] && [ $# = 3 ]; then
  publish "$2" "$3"
  exit
fi
[ $# = 4 ] || die "usage: make-release.sh STRIP ZEMVAR_EXE SIM_EXE DIST, or --publish STAGING DIST"
strip=$1 zemvar=$2 sim=$3 dist=$(realpath -m "$4")

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct 2>/dev/null) ||
    die "no SOURCE_DATE_EPOCH, and no git history to take the commit's time from"
fi
export SOURCE_DATE_EPOCH  # strip stamps the PE header with it
version=$(version)
stage=$dist.staging
release_folder "$stage"
rm -rf "$stage"
mkdir -p "$stage"
"$strip" -o "$stage/Zemvar.exe" "$zemvar"
"$strip" -o "$stage/dialer-sim.exe" "$sim"
python3 "$top/tools/make-guide.py" "$top/doc/guide.html" "$stage/guide.html" "$version"
python3 "$top/tools/release-zip.py" make "$stage/Zemvar-$version.zip" "$SOURCE_DATE_EPOCH" "$stage"
(cd "$stage" && sha256sum Zemvar.exe dialer-sim.exe guide.html "Zemvar-$version.zip" >SHA256SUMS)
publish "$stage" "$dist"
