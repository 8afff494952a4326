#!/usr/bin/env python3
"""Draws Kestrelpane's window and setup artwork into res/art/.

Run from anywhere:  /usr/bin/python3 res/draw_artwork.py
Only needed to redraw; the build uses the committed files. Needs Pillow and a
CJK font for the tab labels (Debian):
    apt-get install python3-pil fonts-wqy-microhei

Output is byte-for-byte the same on every run: no randomness, no timestamps,
and BMP/ICO are written by hand so no library metadata sneaks in.
"""

import math
import os
import re
import struct
import sys
import zlib

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "art")

FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# Colours the window code paints itself; the art has to meet them exactly.
FRAME = (33, 39, 50)
HOVER_BG = (37, 57, 78)
PRESS_BG = (35, 48, 64)
CLOSE_HOVER_BG = (91, 23, 25)
CLOSE_PRESS_BG = (64, 35, 35)
EDGE = (26, 31, 40)


def read_sizes():
    """The caption's sizes at 100 %, as the window code has them."""
    path = os.path.join(HERE, os.pardir, "ui", "skin_sizes.h")
    sizes = dict(re.findall(r"^inline constexpr int (k\w+) = (-?\d+);", open(path).read(), re.M))
    return {name: int(value) for name, value in sizes.items()}


SIZES = read_sizes()
CAPTION_W, CAPTION_H = SIZES["kCaptionBitmapWidth"], SIZES["kCaptionBitmapHeight"]
BTN_W, BTN_H = SIZES["kCaptionButtonWidth"], SIZES["kCaptionButtonHeight"]
# A tab fills the caption's height from the window's top line.
TAB_W, TAB_H = SIZES["kTabWidth"], SIZES["kCaptionHeight"]
TAB_LEFT = SIZES["kTabLeft"]

# The window's sets: 100 % under the plain names, 150 % and 200 % drawn again at their own
# size (not resampled) as name_150.bmp and name_200.bmp.
SCALES = (1.0, 1.5, 2.0)


def px_at(v, s):
    """The window's one rounding rule: v * s to the nearest pixel, halves up."""
    return int(math.floor(v * s + 0.5))


# ---------------------------------------------------------------- file output

def write_bmp24(path, w, h, px):
    """px: list of rows, top row first, each a list of (r, g, b)."""
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(px):  # bottom-up, as BI_RGB DIBs are stored
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    with open(path, "wb") as f:
        f.write(head + info + body)


