#!/usr/bin/env python3
"""Draws the demo's sprite strips and backgrounds as PNG files.

Only the standard library: pixels are painted into lists of RGBA tuples and
written with zlib and struct. Run it from anywhere; the PNGs land beside it.
The output is the same on every run, so the committed files can be checked
against a fresh run.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CLEAR = (0, 0, 0, 0)


class Canvas:
    def __init__(self, width, height, fill=CLEAR):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def paste(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                if other.pixels[y][x][3]:
                    self.put(ox + x, oy + y, other.pixels[y][x])

    def outline(self, colour):
        """Rings every opaque shape with one pixel of colour."""
        solid = [[p[3] > 0 for p in row] for row in self.pixels]
        for y in range(self.height):
            for x in range(self.width):
                if solid[y][x]:
                    continue
                near = any(0 <= x + dx < self.width and 0 <= y + dy < self.height and solid[y + dy][x + dx]
                           for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                if near:
                    self.pixels[y][x] = colour

    def save(self, name):
        raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in self.pixels)

        def chunk(tag, data):
            body = tag + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(png)


def strip(frames):
    sheet = Canvas(sum(f.width for f in frames), frames[0].height)
    x = 0
    for frame in frames:
        sheet.paste(frame, x, 0)
        x += frame.width
    return sheet


def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour[:3]) + (colour[3],)


def noise(x, y, seed):
    """A fixed hash of a cell, 0..1, so textures look rough but never change."""
    n = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((n ^ (n >> 16)) & 0xFFFF) / 65535.0


def player_frame(step):
    """A round miner with a lamp; the feet swap as it walks."""
    c = Canvas(24, 24)
    lift = (0, 2, 0, -2)[step]
    c.rect(6, 18 + max(0, -lift), 10, 22, (70, 45, 30, 255))
    c.rect(14, 18 + max(0, lift), 18, 22, (70, 45, 30, 255))
    bob = 1 if step % 2 else 0
    c.disc(12, 12 - bob, 8, (240, 170, 40, 255))
    c.disc(10, 10 - bob, 4, (255, 210, 110, 255))
    c.rect(5, 3 - bob, 19, 7 - bob, (200, 60, 40, 255))
    c.rect(10, 1 - bob, 14, 5 - bob, (255, 250, 190, 255))
    for ex in (9, 15):
        c.rect(ex - 1, 11 - bob, ex + 1, 14 - bob, (30, 20, 20, 255))
    c.outline((40, 25, 15, 255))
    return c


def chaser_frame(step):
    """A red ghost whose hem ripples."""
    c = Canvas(24, 24)
    body = (215, 50, 60, 255)
    c.disc(12, 10, 9, body)
    c.rect(3, 10, 21, 20, body)
    for i in range(4):
        x = 3 + i * 5 + (step * 2 % 5)
        c.disc(x, 20, 2.5, body)
    c.disc(9, 9, 3, (255, 255, 255, 255))
    c.disc(16, 9, 3, (255, 255, 255, 255))
    c.disc(10 + step, 10, 1.5, (20, 20, 60, 255))
    c.disc(17 + step, 10, 1.5, (20, 20, 60, 255))
    c.outline((90, 10, 20, 255))
    return c


def patrol_frame(step):
    """A purple spike ball that turns as it rolls."""
    c = Canvas(24, 24)
    spike = (120, 60, 170, 255)
    for k in range(8):
        a = (k + step * 0.5) * math.pi / 4
        for r in range(6, 11):
            c.disc(12 + math.cos(a) * r, 12 + math.sin(a) * r, max(0.6, (11 - r) * 0.45), spike)
    c.disc(12, 12, 7, (160, 90, 220, 255))
    c.disc(10, 10, 3, (205, 160, 245, 255))
    c.rect(8, 12, 11, 14, (30, 10, 40, 255))
    c.rect(14, 12, 17, 14, (30, 10, 40, 255))
    c.outline((50, 20, 70, 255))
    return c


def gem_frame(step, frames):
    """A cut gem that spins: its width follows the cosine of the turn."""
    c = Canvas(16, 16)
    half = max(1.0, 6.5 * abs(math.cos(step * math.pi / frames)))
    for y in range(16):
        t = 1 - abs(y - 7.5) / 7.5
        w = half * (t if y >= 6 else min(1.0, t * 1.6))
        for x in range(16):
            d = x + 0.5 - 8
            if abs(d) <= w:
                light = 1.25 if d < 0 else 0.85
                if y < 6:
                    light += 0.2
                c.put(x, y, shade((60, 200, 230, 255), light))
    if step == 0:
        c.put(6, 4, (255, 255, 255, 255))
        c.put(5, 5, (255, 255, 255, 255))
    c.outline((20, 70, 110, 255))
    return c


def heart():
    c = Canvas(12, 12)
    red = (230, 50, 70, 255)
    c.disc(3.5, 4, 3, red)
    c.disc(8.5, 4, 3, red)
    for y in range(5, 11):
        w = 5.5 - (y - 5)
        c.rect(int(6 - w), y, int(6 + w + 0.5), y + 1, red)
    c.put(3, 3, (255, 200, 200, 255))
    return c


def wall():
    """Two courses of stone blocks with lit tops and dark joints."""
    c = Canvas(32, 32, (70, 62, 80, 255))
    for row in range(2):
        shift = 8 if row else 0
        for col in range(-1, 3):
            x0 = col * 16 + shift
            y0 = row * 16
            base = shade((120, 108, 130, 255), 0.85 + 0.3 * noise(col, row, 3))
            for y in range(y0 + 1, y0 + 15):
                for x in range(x0 + 1, x0 + 15):
                    grit = 0.9 + 0.2 * noise(x, y, 7)
                    top = 1.25 if y < y0 + 3 else (0.75 if y > y0 + 12 else 1.0)
                    c.put(x, y, shade(base, grit * top))
    return c


def floor_tile():
    """Dark flagstones, the room's tiled background."""
    c = Canvas(32, 32)
    for y in range(32):
        for x in range(32):
            edge = x % 16 == 0 or y % 16 == 0
            base = (44, 47, 60, 255) if edge else (60, 64, 80, 255)
            c.put(x, y, shade(base, 0.92 + 0.16 * noise(x, y, 11)))
    return c


