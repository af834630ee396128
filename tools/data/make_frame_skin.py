#!/usr/bin/env python3
"""Draws the skin of the portal shell's window frame: portal/frame/windows/resources/skin101.bmp,
the program's bitmap resource 101 (167 x 57 pixels, 24 bits, magenta for "not window"), and the
same skin drawn for displays at 150 % and 200 % (skin101@1.5x.bmp, skin101@2x.bmp), so that the
frame's lines and glyphs stay sharp there.

Areas of the standard skin (x, y, width, height):
  (0, 0, 9, 54)          frame source: title bar, borders, client background; the rounded
                         corners are magenta
  (9, 19*s, 28, 19)      minimize glyph in state s (0 normal, 1 hot, 2 pressed)
  (37, 19*s, 28, 19)     maximize glyph
  (65, 19*s, 28, 19)     restore glyph
  (93, 19*s, 39, 19)     close glyph
  (139 + 7*s, 0, 7, 21)  extra-button face in state s; the fourth face is the disabled one

A skin for scale k keeps that layout at ceil(k) times its size: an area (x, y, w, h) starts at
(x * ceil(k), y * ceil(k)) and is round(w * k) x round(h * k) device pixels, drawn there at the
display's own pixels. Lines one pixel wide become round(k) pixels; what lies at an area's right or
bottom edge is measured from that edge, as the frame places it on the window.
Written without image libraries."""
import math
import os
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


class Area:
    """One area of the skin at scale k, addressed in the standard skin's pixels."""

    def __init__(self, px, k, x, y, w, h):
        self.px, self.k = px, k
        c = math.ceil(k)
        self.ox, self.oy = x * c, y * c
        self.w, self.h = self.p(w), self.p(h)
        self.logical_w = w

    def p(self, v):
        return math.floor(v * self.k + 0.5)

    def fill(self, x0, x1, y0, y1, colour):
        """Device columns x0..x1 and rows y0..y1 (half open) of the area."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[self.oy + y][self.ox + x] = colour

    def block(self, x, y, colour, from_right=False, from_bottom=False):
        """The standard skin's pixel (x, y), counted from the edges named."""
        x0, x1 = (self.w - self.p(x + 1), self.w - self.p(x)) if from_right else (self.p(x), self.p(x + 1))
        y0, y1 = (self.h - self.p(y + 1), self.h - self.p(y)) if from_bottom else (self.p(y), self.p(y + 1))
        self.fill(x0, x1, y0, y1, colour)

    def title_row(self, d):
        """The title strip's colour in device row d, the same in every area starting at row 0."""
        if d >= self.p(STRIP_ROWS):
            return CLIENT
        v = (d + 0.5) / self.k - 0.5
        return mix(TOP, BOTTOM, min(max(v / (STRIP_ROWS - 1), 0.0), 1.0))

    def outline(self, top=True, bottom=True, left=True, right=True, colour=OUTLINE):
        line = self.p(1)
        if top:
            self.fill(0, self.w, 0, line, colour)
        if bottom:
            self.fill(0, self.w, self.h - line, self.h, colour)
        if left:
            self.fill(0, line, 0, self.h, colour)
        if right:
            self.fill(self.w - line, self.w, 0, self.h, colour)

    def round_top_corners(self, left=True):
        for (x, y) in [(0, 0), (1, 0), (2, 0), (0, 1), (0, 2)]:
            if left:
                self.block(x, y, KEY)
            self.block(x, y, KEY, from_right=True)
        for (x, y) in [(1, 1), (1, 2), (2, 1)]:
            if left:
                self.block(x, y, OUTLINE)
            self.block(x, y, OUTLINE, from_right=True)

    # Glyph strokes, placed from the area's right edge as the buttons are placed on the window.
    def gx(self, x):
        return self.w - self.p(self.logical_w - x)

    def stroke(self, x0, x1, y0, y1, colour):
        """The standard skin's pixels x0..x1, y0..y1 (inclusive) as one stroke."""
        self.fill(self.gx(x0), self.gx(x1 + 1), self.p(y0), self.p(y1 + 1), colour)

    def box(self, x0, y0, x1, y1, colour, top=1):
        line = self.p(1)
        self.fill(self.gx(x0), self.gx(x1 + 1), self.p(y0), self.p(y0) + self.p(top), colour)
        self.fill(self.gx(x0), self.gx(x1 + 1), self.p(y1 + 1) - line, self.p(y1 + 1), colour)
        self.fill(self.gx(x0), self.gx(x0) + line, self.p(y0), self.p(y1 + 1), colour)
        self.fill(self.gx(x1 + 1) - line, self.gx(x1 + 1), self.p(y0), self.p(y1 + 1), colour)


