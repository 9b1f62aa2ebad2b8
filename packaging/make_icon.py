#!/usr/bin/env python3
"""Draws the Vortan icon: grey streamlets of disks swirling round a centre,
on a black disc, as a 48 x 48 RGBA PNG. Usage: make_icon.py OUT.png"""
import math
import struct
import sys
import zlib

SIZE = 48


def draw():
    # Coverage by 4 x 4 supersampling; each pixel keeps the topmost colour.
    sub = 4
    n = SIZE * sub
    grey = [[None] * n for _ in range(n)]
    alpha = [[0.0] * n for _ in range(n)]
    c = n / 2
    radius = n / 2 - 1
    for y in range(n):
        for x in range(n):
            if math.hypot(x + 0.5 - c, y + 0.5 - c) <= radius:
                grey[y][x] = 0
                alpha[y][x] = 1.0
    # Three streamlets, each a run of disks on a spiral, dark at its tail,
    # bright at its head, as a colour table rotated along it.
    for arm in range(3):
        for k in range(22):
            t = k / 21.0
            angle = arm * 2 * math.pi / 3 + t * 2.4
            r = radius * (0.22 + 0.62 * t)
            px = c + r * math.cos(angle)
            py = c + r * math.sin(angle)
            disk = sub * (1.6 + 2.4 * t)
            level = int(40 + 215 * (k / 21.0) ** 1.2)
            x0, x1 = int(px - disk), int(px + disk) + 1
            y0, y1 = int(py - disk), int(py + disk) + 1
            for y in range(max(0, y0), min(n, y1)):
                for x in range(max(0, x0), min(n, x1)):
                    if math.hypot(x + 0.5 - px, y + 0.5 - py) <= disk and alpha[y][x] > 0:
                        grey[y][x] = level
    rows = []
    for Y in range(SIZE):
        row = bytearray([0])  # filter type none
        for X in range(SIZE):
            total = cover = 0.0
            for y in range(Y * sub, Y * sub + sub):
                for x in range(X * sub, X * sub + sub):
                    if alpha[y][x] > 0:
                        cover += 1
                        total += grey[y][x]
            a = cover / (sub * sub)
            g = int(round(total / cover)) if cover else 0
            row += bytes([g, g, g, int(round(255 * a))])
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "vortan.png"
    ihdr = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(draw(), 9)) \
        + chunk(b"IEND", b"")
    with open(out, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
