#!/usr/bin/env python3
"""Draws the skin of the portal shell's window frame, portal/frame/windows/resources/skin101.bmp,
the program's bitmap resource 101: 167 x 57 pixels, 24 bits, magenta for "not window".

Areas (x, y, width, height):
  (0, 0, 9, 54)          frame source: title bar, borders, client background; the rounded
                         corners are magenta
  (9, 19*s, 28, 19)      minimize glyph in state s (0 normal, 1 hot, 2 pressed)
  (37, 19*s, 28, 19)     maximize glyph
  (65, 19*s, 28, 19)     restore glyph
  (93, 19*s, 39, 19)     close glyph
  (139 + 7*s, 0, 7, 21)  extra-button face in state s; the fourth face is the disabled one
Written without image libraries."""
import struct
import sys

W, H = 167, 57
KEY = (255, 0, 255)
TOP, BOTTOM = (0x3a, 0x3f, 0x48), (0x16, 0x19, 0x1e)  # the title area's strip
CLIENT = (0x20, 0x23, 0x29)
OUTLINE = (0x5a, 0x60, 0x6b)
GLYPH, GLYPH_HOT = (0xc8, 0xcc, 0xd2), (0xff, 0xff, 0xff)
HOT, PRESSED = (0x4a, 0x50, 0x5c), (0x0e, 0x10, 0x14)
CLOSE_HOT, CLOSE_PRESSED = (0xd0, 0x3a, 0x32), (0x8c, 0x20, 0x1a)
STRIP_ROWS = 29  # as tall as the title panel of the main window


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def title_row(y):
    return mix(TOP, BOTTOM, y / (STRIP_ROWS - 1)) if y < STRIP_ROWS else CLIENT


def frame_source(px):
    for y in range(54):
        for x in range(9):
            px[y][x] = title_row(y) if y < 50 else CLIENT
    for x in range(9):
        px[0][x] = OUTLINE
        px[53][x] = OUTLINE
    for y in range(54):
        px[y][0] = OUTLINE
        px[y][8] = OUTLINE
    # Rounded corners: three pixels cut at the top, two at the bottom, the outline follows.
    for (x, y) in [(0, 0), (1, 0), (2, 0), (0, 1), (0, 2)]:
        px[y][x] = KEY
        px[y][8 - x] = KEY
    for (x, y) in [(1, 1), (1, 2), (2, 1)]:
        px[y][x] = OUTLINE
        px[y][8 - x] = OUTLINE
    for (x, y) in [(0, 53), (1, 53), (0, 52)]:
        px[y][x] = KEY
        px[y][8 - x] = KEY
    for (x, y) in [(1, 52)]:
        px[y][x] = OUTLINE
        px[y][8 - x] = OUTLINE


def line(px, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(steps + 1):
        px[y0 + round((y1 - y0) * i / steps)][x0 + round((x1 - x0) * i / steps)] = colour


def rect(px, x0, y0, x1, y1, colour, top=1):
    line(px, x0, y0, x1, y0, colour)
    for t in range(1, top):
        line(px, x0, y0 + t, x1, y0 + t, colour)
    line(px, x0, y1, x1, y1, colour)
    line(px, x0, y0, x0, y1, colour)
    line(px, x1, y0, x1, y1, colour)


def button(px, left, width, state, draw, close=False):
    base = 19 * state
    back = [None, CLOSE_HOT if close else HOT, CLOSE_PRESSED if close else PRESSED][state]
    for y in range(19):
        for x in range(width):
            px[base + y][left + x] = OUTLINE if y == 0 else title_row(y) if back is None else back
    if close:
        # The close button ends at the window's right edge and carries its rounded corner.
        for y in range(19):
            px[base + y][left + width - 1] = OUTLINE
        for (x, y) in [(0, 0), (1, 0), (2, 0), (0, 1), (0, 2)]:
            px[base + y][left + width - 1 - x] = KEY
        for (x, y) in [(1, 1), (1, 2), (2, 1)]:
            px[base + y][left + width - 1 - x] = OUTLINE
    colour = GLYPH if state == 0 else GLYPH_HOT
    shift = 1 if state == 2 else 0
    draw(px, left + shift, base + shift, colour)


def minimize(px, x, y, c):
    line(px, x + 9, y + 12, x + 18, y + 12, c)
    line(px, x + 9, y + 13, x + 18, y + 13, c)


def maximize(px, x, y, c):
    rect(px, x + 9, y + 5, x + 18, y + 13, c, top=2)


def restore(px, x, y, c):
    rect(px, x + 12, y + 4, x + 19, y + 10, c)
    for yy in range(7, 15):
        for xx in range(9, 17):
            px[y + yy][x + xx] = px[y + yy][x + 2]  # the front window hides the back one
    rect(px, x + 9, y + 7, x + 16, y + 14, c, top=2)


def close(px, x, y, c):
    for d in (0, 1):
        line(px, x + 15 + d, y + 5, x + 23 + d, y + 13, c)
        line(px, x + 23 + d, y + 5, x + 15 + d, y + 13, c)


def extra_face(px, left, fill, edge):
    for y in range(21):
        for x in range(7):
            px[y][left + x] = edge if x in (0, 6) or y in (0, 20) else fill
    for (x, y) in [(0, 0), (6, 0), (0, 20), (6, 20)]:
        px[y][left + x] = KEY


def main(path):
    px = [[KEY] * W for _ in range(H)]
    frame_source(px)
    for s in range(3):
        button(px, 9, 28, s, minimize)
        button(px, 37, 28, s, maximize)
        button(px, 65, 28, s, restore)
        button(px, 93, 39, s, close, close=True)
    extra_face(px, 139, (0x30, 0x34, 0x3c), OUTLINE)
    extra_face(px, 146, HOT, GLYPH)
    extra_face(px, 153, PRESSED, OUTLINE)
    extra_face(px, 160, CLIENT, (0x3a, 0x3f, 0x48))
    stride = (W * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(H)):  # bottom-up
        row = bytearray()
        for (r, g, b) in px[y]:
            row += bytes([b, g, r])
        pixels += row + bytes(stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "portal/frame/windows/resources/skin101.bmp")
