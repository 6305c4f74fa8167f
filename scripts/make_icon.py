#!/usr/bin/env python3
"""Draws Vantorix's icon: one 128 x 128, 32-bit image (a blue tile holding a
page of text, a Chinese-character grid and a counter badge) written as a
.ico file.

usage: make_icon.py OUT.ico
"""
import struct
import sys

SIZE = 128


def rounded_box(x, y, left, top, right, bottom, radius):
    """Coverage (0..1) of pixel (x, y) by a rounded rectangle, 4x4 sampled."""
    hits = 0
    for sy in range(4):
        for sx in range(4):
            px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
            if not (left <= px <= right and top <= py <= bottom):
                continue
            cx = min(max(px, left + radius), right - radius)
            cy = min(max(py, top + radius), bottom - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2:
                hits += 1
    return hits / 16


def blend(under, over, alpha):
    return tuple(round(u * (1 - alpha) + o * alpha) for u, o in zip(under, over))


def pixel(x, y):
    """(r, g, b, a) of one pixel, painted back to front."""
    tile = rounded_box(x, y, 4, 4, 124, 124, 22)
    if tile == 0:
        return (0, 0, 0, 0)
    t = y / SIZE
    colour = (round(52 - 20 * t), round(120 - 40 * t), round(220 - 40 * t))
    page = rounded_box(x, y, 26, 18, 94, 108, 6)
    colour = blend(colour, (250, 250, 252), page)
    # Four rows of character cells on the page, the last one half full.
    for row in range(4):
        top = 30 + row * 18
        cells = 3 if row == 3 else 5
        for cell in range(cells):
            left = 34 + cell * 11
            box = rounded_box(x, y, left, top, left + 8, top + 10, 1.5)
            colour = blend(colour, (70, 90, 130), box * 0.85)
    badge = rounded_box(x, y, 70, 74, 118, 118, 22)
    colour = blend(colour, (245, 130, 40), badge)
    # "#" on the badge: two bars each way.
    for offset in (-7, 5):
        bar = rounded_box(x, y, 94 + offset - 1, 84, 94 + offset + 3, 108, 1)
        colour = blend(colour, (255, 255, 255), bar)
        bar = rounded_box(x, y, 82, 96 + offset - 1, 106, 96 + offset + 3, 1)
        colour = blend(colour, (255, 255, 255), bar)
    return colour + (round(255 * tile),)


def main():
    rows = []
    for y in reversed(range(SIZE)):  # DIBs are stored bottom-up
        row = bytearray()
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    xor = b"".join(rows)
    mask = bytes(SIZE * SIZE // 8)  # alpha decides; the mask stays clear
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(sys.argv[1], "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main()
