"""What the guide must be to reach a user whole: shared by tools/make-guide.py, which makes it, and
tests/release/check-guide.py, which checks what was made."""
import re

# The largest data URI Internet Explorer 8 takes.
IE8_DATA_URI_LIMIT = 32768


def outside_references(page):
    """Every src or href that points outside the file: a user copies the guide alone."""
    return re.findall(r'(?:src|href)="(?!data:|#|mailto:)([^"]*)"', page)
