#!/usr/bin/env python3
"""Draws the progress strip's animation, data/Images/loading.gif: orange blocks running
across a dark strip. Written without image libraries: a small GIF89a encoder."""
import struct
import sys

WIDTH, HEIGHT, FRAMES = 177, 17, 16
PALETTE = [(0x20, 0x23, 0x29), (0x3a, 0x3f, 0x48), (0xff, 0x9c, 0x1a), (0xff, 0xc8, 0x7a)]
MIN_CODE_SIZE = 7  # byte-sized codes; the palette is padded to 128 colours


def frame_pixels(n):
    pixels = []
    offset = n * WIDTH // FRAMES
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if y in (0, HEIGHT - 1):
                pixels.append(1)
                continue
            block = ((x - offset) % WIDTH) // 11
            inside = 3 <= y <= HEIGHT - 4 and ((x - offset) % 11) < 8
            if inside and block < 5:
                pixels.append(3 if block == 4 else 2)
            else:
                pixels.append(0)
    return pixels


def lzw(pixels):
    """Codes of MIN_CODE_SIZE + 1 bits only: a clear code before the table would grow."""
    clear, end = 1 << MIN_CODE_SIZE, (1 << MIN_CODE_SIZE) + 1
    size = MIN_CODE_SIZE + 1
    codes = [clear]
    room = (1 << size) - end - 2
    for i, p in enumerate(pixels):
        if i and i % room == 0:
            codes.append(clear)
        codes.append(p)
    codes.append(end)
    bits, nbits, out = 0, 0, bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    blocks = bytearray()
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks) + b"\x00"


def main(path):
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF6, 0, 0)  # global table of 128 colours
    for r, g, b in PALETTE + [(0, 0, 0)] * (128 - len(PALETTE)):
        data += bytes([r, g, b])
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for n in range(FRAMES):
        data += b"\x21\xF9\x04\x00" + struct.pack("<H", 6) + b"\x00\x00"  # 60 ms a frame
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
        data += bytes([MIN_CODE_SIZE]) + lzw(frame_pixels(n))
    data += b"\x3B"
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
