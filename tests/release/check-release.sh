#!/usr/bin/env bash
# The release a user copies: one 32-bit file of at most 300 KB that loads on Windows XP SP3 and later and
# needs no DLL beyond the system's own; beside it the simulator, the guide and the zip of the version that
# res/version.h names, all listed in a SHA256SUMS that checks; the manifest names the same version.
# Usage: check-release.sh DIST OBJDUMP SOURCE_DIR
set -uo pipefail
dist=$1 objdump=$2 src=$3
exe=$dist/Zemvar.exe
fail=0
bad() { echo "FAIL: $*"; fail=1; }

version=$(bash "$src/tools/version.sh" "$src") || bad "res/version.h names no version"
echo "version: $version"
python3 "$src/tools/release-zip.py" check "$dist/Zemvar-$version.zip" "$dist" || bad "the zip is not the loose files, stored"
files=$(cd "$dist" && LC_ALL=C ls | tr '\n' ' ')
[ "$files" = "SHA256SUMS Zemvar-$version.zip Zemvar.exe dialer-sim.exe guide.html " ] ||
  bad "the release holds $files"
(cd "$dist" && sha256sum --strict -c SHA256SUMS) || bad "SHA256SUMS does not check"
grep -qF "name=\"Quenbri.Zemvar\" version=\"$version.0.0\"" "$src/res/Zemvar.manifest" ||
  bad "res/Zemvar.manifest does not name version $version.0.0"

size=$(stat -c %s "$exe")
echo "size: $size bytes"
[ "$size" -le $((300 * 1024)) ] || bad "larger than 300 KB"

headers=$("$objdump" -p "$exe")
grep -q 'file format pei-i386' <<<"$("$objdump" -f "$exe")" || bad "not a 32-bit executable"
major=$(awk '/MajorSubsystemVersion/{print $2}' <<<"$headers")
minor=$(awk '/MinorSubsystemVersion/{print $2}' <<<"$headers")
echo "subsystem version: $major.$minor"
[ "$major" -lt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -le 1 ]; } || bad "subsystem version above 5.1 (XP)"

dlls=$(awk '/DLL Name:/{print toupper($3)}' <<<"$headers" | sort -u)
echo "imports:" $dlls
system="ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL"
for dll in $dlls; do
  grep -qw "$dll" <<<"$system" || bad "imports $dll, which is not a system DLL"
done
# Functions that Windows XP lacks; any of them must be looked up at run time instead.
functions=$(awk '/DLL Name:/{on=1} on && NF==3 && $2 ~ /^[0-9]+$/ {print $3}' <<<"$headers")
newer='GetTickCount64|InitializeCriticalSectionEx|InitOnce|SRWLock|ConditionVariable|CreateEventEx|FlsAlloc|FlsGetValue|FlsSetValue|FlsFree|GetCurrentProcessorNumber|CompareStringEx|LCMapStringEx|GetLocaleInfoEx|RegGetValue|RegDeleteKeyEx|QueryFullProcessImageName|GetFileInformationByHandleEx|SetThreadStackGuarantee|CreateSymbolicLink|ChangeWindowMessageFilter|SetProcessDPIAware|GetDpiFor|IsNetworkAlive|Wow64'
hits=$(grep -E "^($newer)" <<<"$functions" | sort -u)
[ -z "$hits" ] || bad "imports functions newer than Windows XP:" $hits
echo "imported functions: $(wc -l <<<"$functions")"

[ "$fail" = 0 ] && echo "release check passed"
exit "$fail"
