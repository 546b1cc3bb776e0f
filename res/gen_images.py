#!/usr/bin/env python3
"""Writes Pelmar's images: pelmar.ico, the drag cursors, the handle bitmaps and strip.bmp.

Run from anywhere: python3 res/gen_images.py. Standard library only. The
pictures are drawn pixel by pixel for each size, so they stay crisp at 100,
125, 150 and 200 %: nothing is scaled by the system.
"""
import os
import struct
import zlib

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

# Display scales in percent, and the file-name suffix of each (100 % has none).
SCALES = (100, 125, 150, 200)

# Grip dots of the drag handle per handle size: dot size, left edges of the two
# columns, top edges of the three rows. Even dot sizes keep the grid symmetric.
HANDLE_DOTS = {
    16: (2, (5, 9), (3, 7, 11)),
    20: (2, (6, 12), (4, 9, 14)),
    24: (4, (7, 13), (4, 10, 16)),
    32: (4, (10, 18), (6, 14, 22)),
}

ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def suffix(scale):
    return '' if scale == 100 else '_%d' % scale


def half_up(v):
    return int(v + 0.5)


class Canvas:
    """RGB pixels, top row first; None means transparent."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Fills the rectangle, both corners inclusive."""
        for y in range(max(y0, 0), min(y1, self.h - 1) + 1):
            for x in range(max(x0, 0), min(x1, self.w - 1) + 1):
                self.px[y][x] = c

    def frame(self, x0, y0, x1, y1, c, t=1):
        self.rect(x0, y0, x1, y0 + t - 1, c)
        self.rect(x0, y1 - t + 1, x1, y1, c)
        self.rect(x0, y0, x0 + t - 1, y1, c)
        self.rect(x1 - t + 1, y0, x1, y1, c)

    def shape(self, inside, fill, edge, rim=1):
        """Fills the pixels where inside(x, y) holds, and rims them with edge,
        rim pixels wide (4-neighbour steps)."""
        mask = [[inside(x, y) for x in range(self.w)] for y in range(self.h)]
        near = [row[:] for row in mask]
        for _ in range(rim):
            grown = [row[:] for row in near]
            for y in range(self.h):
                for x in range(self.w):
                    if not near[y][x] and any(
                            0 <= x + dx < self.w and 0 <= y + dy < self.h and near[y + dy][x + dx]
                            for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1))):
                        grown[y][x] = True
            near = grown
        for y in range(self.h):
            for x in range(self.w):
                if mask[y][x]:
                    self.px[y][x] = fill
                elif near[y][x]:
                    self.px[y][x] = edge


# ---- pictures ---------------------------------------------------------------

