#!/usr/bin/env python3
"""Draws Zemvar's icons and cursor and writes them as .ico/.cur files into res/.

Icons hold 32, 16, 48, 24 and 20 px square images in 16 colours (4 bits per pixel, standard VGA
palette): the standard and small sizes at 100 %, and the sizes 125, 150 and 200 % ask for;
the cursor is a 32x32 monochrome pointing hand with its hot spot at the fingertip (6, 0).
Run it again after changing a drawing: python3 tools/make-resources.py
"""
import math
import os
import struct

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_GREEN, GREY, RED, GREEN, WHITE, DARK_RED, YELLOW = 0, 2, 8, 9, 10, 15, 1, 11


def disc(size, inside):
    """Pixels of a filled disc; `inside(x, y, r)` picks the colour of each pixel in it (None: clear)."""
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    img = [[None] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d <= r:
                img[y][x] = BLACK if d > r - max(1.0, size / 16.0) else inside(x, y, size)
    return img


def near_segment(px, py, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy)) <= width


def normal(size):
    """A green disc with a white check mark: the dialer is connected."""
    s = size / 32.0
    w = 2.6 * s if size > 16 else 1.2

    def colour(x, y, _):
        if near_segment(x, y, 8 * s, 16 * s, 14 * s, 22 * s, w) or near_segment(x, y, 14 * s, 22 * s, 24 * s, 9 * s, w):
            return WHITE
        return GREEN if y < size * 0.55 else DARK_GREEN
    return disc(size, colour)


def alert(size):
    """A red disc with a white exclamation mark: the check found something wrong."""
    s = size / 32.0
    c = (size - 1) / 2.0

    def colour(x, y, _):
        bar = abs(x - c) <= max(1.0, 2.0 * s) - 0.5
        if bar and 6 * s <= y <= 18 * s:
            return WHITE
        if bar and 22 * s <= y <= 25 * s + (0.5 if size <= 16 else 0):
            return WHITE
        return RED if y < size * 0.6 else DARK_RED
    return disc(size, colour)


HAND = """
......XX........................
.....X..X.......................
.....X..X.......................
.....X..X.......................
.....X..X.......................
.....X..XXX.....................
.....X..X..XXX..................
.....X..X..X..XX................
.....X..X..X..X.X...............
..XX.X..X..X..X..X..............
..X.XX........X..X..............
..X..X...........X..............
...X.............X..............
...X.............X..............
....X...........X...............
....X...........X...............
.....X.........X................
.....X.........X................
.....XXXXXXXXXXX................
"""


def hand():
    """The link cursor: 'X' is the black outline, what lies between a row's outline is white, the rest clear."""
    rows = [r for r in HAND.strip().splitlines()]
    img = [[None] * 32 for _ in range(32)]
    for y, row in enumerate(rows):
        xs = [x for x, ch in enumerate(row) if ch == 'X']
        if not xs:
            continue
        for x in range(min(xs), max(xs) + 1):
            img[y][x] = BLACK if row[x] == 'X' else WHITE
    return img


def dib_4bpp(img):
    size = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in VGA)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = b'', b''
    for y in reversed(range(size)):
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(size):
            p = img[y][x]
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                p = 0
            row[x // 2] |= p << (4 if x % 2 == 0 else 0)
        xor += bytes(row)
        mask += bytes(bits)
    return header + palette + xor + mask


def dib_1bpp(img):
    size = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack('BBBB', 0, 0, 0, 0) + struct.pack('BBBB', 255, 255, 255, 0)
    stride = ((size + 31) // 32) * 4
    xor, mask = b'', b''
    for y in reversed(range(size)):
        row, bits = bytearray(stride), bytearray(stride)
        for x in range(size):
            p = img[y][x]
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
            elif p == WHITE:
                row[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(row)
        mask += bytes(bits)
    return header + palette + xor + mask


def container(kind, images):
    """images: list of (size, colours, planes_or_hotx, bits_or_hoty, dib)."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, colours, a, b, dib in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, a, b, len(dib), offset + len(body))
        body += dib
    return out + body


ICON_SIZES = (32, 16, 48, 24, 20)


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res')
    for name, draw in (('status_normal.ico', normal), ('status_alert.ico', alert)):
        data = container(1, [(n, 16, 1, 4, dib_4bpp(draw(n))) for n in ICON_SIZES])
        with open(os.path.join(res, name), 'wb') as f:
            f.write(data)
    with open(os.path.join(res, 'link_hand.cur'), 'wb') as f:
        f.write(container(2, [(32, 2, 6, 0, dib_1bpp(hand()))]))


if __name__ == '__main__':
    main()
