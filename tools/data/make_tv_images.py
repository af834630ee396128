#!/usr/bin/env python3
"""Draws the TV shell's images: its icon (window, tray and desktop shortcut),
data/Images/TovanTV.png, and the three stacking buttons of its toolbar,
data/Images/zhiqian.png, quxiao.png and zhihou.png. Written without image libraries:
shapes are sampled 4 x 4 times per pixel and written as an RGBA PNG."""
import math
import os
import struct
import sys
import zlib

SAMPLES = 4


def png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows += bytes(pixel(x, y))
    chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(
        ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    data += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(ax, ay, bx, by, half):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= half * half
    return inside


def triangle(p, q, r):
    def side(a, b, x, y):
        return (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0])
    def inside(x, y):
        s = [side(p, q, x, y), side(q, r, x, y), side(r, p, x, y)]
        return all(v >= 0 for v in s) or all(v <= 0 for v in s)
    return inside


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def render(width, height, layers):
    """layers: (shape, colour function of (x, y)) painted back to front."""
    def pixel(px, py):
        acc = [0.0, 0.0, 0.0, 0.0]
        for sy in range(SAMPLES):
            for sx in range(SAMPLES):
                x = px + (sx + 0.5) / SAMPLES
                y = py + (sy + 0.5) / SAMPLES
                colour = None
                for shape, paint in layers:
                    if shape(x, y):
                        colour = paint(x, y)
                if colour:
                    acc[0] += colour[0]
                    acc[1] += colour[1]
                    acc[2] += colour[2]
                    acc[3] += 1
        n = SAMPLES * SAMPLES
        if not acc[3]:
            return (0, 0, 0, 0)
        return (round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(255 * acc[3] / n))
    return pixel


def icon(path):
    size = 64
    body = lambda x, y: mix((0xFF, 0x8A, 0x1F), (0xD9, 0x3A, 0x2B), y / size)
    screen = lambda x, y: mix((0x2B, 0x7B, 0xE8), (0x17, 0x24, 0x66), (x + y) / (2 * size))
    white = lambda x, y: (0xFF, 0xFF, 0xFF)
    knob = lambda x, y: (0xFF, 0xE1, 0xB0)
    dark = lambda x, y: (0x5A, 0x1E, 0x12)
    layers = [
        (segment(32, 17, 19, 4, 1.6), dark),
        (segment(32, 17, 45, 4, 1.6), dark),
        (circle(19, 4, 2.6), knob),
        (circle(45, 4, 2.6), knob),
        (rounded(14, 52, 22, 60, 2), dark),
        (rounded(42, 52, 50, 60, 2), dark),
        (rounded(4, 16, 60, 56, 8), body),
        (rounded(9, 21, 46, 51, 4), screen),
        (triangle((22, 28), (22, 44), (35, 36)), white),
        (circle(53, 29, 3.2), knob),
        (circle(53, 39, 3.2), knob),
    ]
    png(path, size, size, render(size, size, layers))


def button(path, kind):
    size = 20
    face = lambda x, y: mix((0x8C, 0x7B, 0xFF), (0x4B, 0x3C, 0xC8), y / size)
    light = lambda x, y: (0xFF, 0xFF, 0xFF)
    back = lambda x, y: (0xB8, 0xC2, 0xE6)
    layers = [(rounded(1, 1, 19, 19, 4), face)]
    arrow_up = [(triangle((15.5, 2.5), (12.8, 6.5), (18.2, 6.5)), light), (segment(15.5, 5, 15.5, 16.5, 1.0), light)]
    arrow_down = [(triangle((15.5, 17.5), (12.8, 13.5), (18.2, 13.5)), light), (segment(15.5, 3.5, 15.5, 15, 1.0), light)]
    if kind == "zhiqian":  # on top: our window (white) lifted above another, an arrow up
        layers += [(rounded(2, 8, 10, 16, 1), back), (rounded(4.5, 4, 12.5, 12, 1), light)] + arrow_up
    elif kind == "quxiao":  # normal: two windows side by side, neither above
        layers += [(rounded(2.5, 6, 9.3, 14, 1), light), (rounded(10.7, 6, 17.5, 14, 1), light)]
    else:  # to the back: our window (white) sunk below another, an arrow down
        layers += [(rounded(4.5, 8, 12.5, 16, 1), light), (rounded(2, 4, 10, 12, 1), back)] + arrow_down
    png(path, size, size, render(size, size, layers))


def main(folder):
    icon(os.path.join(folder, "TovanTV.png"))
    for kind in ("zhiqian", "quxiao", "zhihou"):
        button(os.path.join(folder, kind + ".png"), kind)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../data/Images"))