def frame_source(px, k):
    a = Area(px, k, 0, 0, 9, 54)
    for d in range(a.h):
        a.fill(0, a.w, d, d + 1, a.title_row(d) if d < a.h - a.p(4) else CLIENT)
    a.outline()
    a.round_top_corners()
    # Two pixels cut at the bottom corners, the outline follows.
    for (x, y) in [(0, 0), (1, 0), (0, 1)]:
        a.block(x, y, KEY, from_bottom=True)
        a.block(x, y, KEY, from_right=True, from_bottom=True)
    a.block(1, 1, OUTLINE, from_bottom=True)
    a.block(1, 1, OUTLINE, from_right=True, from_bottom=True)


def button(px, k, left, width, state, draw, close=False):
    a = Area(px, k, left, 19 * state, width, 19)
    back = [None, CLOSE_HOT if close else HOT, CLOSE_PRESSED if close else PRESSED][state]
    background = lambda d: a.title_row(d) if back is None else back
    for d in range(a.h):
        a.fill(0, a.w, d, d + 1, background(d))
    a.outline(bottom=False, left=False, right=close)
    if close:
        # The close button ends at the window's right edge and carries its rounded corner.
        a.round_top_corners(left=False)
    colour = GLYPH if state == 0 else GLYPH_HOT
    draw(a, 1 if state == 2 else 0, colour, background)


def minimize(a, shift, c, background):
    a.stroke(9 + shift, 18 + shift, 12 + shift, 13 + shift, c)


def maximize(a, shift, c, background):
    a.box(9 + shift, 5 + shift, 18 + shift, 13 + shift, c, top=2)


def restore(a, shift, c, background):
    s = shift
    a.box(12 + s, 4 + s, 19 + s, 10 + s, c)
    # The front window hides the back one.
    for d in range(a.p(7 + s), a.p(15 + s)):
        a.fill(a.gx(9 + s), a.gx(17 + s), d, d + 1, background(d))
    a.box(9 + s, 7 + s, 16 + s, 14 + s, c, top=2)


def close(a, shift, c, background):
    # Two strokes two pixels wide, from (15, 5) to (24, 13) and from (24, 5) to (15, 13).
    # The standard skin takes each pixel's centre; larger skins smooth the diagonal edges by
    # the share of the pixel the strokes cover.
    def inside(u, v):
        return 15 <= u < 25 and 5 <= v < 14 and (9.5 <= u - v < 11.5 or 28.5 <= u + v < 30.5)

    n = 1 if a.k == 1 else 4
    for dy in range(a.h):
        for dx in range(a.w):
            covered = 0
            for j in range(n):
                v = (dy + (j + 0.5) / n) / a.k - shift
                for i in range(n):
                    u = a.logical_w - (a.w - dx - (i + 0.5) / n) / a.k - shift
                    covered += inside(u, v)
            if covered:
                a.fill(dx, dx + 1, dy, dy + 1, mix(background(dy), c, covered / (n * n)))


def extra_face(px, k, left, fill, edge):
    a = Area(px, k, left, 0, 7, 21)
    a.fill(0, a.w, 0, a.h, fill)
    a.outline(colour=edge)
    for (x, y) in [(0, 0)]:
        a.block(x, y, KEY)
        a.block(x, y, KEY, from_right=True)
        a.block(x, y, KEY, from_bottom=True)
        a.block(x, y, KEY, from_right=True, from_bottom=True)


def draw(k):
    c = math.ceil(k)
    px = [[KEY] * (W * c) for _ in range(H * c)]
    frame_source(px, k)
    for s in range(3):
        button(px, k, 9, 28, s, minimize)
        button(px, k, 37, 28, s, maximize)
        button(px, k, 65, 28, s, restore)
        button(px, k, 93, 39, s, close, close=True)
    extra_face(px, k, 139, (0x30, 0x34, 0x3c), OUTLINE)
    extra_face(px, k, 146, HOT, GLYPH)
    extra_face(px, k, 153, PRESSED, OUTLINE)
    extra_face(px, k, 160, CLIENT, (0x3a, 0x3f, 0x48))
    return px


def write_bmp(path, px):
    height, width = len(px), len(px[0])
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(height)):  # bottom-up
        row = bytearray()
        for (r, g, b) in px[y]:
            row += bytes([b, g, r])
        pixels += row + bytes(stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def main(path):
    stem, ext = os.path.splitext(path)
    write_bmp(path, draw(1))
    for k, suffix in [(1.5, "@1.5x"), (2, "@2x")]:
        write_bmp(stem + suffix + ext, draw(k))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "portal/frame/windows/resources/skin101.bmp")
