#!/usr/bin/env python3
"""Writes Pelmar's images: pelmar.ico, drag.cur, handle.bmp and strip.bmp.

Run from anywhere: python3 res/gen_images.py. Standard library only. The
pictures are drawn pixel by pixel so they stay crisp at 100 %.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Colours (R, G, B)
BLUE = (40, 100, 200)
BLUE_LIGHT = (110, 160, 235)
BLUE_DARK = (20, 60, 140)
WHITE = (255, 255, 255)
PAGE_EDGE = (96, 96, 96)
LINE_GREY = (150, 150, 150)
ARROW = (245, 140, 20)
ARROW_EDGE = (150, 70, 0)

# The strip must reach the bottom of any window the user can make; the
# static clips it to 16 x (client height - 26).
STRIP_HEIGHT = 2048

# Grip dots of the drag handle, top-left corners of 2 x 2 dots.
GRIP_DOTS = [(x, y) for y in (3, 7, 11) for x in (5, 9)]


class Canvas:
    """RGBA pixels, top row first; None means transparent."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Fills the rectangle, both corners inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.rect(x0, y0, x1, y0, c)
        self.rect(x0, y1, x1, y1, c)
        self.rect(x0, y0, x0, y1, c)
        self.rect(x1, y0, x1, y1, c)

    def shape(self, inside, fill, edge):
        """Fills the pixels where inside(x, y) holds, and rims them with edge."""
        mask = [[inside(x, y) for x in range(self.w)] for y in range(self.h)]
        for y in range(self.h):
            for x in range(self.w):
                if mask[y][x]:
                    self.px[y][x] = fill
                elif any(0 <= x + dx < self.w and 0 <= y + dy < self.h
                         and mask[y + dy][x + dx]
                         for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1))):
                    self.px[y][x] = edge


# ---- pictures ---------------------------------------------------------------

def draw_handle():
    """The drag handle: a blue tile with a bevel and six white grip dots."""
    c = Canvas(16, 16, BLUE)
    c.frame(0, 0, 15, 15, BLUE_DARK)
    c.rect(1, 1, 14, 1, BLUE_LIGHT)
    c.rect(1, 1, 1, 14, BLUE_LIGHT)
    for x, y in GRIP_DOTS:
        c.rect(x + 1, y + 1, x + 2, y + 2, BLUE_DARK)  # shadow
        c.rect(x, y, x + 1, y + 1, WHITE)
    return c


def draw_strip():
    """The strip below the handle: plain blue, with the handle's side edges."""
    c = Canvas(16, STRIP_HEIGHT, BLUE)
    c.rect(0, 0, 0, STRIP_HEIGHT - 1, BLUE_DARK)
    c.rect(15, 0, 15, STRIP_HEIGHT - 1, BLUE_DARK)
    c.rect(1, 0, 1, STRIP_HEIGHT - 1, BLUE_LIGHT)
    return c


def draw_icon(n):
    """A list page with the blue drag strip at its left and an arrow leaving it."""
    c = Canvas(n, n)
    if n == 32:
        page = (3, 1, 24, 30)
        strip = (4, 2, 8, 29)
        lines = [(11, 21, y) for y in (5, 9, 13)] + [(11, 17, 17)]
        dots = [(5, y) for y in (4, 8, 12)]
        cy, shaft = 23, (12, 21, 2)       # arrow centre row; shaft x0, x1, half height
        head_x0, head_len = 21, 8
    else:
        page = (1, 0, 12, 15)
        strip = (2, 1, 4, 14)
        lines = [(6, 10, 2), (6, 9, 5)]
        dots = []
        cy, shaft = 10, (6, 10, 1)
        head_x0, head_len = 10, 5
    x0, y0, x1, y1 = page
    c.rect(x0, y0, x1, y1, WHITE)
    c.frame(x0, y0, x1, y1, PAGE_EDGE)
    c.rect(*strip, BLUE)
    for x, y in dots:
        c.rect(x, y, x + 1, y + 1, WHITE)
    for lx0, lx1, ly in lines:
        c.rect(lx0, ly, lx1, ly + (1 if n == 32 else 0), LINE_GREY)

    sx0, sx1, sh = shaft

    def in_arrow(x, y):
        if sx0 <= x <= sx1 and abs(y - cy) <= sh:
            return True
        # Head with 45-degree sides, so its edges stay crisp.
        return head_x0 <= x < head_x0 + head_len and abs(y - cy) < head_x0 + head_len - x

    c.shape(in_arrow, ARROW, ARROW_EDGE)
    return c


# Cursor picture: 'k' black, 'w' white, ' ' transparent.
def draw_cursor():
    """32 x 32, hot spot (15, 15): crosshair arms pointing at the hot spot and,
    at pixels 8..23, a copy of the handle, so that with the hot spot on client
    point (17, 7) the copy covers the handle at client (10, 0)."""
    g = [[' '] * 32 for _ in range(32)]

    def put(x, y, v):
        if 0 <= x < 32 and 0 <= y < 32:
            g[y][x] = v

    # Arms: black with a white rim so they show on dark and light ground.
    arm = list(range(0, 7)) + list(range(25, 32))
    for i in arm:
        for x, y in ((i, 15), (15, i)):
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    put(x + dx, y + dy, 'w')
    for i in arm:
        put(i, 15, 'k')
        put(15, i, 'k')
    # The handle copy: white rim, black tile, white grip dots.
    for y in range(7, 25):
        for x in range(7, 25):
            put(x, y, 'w')
    for y in range(8, 24):
        for x in range(8, 24):
            put(x, y, 'k')
    for x, y in GRIP_DOTS:
        for dx in (0, 1):
            for dy in (0, 1):
                put(x + 8 + dx, y + 8 + dy, 'w')
    return g


# ---- file formats -----------------------------------------------------------

def bmp24(c):
    row = c.w * 3
    pad = (4 - row % 4) % 4
    data = bytearray()
    for y in reversed(range(c.h)):
        for x in range(c.w):
            r, g, b = c.px[y][x]
            data += bytes((b, g, r))
        data += b'\0' * pad
    info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def and_mask(w, h, transparent):
    """1-bit mask rows, bottom-up, padded to 32 bits; 1 = transparent."""
    stride = (w + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if transparent(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_image(c):
    """32-bit BGRA image with its AND mask, as stored in an .ico."""
    xor = bytearray()
    for y in reversed(range(c.h)):
        for x in range(c.w):
            p = c.px[y][x]
            xor += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
    mask = and_mask(c.w, c.h, lambda x, y: c.px[y][x] is None)
    info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h * 2, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + mask


def ico(canvases):
    images = [icon_image(c) for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        out += struct.pack('<BBBBHHII', c.w, c.h, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b''.join(images)


def cur(g, hot):
    w = h = 32
    stride = 4
    xor = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if g[y][x] == 'w':
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    mask = and_mask(w, h, lambda x, y: g[y][x] == ' ')
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    img = info + palette + bytes(xor) + mask
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', w, h, 2, 0, hot[0], hot[1], len(img), 22)
    return head + entry + img


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)


def main():
    write('handle.bmp', bmp24(draw_handle()))
    write('strip.bmp', bmp24(draw_strip()))
    write('pelmar.ico', ico([draw_icon(16), draw_icon(32)]))
    write('drag.cur', cur(draw_cursor(), (15, 15)))


if __name__ == '__main__':
    main()