def decor_tiles():
    """The tile set: moss, a crack and a rug corner piece, 32 x 32 each."""
    c = Canvas(96, 32)
    moss = Canvas(32, 32)
    for k in range(26):
        moss.disc(4 + noise(k, 1, 5) * 24, 4 + noise(k, 2, 5) * 24, 1.5 + 2.5 * noise(k, 3, 5),
                  shade((60, 120, 60, 200), 0.8 + 0.4 * noise(k, 4, 5)))
    c.paste(moss, 0, 0)
    x, y = 36, 4
    for k in range(30):
        c.put(x, y, (20, 20, 28, 255))
        c.put(x + 1, y, (30, 30, 40, 255))
        y += 1
        x += 1 if noise(k, 0, 9) > 0.45 else -1
        x = max(33, min(62, x))
    for y in range(32):
        for x in range(64, 96):
            border = x < 67 or x > 92 or y < 3 or y > 28
            inner = (x - 64 + y) % 8 < 4
            c.put(x, y, (150, 50, 40, 255) if border else ((120, 30, 40, 255) if inner else (100, 25, 35, 255)))
    return c


def main():
    strip([player_frame(i) for i in range(4)]).save("player.png")
    strip([chaser_frame(i) for i in range(2)]).save("chaser.png")
    strip([patrol_frame(i) for i in range(4)]).save("patrol.png")
    strip([gem_frame(i, 8) for i in range(8)]).save("gem.png")
    heart().save("heart.png")
    wall().save("wall.png")
    floor_tile().save("floor.png")
    decor_tiles().save("decor.png")


if __name__ == "__main__":
    main()
