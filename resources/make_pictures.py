#!/usr/bin/env python3
"""Draws the main window's pictures: bitmap 131 (background of the readout area),
bitmap 139 (indicator lamp) and icon 143. Standard library only; run it from any folder
and commit the PNG files it writes next to itself."""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write_png(name, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a), each 0..255."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
           chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(png)


def clamp(v):
    return max(0, min(255, int(round(v))))


def background(x, y):
    # 391 x 205 dialog units at 1.5 px: a dark steel gradient with a fine measuring grid.
    w, h = 587, 308
    t = y / (h - 1)
    s = x / (w - 1)
    r = 18 + 30 * t + 10 * s
    g = 32 + 42 * t + 12 * s
    b = 58 + 60 * t + 20 * s
    if x % 24 == 0 or y % 24 == 0:
        r, g, b = r + 14, g + 18, b + 24
    if x % 120 == 0 or y % 120 == 0:
        r, g, b = r + 16, g + 20, b + 26
    if x < 2 or y < 2 or x >= w - 2 or y >= h - 2:
        r, g, b = 120, 140, 170
    return (clamp(r), clamp(g), clamp(b), 255)


def lamp(x, y):
    # A lit red lamp with a dark rim and a highlight, on a transparent ground.
    size = 16
    cx = cy = (size - 1) / 2
    d = math.hypot(x - cx, y - cy)
    radius = size / 2 - 0.5
    if d > radius + 0.5:
        return (0, 0, 0, 0)
    alpha = 255 if d <= radius - 0.5 else clamp(255 * (radius + 0.5 - d))
    if d > radius - 1.5:
        return (90, 0, 0, alpha)
    hx, hy = cx - 2.5, cy - 2.5
    shine = max(0.0, 1.0 - math.hypot(x - hx, y - hy) / 4.0)
    base = 1.0 - d / radius * 0.45
    return (clamp(255 * base + 60 * shine), clamp(30 * base + 200 * shine),
            clamp(20 * base + 200 * shine), alpha)


def icon(x, y):
    # A pull-test curve: rising, yielding, then breaking, on a blue tile.
    size = 32
    if x < 1 or y < 1 or x > size - 2 or y > size - 2:
        return (0, 0, 0, 0)
    colour = (30, 70, 140, 255)
    if x == 4 or y == 27:
        colour = (200, 210, 230, 255)
    if 4 <= x <= 27:
        u = (x - 4) / 23
        if u < 0.8:
            curve = 1 - math.exp(-4 * u)
        else:
            curve = (1 - math.exp(-3.2)) * (1 - (u - 0.8) / 0.2)
        cy = 27 - curve * 20
        if abs(y - cy) <= 1.2:
            colour = (255, 90, 60, 255)
    return colour


write_png("bitmap131.png", 587, 308, background)
write_png("bitmap139.png", 16, 16, lamp)
write_png("icon143.png", 32, 32, icon)
