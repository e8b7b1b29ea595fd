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

# The resources Windows reads from the file itself: the manifest (dpi-aware, so not stretched blurred) and
# the status icons at every size from 100 to 200 %.
resources=$(python3 - "$exe" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
u16 = lambda o: struct.unpack_from('<H', data, o)[0]
u32 = lambda o: struct.unpack_from('<I', data, o)[0]
pe = u32(0x3c)
optional = pe + 24
sections = [struct.unpack_from('<8sIIII', data, optional + u16(pe + 20) + 40 * i) for i in range(u16(pe + 6))]
def offset(rva):
    return next(raw + rva - va for _, size, va, _, raw in sections if va <= rva < va + size)
root = offset(u32(optional + 96 + 8 * 2))
def entries(directory):
    for i in range(u16(directory + 12) + u16(directory + 14)):
        name, target = struct.unpack_from('<II', data, directory + 16 + 8 * i)
        yield name, root + (target & 0x7fffffff)
def resource(kind, ident):
    for k, names in entries(root):
        for n, languages in entries(names):
            if (k, n) == (kind, ident):
                entry = next(entries(languages))[1]
                return data[offset(u32(entry)):offset(u32(entry)) + u32(entry + 4)]
manifest = resource(24, 1).decode()
print('manifest dpi-aware:', '<dpiAware' in manifest and '>true</dpiAware>' in manifest)
for icon in (128, 145):
    group = resource(14, icon)
    widths = sorted(group[6 + 14 * i] or 256 for i in range(struct.unpack_from('<H', group, 4)[0]))
    print('icon %d px:' % icon, ' '.join(map(str, widths)))
PY
) || bad "the exe's resources could not be read"
echo "$resources"
grep -qx 'manifest dpi-aware: True' <<<"$resources" || bad "the manifest does not declare the program dpi-aware"
for icon in 128 145; do
  grep -qx "icon $icon px: 16 20 24 32 48" <<<"$resources" || bad "icon $icon lacks a size of 16, 20, 24, 32 or 48 px"
done

[ "$fail" = 0 ] && echo "release check passed"
exit "$fail"