def ico_entry(size, px):
    """32-bit BI_RGB DIB with an AND mask; px rows of (r, g, b, a), top first.
    Old loaders ignore alpha and use the mask, so the mask marks every pixel
    that is fully transparent."""
    xor = bytearray()
    for row in reversed(px):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mstride = ((size + 31) // 32) * 4
    andm = bytearray()
    for row in reversed(px):
        bits = bytearray(mstride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x >> 3] |= 0x80 >> (x & 7)
        andm += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                       len(xor) + len(andm), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(andm)


def png_entry(size, px):
    """The 256-pixel image as Windows Vista and later store it in an icon: a PNG,
    written by hand with fixed settings so that the bytes never change."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = bytearray()
    for row in px:
        raw.append(0)  # no filter
        for p in row:
            raw += bytes(p)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_ico(path, images):
    """images: list of (size, px), written in the given order."""
    blobs = [(png_entry if s >= 256 else ico_entry)(s, px) for s, px in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (s, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# ------------------------------------------------------------ vector helpers
# Shapes are inside-tests in pixel-edge coordinates (pixel i spans i..i+1).
# Coverage comes from an 8 x 8 sample grid, so edges that sit on whole pixel
# boundaries come out exactly 0 or 1: straight strokes stay crisp and the
# background around them keeps its exact colour.

SS = 8
OFFS = [(k + 0.5) / SS for k in range(SS)]


def coverage(w, h, inside, x0=0, y0=0):
    cov = [[0.0] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            n = 0
            for oy in OFFS:
                py = y0 + y + oy
                for ox in OFFS:
                    if inside(x0 + x + ox, py):
                        n += 1
            cov[y][x] = n / (SS * SS)
    return cov


def seg(ax, ay, bx, by, width):
    """Stroke with butt ends from a to b."""
    dx, dy = bx - ax, by - ay
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    half = width / 2.0

    def inside(x, y):
        rx, ry = x - ax, y - ay
        t = rx * ux + ry * uy
        d = -rx * uy + ry * ux
        return 0.0 <= t <= length and -half <= d <= half
    return inside


def rect(x0, y0, x1, y1):
    def inside(x, y):
        return x0 <= x < x1 and y0 <= y < y1
    return inside


def frame_rect(x0, y0, x1, y1, t=1.0):
    """Outline of width t inside the box x0..x1, y0..y1."""
    outer, inner = rect(x0, y0, x1, y1), rect(x0 + t, y0 + t, x1 - t, y1 - t)
    return lambda x, y: outer(x, y) and not inner(x, y)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(pts):
    """Convex polygon, points in either winding."""
    n = len(pts)
    edges = [(pts[i], pts[(i + 1) % n]) for i in range(n)]

    def side(x, y, a, b):
        return (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0])

    def inside(x, y):
        s = [side(x, y, a, b) for a, b in edges]
        return all(v >= 0 for v in s) or all(v <= 0 for v in s)
    return inside


def rounded_triangle(pts, r):
    """Triangle whose corners are rounded with radius r; pts are the corners
    of the triangle before rounding."""
    n = len(pts)
    # Pull the corners in so that the grown shape keeps the original edges.
    inset = []
    for i in range(n):
        a, b, c = pts[i - 1], pts[i], pts[(i + 1) % n]
        u = (a[0] - b[0], a[1] - b[1])
        v = (c[0] - b[0], c[1] - b[1])
        lu, lv = math.hypot(*u), math.hypot(*v)
        bis = (u[0] / lu + v[0] / lv, u[1] / lu + v[1] / lv)
        lb = math.hypot(*bis)
        half = math.acos(max(-1.0, min(1.0, (u[0] * v[0] + u[1] * v[1]) / (lu * lv)))) / 2
        d = r / math.sin(half)
        inset.append((b[0] + bis[0] / lb * d, b[1] + bis[1] / lb * d))
    core = polygon(inset)
    edges = [(inset[i], inset[(i + 1) % n]) for i in range(n)]

    def dist2(x, y, a, b):
        dx, dy = b[0] - a[0], b[1] - a[1]
        t = ((x - a[0]) * dx + (y - a[1]) * dy) / (dx * dx + dy * dy)
        t = min(max(t, 0.0), 1.0)
        return (x - a[0] - t * dx) ** 2 + (y - a[1] - t * dy) ** 2

    def inside(x, y):
        return core(x, y) or any(dist2(x, y, a, b) <= r * r for a, b in edges)
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def paint(px, cov, colour, ox=0, oy=0):
    for y, row in enumerate(cov):
        for x, a in enumerate(row):
            if a > 0:
                px[oy + y][ox + x] = mix(px[oy + y][ox + x], colour, a)


# ------------------------------------------------------------------- caption

LEFT_TOP = (47, 69, 99)
LEFT_BOTTOM = (30, 43, 62)
STRIPE_PERIOD = 5   # 95, the tab width, is a multiple: both tabs see the same stripes
FLAT_UNTIL = 240    # the tabs sit on bitmap columns 39..228; keep them on one colour
FADE_UNTIL = 720    # from here on the caption is the frame colour, ready to tile


def smoothstep(t):
    t = min(max(t, 0.0), 1.0)
    return t * t * (3 - 2 * t)


def caption_pixel(x, y, s=1.0):
    line = max(1, int(s))  # stripes and sheen stay whole pixels wide
    v = min(y, 24 * s) / (24.0 * s)
    left = mix(LEFT_TOP, LEFT_BOTTOM, v)
    t = smoothstep((x / s - FLAT_UNTIL) / float(FADE_UNTIL - FLAT_UNTIL))
    base = tuple(left[i] + (FRAME[i] - left[i]) * t for i in range(3))
    if (x + y) % px_at(STRIPE_PERIOD, s) < line:
        k = 5.0 * (1.0 - t)
        base = (base[0] + k * 0.7, base[1] + k * 0.85, base[2] + k)
    if y < line:  # a faint sheen along the top edge, gone where the caption tiles
        k = 7.0 * (1.0 - t)
        base = (base[0] + k * 0.8, base[1] + k * 0.9, base[2] + k)
    return tuple(int(round(c)) for c in base)


def draw_caption(s=1.0):
    return [[caption_pixel(x, y, s) for x in range(px_at(CAPTION_W, s))]
            for y in range(px_at(CAPTION_H, s))]


# ----------------------------------------------------------- caption buttons

# Glyphs are laid out on the 100 % grid; at other scales every edge is snapped to a whole
# pixel and every line is `stroke` pixels wide, so straight lines stay crisp.

def stroke_width(s):
    return px_at(1, s)


def glyph_minimize(s=1.0):
    p, w = (lambda v: px_at(v, s)), stroke_width(s)
    return rect(p(9), p(12), p(19), p(12) + w)


def glyph_maximize(s=1.0):
    p = lambda v: px_at(v, s)
    return frame_rect(p(9), p(7), p(19), p(17), stroke_width(s))


def glyph_restore(s=1.0):
    p, w = (lambda v: px_at(v, s)), stroke_width(s)
    front = frame_rect(p(9), p(9), p(17), p(17), w)
    back = minus(frame_rect(p(11), p(7), p(19), p(15), w), rect(p(9), p(9), p(17), p(17)))
    return union(front, back)


def centre_stroke(a, b, width=1.0, s=1.0):
    """Stroke through the centres of grid pixels a and b, covering both ends."""
    ax, ay, bx, by = (a[0] + 0.5) * s, (a[1] + 0.5) * s, (b[0] + 0.5) * s, (b[1] + 0.5) * s
    length = math.hypot(bx - ax, by - ay)
    end = stroke_width(s) / 2.0  # the ends reach as far as a line is wide, whatever the width
    ex, ey = (bx - ax) / length * end, (by - ay) / length * end
    return seg(ax - ex, ay - ey, bx + ex, by + ey, width)


def glyph_close(s=1.0):
    w = stroke_width(s)
    return union(centre_stroke((9, 7), (18, 16), w, s), centre_stroke((18, 7), (9, 16), w, s))


def glyph_pin_off(s=1.0):
    # Lying flat: needle to the left, wide plate, body, head.
    p, w = (lambda v: px_at(v, s)), stroke_width(s)
    return union(
        rect(p(9), p(12), p(13), p(12) + w),        # needle
        rect(p(13), p(8), p(13) + w, p(17)),        # plate
        rect(p(13) + w, p(10), p(18), p(10) + w),   # body, upper side
        rect(p(13) + w, p(14), p(18), p(14) + w),   # body, lower side
        rect(p(18), p(9), p(18) + w, p(16)),        # head
    )


def glyph_pin_on(s=1.0):
    # The same pin stuck in at 45 degrees, needle to the lower left. Drawn
    # on pixel diagonals rather than by turning the flat one, which smears.
    px, py = 12, 13
    w = stroke_width(s)

    def at(du, dn):  # du steps along the pin towards the head, dn across it
        return (px + du + dn, py - du + dn)

    return union(
        centre_stroke(at(-3, 0), at(-1, 0), w, s),   # needle
        centre_stroke(at(0, -2), at(0, 2), w, s),    # plate
        # body filled in: the pinned pin reads as solid, the loose one hollow
        centre_stroke(at(1, 0), at(3, 0), 2 * math.sqrt(2) * s + w, s),
        centre_stroke(at(4, -2), at(4, 2), w, s),    # head
    )


GLYPHS = [
    ("minimize.bmp", glyph_minimize, False),
    ("maximize.bmp", glyph_maximize, False),
    ("close.bmp", glyph_close, True),
    ("restore.bmp", glyph_restore, False),
    ("pin_on.bmp", glyph_pin_on, False),
    ("pin_off.bmp", glyph_pin_off, False),
]

GLYPH_IDLE = (150, 158, 172)
GLYPH_HOVER = (236, 241, 248)
GLYPH_PRESS = (200, 208, 222)


def draw_button(shape, is_close, s=1.0):
    bw, bh, edge = px_at(BTN_W, s), px_at(BTN_H, s), px_at(1, s)
    cov = coverage(bw, bh, shape)
    states = [
        (FRAME, GLYPH_IDLE, False),
        (CLOSE_HOVER_BG if is_close else HOVER_BG,
         (255, 255, 255) if is_close else GLYPH_HOVER, True),
        (CLOSE_PRESS_BG if is_close else PRESS_BG,
         (222, 210, 210) if is_close else GLYPH_PRESS, True),
    ]
    px = [[None] * (bw * 3) for _ in range(bh)]
    for i, (bg, fg, has_edge) in enumerate(states):
        frame = [[bg] * bw for _ in range(bh)]
        paint(frame, cov, fg)
        if has_edge:
            for row in frame:
                row[:edge] = [EDGE] * edge
        for y in range(bh):
            px[y][i * bw:(i + 1) * bw] = frame[y]
    return px


# ---------------------------------------------------------------------- tabs

TEXT_IDLE = (150, 166, 190)
TEXT_HOVER = (226, 234, 246)
TEXT_CURRENT = (255, 255, 255)
HOVER_LIFT = (255, 255, 255), 0.07
CURRENT_TOP = (60, 88, 124)
CURRENT_BOTTOM = (46, 69, 99)
ACCENT = (64, 156, 255)


def text_mask(label, size, tw, th, top):
    font = ImageFont.truetype(FONT_PATH, size)
    img = Image.new("L", (tw, th), 0)
    d = ImageDraw.Draw(img)
    l, t, r, b = d.textbbox((0, 0), label, font=font)
    x = (tw - (r - l)) // 2 - l
    y = top + (th - top - (b - t)) // 2 - t  # centred below the top line
    d.text((x, y), label, fill=255, font=font)
    data = img.tobytes()
    return [[data[y * tw + x] / 255.0 for x in range(tw)]
            for y in range(th)]


def tab_background(caption, index, s):
    """What the caption shows under tab `index`; the top `edge` rows are the window's top
    line, and the caption starts below them one edge in from the left."""
    tw, th, edge = px_at(TAB_W, s), px_at(TAB_H, s), px_at(1, s)
    first = px_at(TAB_LEFT, s) + index * tw - edge
    bg = [[FRAME] * tw for _ in range(edge)]
    for y in range(th - edge):
        bg.append([caption[y][first + c] for c in range(tw)])
    return bg


def draw_tab(caption, label, index, s=1.0):
    tw, th, edge = px_at(TAB_W, s), px_at(TAB_H, s), px_at(1, s)
    mask = text_mask(label, px_at(13, s), tw, th, edge)
    base = tab_background(caption, index, s)

    idle = [row[:] for row in base]
    paint(idle, mask, TEXT_IDLE)

    hover = [row[:] for row in base]
    for y in range(edge, th):
        hover[y] = [mix(p, HOVER_LIFT[0], HOVER_LIFT[1]) for p in hover[y]]
    # a hint of the accent, so hovering previews where the current mark goes
    for y in range(th - edge, th):
        hover[y] = [mix(p, ACCENT, 0.35) for p in hover[y]]
    paint(hover, mask, TEXT_HOVER)

    cur = [row[:] for row in base]
    for y in range(edge, th):
        c = mix(CURRENT_TOP, CURRENT_BOTTOM, (y - 2 * edge) / float(th - 4 * edge))
        if y < 2 * edge:
            c = mix(CURRENT_TOP, (255, 255, 255), 0.10)
        cur[y] = [c] * tw
        # soft side edges set the panel off from the striped caption
        for x in (0, tw - 1):
            cur[y][x] = mix(c, (255, 255, 255), 0.06)
    for y in range(th - px_at(2, s), th):
        cur[y] = [ACCENT] * tw
    paint(cur, mask, TEXT_CURRENT)

    return [idle[y] + hover[y] + cur[y] for y in range(th)]


# ---------------------------------------------------------------------- icon

ICON_TOP = (86, 170, 255)
ICON_BOTTOM = (28, 104, 214)


def draw_icon(size):
    m = size // 24
    s = float(size)
    body = rounded_rect(m, m, size - m, size - m, (size - 2 * m) * 0.24)
    cx, cy = s / 2 + s * 0.04, s / 2
    hw, hh = s * 0.20, s * 0.24
    play = rounded_triangle(
        [(cx - hw, cy - hh), (cx + hw * 1.15, cy), (cx - hw, cy + hh)], s * 0.035)
    cb = coverage(size, size, body)
    cp = coverage(size, size, play)
    px = []
    for y in range(size):
        grad = mix(ICON_TOP, ICON_BOTTOM, (y + 0.5) / s)
        row = []
        for x in range(size):
            a = cb[y][x]
            if a <= 0:
                row.append((0, 0, 0, 0))
                continue
            c = mix(grad, (255, 255, 255), cp[y][x])
            row.append(c + (int(round(a * 255)),))
        px.append(row)
    return px


# ------------------------------------------------------------------- setup

SETUP_W, SETUP_H = 164, 314  # the setup's welcome and finish pages
SETUP_TOP = (46, 69, 99)


def draw_setup_side():
    """The band down the left of the setup's welcome and finish pages: the window's
    colours, the icon and the name."""
    px = [[mix(SETUP_TOP, FRAME, y / float(SETUP_H - 1))] * SETUP_W
          for y in range(SETUP_H)]
    size = 96
    ox, oy = (SETUP_W - size) // 2, 64
    for y, row in enumerate(draw_icon(size)):
        for x, (r, g, b, a) in enumerate(row):
            px[oy + y][ox + x] = mix(px[oy + y][ox + x], (r, g, b), a / 255.0)
    font = ImageFont.truetype(FONT_PATH, 19)
    img = Image.new("L", (SETUP_W, 30), 0)
    d = ImageDraw.Draw(img)
    l, t, r, b = d.textbbox((0, 0), "Kestrelpane", font=font)
    d.text(((SETUP_W - (r - l)) // 2 - l, 4 - t), "Kestrelpane", fill=255, font=font)
    data = img.tobytes()
    mask = [[data[y * SETUP_W + x] / 255.0 for x in range(SETUP_W)] for y in range(30)]
    paint(px, mask, TEXT_CURRENT, 0, oy + size + 18)
    return px


# ---------------------------------------------------------------------- main

def main():
    os.makedirs(OUT, exist_ok=True)
    for s in SCALES:
        suffix = "" if s == 1.0 else "_%d" % round(s * 100)

        def out(name, px):
            write_bmp24(os.path.join(OUT, name + suffix + ".bmp"), len(px[0]), len(px), px)

        caption = draw_caption(s)
        out("caption", caption)
        for name, shape, is_close in GLYPHS:
            out(name[:-4], draw_button(shape(s), is_close, s))
        out("tab_list", draw_tab(caption, "列表", 0, s))
        out("tab_player", draw_tab(caption, "播放", 1, s))
    # The caption's icon is 24 at 100 %, 30 at 125 %, 36 at 150 % and 48 at 200 %.
    write_ico(os.path.join(OUT, "app.ico"),
              [(s, draw_icon(s)) for s in (256, 48, 40, 36, 32, 30, 24, 16)])
    write_bmp24(os.path.join(OUT, "setup_side.bmp"), SETUP_W, SETUP_H,
                draw_setup_side())
    return 0


if __name__ == "__main__":
    sys.exit(main())
