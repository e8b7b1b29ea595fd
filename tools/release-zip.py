#!/usr/bin/env python3
"""The release's zip: made the same way every time, and checked against the loose files it holds.

Usage: release-zip.py make ZIP EPOCH FOLDER   zip Zemvar.exe, guide.html and tools/dialer-sim.exe
                                              (taken from FOLDER, where the simulator sits at the top)
       release-zip.py check ZIP FOLDER        the zip holds exactly those three, byte for byte FOLDER's

Every entry is stamped with EPOCH (seconds, UTC), in a fixed order, with fixed attributes, and stored as it
is: deflate's bytes depend on the zlib build, stored bytes on nothing. So the same files give the same zip
on any machine, in any time zone.
"""
import pathlib
import sys
import time
import zipfile

# Name in the zip, and the loose file in the release folder.
ENTRIES = [("Zemvar.exe", "Zemvar.exe"), ("guide.html", "guide.html"), ("tools/dialer-sim.exe", "dialer-sim.exe")]


def make(zip_path, epoch, folder):
    # Zip time stamps start in 1980.
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]
    with zipfile.ZipFile(zip_path, "w") as archive:
        for name, loose in ENTRIES:
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.compress_type = zipfile.ZIP_STORED
            entry.create_system = 0  # MS-DOS attributes, whatever machine makes it
            entry.external_attr = 0x20  # archive
            archive.writestr(entry, (folder / loose).read_bytes())


def check(zip_path, folder):
    with zipfile.ZipFile(zip_path) as archive:
        names = archive.namelist()
        expected = [name for name, _ in ENTRIES]
        if names != expected:
            sys.exit(f"release-zip: {zip_path} holds {names}, not {expected}")
        for name, loose in ENTRIES:
            if archive.getinfo(name).compress_type != zipfile.ZIP_STORED:
                sys.exit(f"release-zip: {name} in {zip_path} is compressed, and its bytes would depend on the zlib")
            if archive.read(name) != (folder / loose).read_bytes():
                sys.exit(f"release-zip: {name} in {zip_path} differs from {folder / loose}")


if len(sys.argv) == 5 and sys.argv[1] == "make":
    make(pathlib.Path(sys.argv[2]), sys.argv[3], pathlib.Path(sys.argv[4]))
elif len(sys.argv) == 4 and sys.argv[1] == "check":
    check(pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3]))
else:
    sys.exit(__doc__)
