#!/usr/bin/env bash
# Prints the release's version, MAJOR.MINOR, from res/version.h, the one place it is written.
# Usage: version.sh [SOURCE_DIR]
set -euo pipefail
src=${1:-$(cd "$(dirname "$0")/.." && pwd)}
number() { sed -n "s/^#define ZEMVAR_VERSION_$1 \\([0-9][0-9]*\\)\$/\\1/p" "$src/res/version.h"; }
major=$(number MAJOR) minor=$(number MINOR)
[ -n "$major" ] && [ -n "$minor" ] || { echo "version: $src/res/version.h names no version" >&2; exit 1; }
echo "$major.$minor"
