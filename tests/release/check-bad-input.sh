#!/usr/bin/env bash
# Bad input stops the release loudly, and the release made before stays as it was:
# - a picture of the guide that is missing, empty, or too large for Internet Explorer 8 stops the guide;
# - a release made with a picture missing fails, and DIST is untouched;
# - a staged release whose files fail `sha256sum -c`, that holds a file SHA256SUMS does not list, or whose
#   zip is not its loose files, is not published; an intact one is.
# Each case runs on copies in a folder of its own; DIST itself is only read.
# Usage: check-bad-input.sh SOURCE_DIR DIST_DIR STRIP ZEMVAR_EXE SIM_EXE
set -uo pipefail
src=$1 dist=$2 strip=$3 zemvar=$4 sim=$5
fail=0
bad() { echo "FAIL: $*"; fail=1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/zemvar-bad-input.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The release's own sources, copied so that a case can spoil them.
fresh_sources() {
  rm -rf "$work/src"
  mkdir -p "$work/src/tools" "$work/src/res"
  cp -r "$src/doc" "$work/src/"
  cp "$src/tools/make-release.sh" "$src/tools/make-guide.py" "$src/tools/release-zip.py" "$src/tools/version.sh" \
    "$src/tools/guide_rules.py" "$work/src/tools/"
  cp "$src/res/version.h" "$work/src/res/"
}
# expect_failure WHAT MESSAGE COMMAND...: the command fails, and says MESSAGE.
expect_failure() {
  local what=$1 message=$2 out
  shift 2
  if out=$("$@" 2>&1); then
    bad "$what: went through"
  elif ! grep -qF -- "$message" <<<"$out"; then
    bad "$what: failed without saying \"$message\":"; echo "$out"
  else
    echo "$what: refused: $(grep -F -- "$message" <<<"$out" | head -1)"
  fi
}
fingerprint() { (cd "$1" && find . -type f -exec sha256sum {} + | sort); }
guide() { python3 "$work/src/tools/make-guide.py" "$work/src/doc/guide.html" "$work/guide.html" 1.0; }

fresh_sources
rm "$work/src/doc/images/settings-window.png"
expect_failure "guide, a picture missing" "settings-window.png: missing" guide
[ ! -e "$work/guide.html" ] || bad "a guide was written without its picture"
fresh_sources
: >"$work/src/doc/images/tray-menu.png"
expect_failure "guide, a picture empty" "tray-menu.png: empty" guide
fresh_sources
convert -size 200x200 xc: +noise Random "$work/src/doc/images/simulator.png"
expect_failure "guide, a picture too large" "Internet Explorer 8 takes at most 32768" guide

# The whole release, with a picture missing, over a good release.
cp -r "$dist" "$work/dist"
good=$(fingerprint "$work/dist")
fresh_sources
rm "$work/src/doc/images/tray-tooltip.png"
expect_failure "release, a picture missing" "tray-tooltip.png: missing" \
  env SOURCE_DATE_EPOCH=1 bash "$work/src/tools/make-release.sh" "$strip" "$zemvar" "$sim" "$work/dist"
[ "$(fingerprint "$work/dist")" = "$good" ] || bad "the failed release changed the release before it"

# Publishing: a copy of the good release, staged again and spoilt.
fresh_sources
stage() { rm -rf "$work/dist.staging"; cp -r "$work/dist" "$work/dist.staging"; }
publish() { bash "$work/src/tools/make-release.sh" --publish "$work/dist.staging" "$work/dist"; }
unchanged() {
  [ "$(fingerprint "$work/dist")" = "$good" ] || bad "$1: the release before it changed"
  [ -d "$work/dist.staging" ] || bad "$1: the staging folder was moved"
}
stage
# One bit flipped, so that the byte surely changes.
byte=$(od -An -tu1 -j 4096 -N1 "$work/dist.staging/Zemvar.exe" | tr -d ' ')
printf "\\$(printf %o $((byte ^ 1)))" | dd of="$work/dist.staging/Zemvar.exe" bs=1 seek=4096 conv=notrunc status=none
expect_failure "publish, a file that fails its hash" "fails its SHA256SUMS" publish
unchanged "a file that fails its hash"
stage
echo "not released" >"$work/dist.staging/notes.txt"
expect_failure "publish, a file SHA256SUMS does not list" "SHA256SUMS does not list" publish
unchanged "a file SHA256SUMS does not list"
stage
echo "<p>changed after zipping</p>" >>"$work/dist.staging/guide.html"
(cd "$work/dist.staging" && sha256sum $(cut -c67- SHA256SUMS) >SHA256SUMS.new && mv SHA256SUMS.new SHA256SUMS)
expect_failure "publish, a zip that is not the loose files" "is not the loose files" publish
unchanged "a zip that is not the loose files"
stage
if publish >/dev/null && [ ! -e "$work/dist.staging" ] && [ "$(fingerprint "$work/dist")" = "$good" ]; then
  echo "publish, an intact release: published"
else
  bad "an intact staged release was not published"
fi

[ "$fail" = 0 ] && echo "bad input is refused, and the release before it kept"
exit "$fail"
