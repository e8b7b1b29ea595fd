#!/usr/bin/env python3
"""The guide says what the program says.

Usage: check-guide.py GUIDE.html ZEMVAR_RC WINE_RUN STATUS_TEXTS_EXE

- Every tooltip the guide quotes (class "tip", and the status lines of its log example) is the program's text
  for that status, as the program itself prints it (STATUS_TEXTS_EXE, started through WINE_RUN); the Chinese
  part and the English part each show all of them in their status table.
- Every text of the settings window and the tray menu the guide quotes (class "ui") is one in the resource
  script, and the Chinese part and the English part each quote all of them.
- The file is one UTF-8 page that Internet Explorer 8 reads: its charset and compatibility mode first, every
  picture a data URI it takes, nothing outside the file.
"""
import html
import pathlib
import re
import subprocess
import sys

sys.dont_write_bytecode = True  # nothing written among the sources
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tools"))
from guide_rules import IE8_DATA_URI_LIMIT, outside_references  # noqa: E402

failures = []


def fail(message):
    failures.append(message)


def program_status_texts(wine_run, exe):
    out = subprocess.run([wine_run, exe], check=True, stdout=subprocess.PIPE).stdout
    return out.decode("gbk").replace("\r", "").splitlines()


def rc_block(rc, start):
    """The lines of the resource from its header line to its END."""
    lines = rc.splitlines()
    first = next(i for i, line in enumerate(lines) if line.startswith(start))
    last = next(i for i in range(first, len(lines)) if lines[i] == "END")
    return lines[first:last]


def rc_string(line):
    """The first quoted string of a resource script line ("" stands for one quotation mark), or None."""
    match = re.search(r'"((?:[^"]|"")*)"', line)
    return match.group(1).replace('""', '"') if match else None


def window_and_menu_texts(rc):
    texts = []
    for line in rc_block(rc, "IDD_HOST "):
        if re.match(r"\s*(CAPTION|AUTOCHECKBOX|LTEXT|RTEXT|CTEXT|DEFPUSHBUTTON|PUSHBUTTON|CHECKBOX)\b", line):
            texts.append(rc_string(line))
    for line in rc_block(rc, "IDR_TRAY_MENU "):
        if re.match(r"\s*MENUITEM \"", line):
            texts.append(rc_string(line).replace("&", ""))  # shown as the underlined letter
    return [text for text in texts if text]


def marked(page, mark):
    return [html.unescape(text) for text in re.findall(rf'<span class="{mark}">([^<]*)</span>', page)]


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    guide_path, rc_path, wine_run, exe = sys.argv[1:]
    raw = open(guide_path, "rb").read()
    try:
        page = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        sys.exit(f"FAIL: {guide_path} is not UTF-8: {error}")

    statuses = program_status_texts(wine_run, exe)
    print(f"the program's tooltips: {len(statuses)}")
    if len(statuses) != 10:
        fail(f"the program printed {len(statuses)} tooltips, not 10")
    ui = window_and_menu_texts(open(rc_path, encoding="utf-8").read())
    print(f"the settings window's and the tray menu's texts in {rc_path}: {' / '.join(ui)}")

    head = raw[:1024]
    for needed in (b'<meta charset="utf-8">', b'<meta http-equiv="X-UA-Compatible" content="IE=edge">'):
        if needed not in head:
            fail(f"{needed.decode()} is not in the first 1024 bytes")
    uris = re.findall(r'src="(data:[^"]*)"', page)
    for uri in uris:
        if len(uri) > IE8_DATA_URI_LIMIT:
            fail(f"a picture takes {len(uri)} bytes as a data URI, over {IE8_DATA_URI_LIMIT}")
    print(f"pictures: {len(uris)}, the largest {max(map(len, uris), default=0)} bytes as a data URI")
    for outside in outside_references(page):
        fail(f"refers to {outside}, outside the file")

    parts = page.split('<div id="en"')
    if len(parts) != 2:
        sys.exit('FAIL: the guide has no English part (<div id="en" ...>) after the Chinese one')
    quoted = 0
    for language, part in zip(("Chinese", "English"), parts):
        shown = set()
        for number, text in re.findall(r'<span class="tip" data-status="(\d+)">([^<]*)</span>', part):
            status, text = int(number), html.unescape(text)
            quoted += 1
            if status >= len(statuses) or text != statuses[status]:
                want = statuses[status] if status < len(statuses) else "no such status"
                fail(f"{language} part: status {status} quoted as {text}; the program shows {want}")
            shown.add(status)
        for status, text in re.findall(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d status (\d+) (.*)$", part, re.M):
            quoted += 1
            if int(status) >= len(statuses) or text != statuses[int(status)]:
                fail(f"{language} part: the log example's status {status} reads {text}")
        missing = set(range(len(statuses))) - shown
        if missing:
            fail(f"{language} part: no tooltip for status {sorted(missing)}")
        texts = marked(part, "ui")
        for text in texts:
            if text not in ui:
                fail(f"{language} part: quotes {text} as a window or menu text; {rc_path} has no such text")
        for text in ui:
            if text not in texts:
                fail(f"{language} part: never quotes the program's {text}")
        print(f"{language} part: {len(shown)} statuses, {len(texts)} window and menu texts quoted")
    print(f"tooltips quoted: {quoted}")

    for message in failures:
        print(f"FAIL: {message}")
    if failures:
        sys.exit(1)
    print("the guide matches the program")


main()
