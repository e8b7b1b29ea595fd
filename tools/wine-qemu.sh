#!/usr/bin/env bash
# Builds the private loader folder through which Debian's 32-bit Wine runs under qemu-i386 where the
# kernel runs no 32-bit programs: build/wine-qemu (or ZEMVAR_WINE_QEMU). Nothing outside it changes.
# Wine takes its bin folder from /proc/self/exe and starts <bin>/wine for a 32-bit child and <bin>/wine64
# for a 64-bit one, so the folder holds copies of both loaders, not links, and a "wine" script that hands
# the 32-bit one to qemu. Made again when the system's Wine changes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
folder=${ZEMVAR_WINE_QEMU:-$top/build/wine-qemu}
bin=$folder/lib/wine

command -v qemu-i386 >/dev/null || { echo "wine-qemu: qemu-i386 is not installed (tools/install-deps.sh)" >&2; exit 1; }
# Older qemu (bookworm's 7.2) takes over a minute to start one Wine process.
version=$(qemu-i386 --version | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p')
[ "${version:-0}" -ge 10 ] || { echo "wine-qemu: qemu-i386 $version is too old; 10 or newer is needed" >&2; exit 1; }
for f in /usr/lib/wine/wine /usr/lib/wine/wine64 /usr/lib/wine/wineserver64 /lib/ld-linux.so.2; do
  [ -e "$f" ] || { echo "wine-qemu: $f is missing (packages wine, wine32:i386, wine64)" >&2; exit 1; }
done

stamp=$(cat /usr/lib/wine/wine /usr/lib/wine/wine64 | sha256sum | cut -c1-16)
[ "$(cat "$folder/.stamp" 2>/dev/null)" = "$stamp" ] && [ -x "$bin/wine" ] && [ -x "$bin/wine.i386" ] && [ -x "$bin/wine64" ] &&
  exit 0

# ZEMVAR_WINE_QEMU may name any folder: only one this script made (its .stamp) is made again.
if [ -e "$folder" ] && [ ! -f "$folder/.stamp" ] && [ -n "$(ls -A "$folder" 2>/dev/null)" ]; then
  echo "wine-qemu: $folder holds files this script did not make; it is left as it is" >&2
  exit 1
fi
rm -rf "$folder"
mkdir -p "$bin" "$folder/lib/i386-linux-gnu" "$folder/lib/x86_64-linux-gnu" "$folder/share"
cp /usr/lib/wine/wine "$bin/wine.i386"
cp /usr/lib/wine/wine64 "$bin/wine64"
ln -s /usr/lib/wine/wineserver64 "$bin/wineserver"
ln -s /usr/lib/i386-linux-gnu/wine "$folder/lib/i386-linux-gnu/wine"
ln -s /usr/lib/x86_64-linux-gnu/wine "$folder/lib/x86_64-linux-gnu/wine"
ln -s /usr/share/wine "$folder/share/wine"
# The script finds its folder itself: no path is written into it.
cat >"$bin/wine" <<'EOF'
#!/bin/sh
unset WINELOADER
bin=$(cd "$(dirname "$0")" && pwd)
exec qemu-i386 -0 "$bin/wine" "$bin/wine.i386" "$@"
EOF
chmod +x "$bin/wine"
echo "$stamp" >"$folder/.stamp"
echo "wine-qemu: loader folder $folder made for $(qemu-i386 --version | head -1)"