def draw_handle(h):
    """The drag handle, h pixels square: a blue tile with a bevel and six white
    grip dots with shadows."""
    t = max(1, h // 16)
    d, cols, rows = HANDLE_DOTS[h]
    c = Canvas(h, h, BLUE)
    c.frame(0, 0, h - 1, h - 1, BLUE_DARK, t)
    c.rect(t, t, h - 1 - t, 2 * t - 1, BLUE_LIGHT)
    c.rect(t, t, 2 * t - 1, h - 1 - t, BLUE_LIGHT)
    for y in rows:
        for x in cols:
            c.rect(x + t, y + t, x + t + d - 1, y + t + d - 1, BLUE_DARK)  # shadow
            c.rect(x, y, x + d - 1, y + d - 1, WHITE)
    return c


def draw_strip():
    """The strip below the handle: plain blue, with the handle's side edges."""
    c = Canvas(16, STRIP_HEIGHT, BLUE)
    c.rect(0, 0, 0, STRIP_HEIGHT - 1, BLUE_DARK)
    c.rect(15, 0, 15, STRIP_HEIGHT - 1, BLUE_DARK)
    c.rect(1, 0, 1, STRIP_HEIGHT - 1, BLUE_LIGHT)
    return c


# The icon's small sizes, laid out by hand in pixels: page, strip and grey
# lines (x0, x1, y); the arrow's centre row, shaft (x0, x1, half height) and
# head (first column, length). Their arrow heads keep 45-degree sides.
SMALL_ICONS = {
    16: dict(page=(1, 0, 12, 15), strip=(2, 1, 4, 14), lines=[(6, 10, 2), (6, 9, 5)],
             cy=10, shaft=(6, 10, 1), head=(10, 5)),
    20: dict(page=(1, 0, 15, 19), strip=(2, 1, 5, 18), lines=[(8, 13, 3), (8, 13, 6), (8, 11, 9)],
             cy=13, shaft=(8, 13, 1), head=(13, 6)),
    24: dict(page=(2, 0, 18, 23), strip=(3, 1, 6, 22),
             lines=[(9, 15, 3), (9, 15, 6), (9, 15, 9), (9, 12, 12)],
             cy=16, shaft=(9, 16, 1), head=(16, 7)),
}


def draw_small_icon(n):
    lay = SMALL_ICONS[n]
    c = Canvas(n, n)
    c.rect(*lay['page'], WHITE)
    c.frame(*lay['page'], PAGE_EDGE)
    c.rect(*lay['strip'], BLUE)
    for x0, x1, y in lay['lines']:
        c.rect(x0, y, x1, y, LINE_GREY)
    cy = lay['cy']
    sx0, sx1, sh = lay['shaft']
    hx0, hlen = lay['head']

    def in_arrow(x, y):
        if sx0 <= x <= sx1 and abs(y - cy) <= sh:
            return True
        return hx0 <= x < hx0 + hlen and abs(y - cy) < hx0 + hlen - x

    c.shape(in_arrow, ARROW, ARROW_EDGE)
    return c


def draw_icon(n):
    """A list page with the blue drag strip at its left and an arrow leaving it.
    32 pixels and up: one drawing on a 32-unit grid, scaled to n."""
    if n in SMALL_ICONS:
        return draw_small_icon(n)
    s = n / 32
    t = max(1, int(s))

    def box(x0, y0, x1, y1):
        """A 32-grid rectangle (corners inclusive) in pixels."""
        return (half_up(x0 * s), half_up(y0 * s),
                max(half_up(x0 * s), half_up((x1 + 1) * s) - 1),
                max(half_up(y0 * s), half_up((y1 + 1) * s) - 1))

    c = Canvas(n, n)
    px0, py0, px1, py1 = box(3, 1, 24, 30)
    c.rect(px0, py0, px1, py1, WHITE)
    c.frame(px0, py0, px1, py1, PAGE_EDGE, t)
    c.rect(px0 + t, py0 + t, box(0, 0, 8, 0)[2], py1 - t, BLUE)
    for y in (4, 8, 12):
        c.rect(*box(5, y, 6, y + 1), WHITE)
    for x0, x1, y in [(11, 21, 5), (11, 21, 9), (11, 21, 13), (11, 17, 17)]:
        c.rect(*box(x0, y, x1, y + 1), LINE_GREY)

    def in_arrow(x, y):
        # Pixel centres on the 32 grid; the head's sides run at 45 degrees.
        gx, gy = (x + 0.5) / s, abs((y + 0.5) / s - 23.5)
        return (12 <= gx < 22 and gy < 2.5) or (gx >= 21 and gy < 29 - gx)

    c.shape(in_arrow, ARROW, ARROW_EDGE, t)
    return c


def draw_cursor(size):
    """size x size, 'k' black, 'w' white, ' ' transparent. Hot spot at the
    centre pixel (size / 2 - 1); crosshair arms point at it, and the middle half
    holds a copy of the handle of that size (black tile, white dots). At 32:
    hot spot (15, 15), copy at 8..23, so that with the hot spot on client point
    (17, 7) the copy covers the handle at client (10, 0)."""
    g = [[' '] * size for _ in range(size)]
    hot, o, h = size // 2 - 1, size // 4, size // 2
    t = max(1, size // 32)

    def put(x, y, v):
        if 0 <= x < size and 0 <= y < size:
            g[y][x] = v

    # Arms: black with a white rim so they show on dark and light ground.
    arm = list(range(0, o - 1)) + list(range(o + h + 1, size))
    across = range(hot, hot + t)
    for colour, grow in (('w', 1), ('k', 0)):
        for i in arm:
            for j in across:
                for dx in range(-grow, grow + 1):
                    for dy in range(-grow, grow + 1):
                        put(i + dx, j + dy, colour)
                        put(j + dx, i + dy, colour)
    # The handle copy: white rim, black tile, white grip dots.
    for y in range(o - 1, o + h + 1):
        for x in range(o - 1, o + h + 1):
            put(x, y, 'w' if y in (o - 1, o + h) or x in (o - 1, o + h) else 'k')
    d, cols, rows = HANDLE_DOTS[h]
    for y in rows:
        for x in cols:
            for dx in range(d):
                for dy in range(d):
                    put(o + x + dx, o + y + dy, 'w')
    return g, (hot, hot)


# ---- file formats -----------------------------------------------------------

def bmp(c):
    """A 4-bit palette bitmap when the picture has at most 16 colours (the strip
    then takes a sixth of the space), otherwise 24-bit."""
    colours = sorted({p for row in c.px for p in row})
    if len(colours) <= 16:
        index = {p: i for i, p in enumerate(colours)}
        palette = b''.join(bytes((b, g, r, 0)) for r, g, b in colours)
        stride = (c.w * 4 + 31) // 32 * 4
        data = bytearray()
        for y in reversed(range(c.h)):
            row = bytearray(stride)
            for x in range(c.w):
                row[x // 2] |= index[c.px[y][x]] << (0 if x % 2 else 4)
            data += row
        bits, used = 4, len(colours)
    else:
        palette = b''
        stride = (c.w * 3 + 3) // 4 * 4
        data = bytearray()
        for y in reversed(range(c.h)):
            row = b''.join(bytes((b, g, r)) for r, g, b in c.px[y])
            data += row + b'\0' * (stride - len(row))
        bits, used = 24, 0
    info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h, 1, bits, 0, len(data), 2835, 2835, used, 0)
    offset = 14 + len(info) + len(palette)
    head = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    return head + info + palette + bytes(data)


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


def png(c):
    """RGBA PNG, as the icon images of 48 pixels and more are stored (Vista and later read them)."""
    raw = bytearray()
    for row in c.px:
        raw.append(0)  # filter: none
        for p in row:
            raw += bytes((0, 0, 0, 0)) if p is None else bytes((*p, 255))

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data
                + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))

    head = struct.pack('>IIBBBBB', c.w, c.h, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', head)
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def ico(canvases):
    images = [png(c) if c.w >= 48 else icon_image(c) for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        out += struct.pack('<BBBBHHII', c.w % 256, c.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b''.join(images)


def cur(g, hot):
    w = h = len(g)
    stride = (w + 31) // 32 * 4
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
    for scale in SCALES:
        write('handle%s.bmp' % suffix(scale), bmp(draw_handle(16 * scale // 100)))
        write('drag%s.cur' % suffix(scale), cur(*draw_cursor(32 * scale // 100)))
    write('strip.bmp', bmp(draw_strip()))
    write('pelmar.ico', ico([draw_icon(n) for n in ICON_SIZES]))


if __name__ == '__main__':
    main()
