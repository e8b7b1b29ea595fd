#!/usr/bin/env python3
"""Makes the user's guide one self-contained file: every picture the source names is inlined as a data URI.

Usage: make-guide.py SOURCE.html OUT.html VERSION

Pictures are PNG files named relative to the source (tools/guide-shots.sh makes them). A picture that is
missing, empty, not a PNG, or larger than Internet Explorer 8 takes as a data URI (32,768 bytes) stops the
guide with an error, as does a reference to any other file: the guide never ships without its pictures.
"@VERSION@" in the source becomes VERSION. Prints each picture's size, and the guide's.
"""
import base64
import pathlib
import re
import sys

sys.dont_write_bytecode = True  # nothing written among the sources
from guide_rules import IE8_DATA_URI_LIMIT, outside_references  # noqa: E402

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def fail(message):
    sys.exit(f"make-guide: {message}")


def data_uri(folder, name):
    path = folder / name
    if not path.is_file():
        fail(f"{path}: missing (tools/guide-shots.sh makes the guide's pictures)")
    data = path.read_bytes()
    if not data:
        fail(f"{path}: empty (tools/guide-shots.sh makes the guide's pictures)")
    if not data.startswith(PNG_SIGNATURE):
        fail(f"{path}: not a PNG")
    uri = "data:image/png;base64," + base64.b64encode(data).decode("ascii")
    if len(uri) > IE8_DATA_URI_LIMIT:
        fail(f"{path}: {len(uri)} bytes as a data URI; Internet Explorer 8 takes at most {IE8_DATA_URI_LIMIT}")
    return uri


def main():
    if len(sys.argv) != 4:
        fail("usage: make-guide.py SOURCE.html OUT.html VERSION")
    source, out, version = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]), sys.argv[3]
    text = source.read_text(encoding="utf-8").replace("@VERSION@", version)

    sizes = {}

    def inline(match):
        name = match.group(1)
        if name not in sizes:
            sizes[name] = data_uri(source.parent, name)
        return f'src="{sizes[name]}"'

    text = re.sub(r'src="([^":]+\.png)"', inline, text)
    for outside in outside_references(text):
        fail(f"{source}: refers to {outside}, which the guide cannot carry")
    out.write_bytes(text.encode("utf-8"))
    for name, uri in sorted(sizes.items()):
        print(f"guide: {name}: {len(uri)} bytes as a data URI")
    print(f"guide: {out.name}: {out.stat().st_size} bytes, {len(sizes)} pictures")


main()
