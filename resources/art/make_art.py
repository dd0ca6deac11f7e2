#!/usr/bin/env python3
"""Installer art for Tarnwick Zorn, drawn from shapes.

Writes every PNG the online installer's UI uses (banner slides, the start
page overlay, buttons in their normal/hover/pushed/disabled frames, message
box icons, panels and progress bars) into one directory, one file per image
id:

    python3 make_art.py OUTDIR

Each image is written twice: at its size as N.png, and at twice its size as
(N + 1000).png for screens at more than 125 % scaling, drawn from the same
shapes at twice the resolution (sharp, not enlarged).

The art is generated instead of stored because this script is its editable
source: colours, sizes and shapes are readable numbers, changes show up as
text diffs, and the output is reproducible byte for byte.  No text is drawn;
the UI framework renders all strings over the art.

Only the standard library is used: a small anti-aliased rasteriser (exact
area coverage of polygons, so large flat areas cost little more than a copy),
a few shape builders; png_file.py writes the files.
"""

import math
import os
import sys
from itertools import accumulate

from png_file import rgba_png

STATES = ("normal", "hover", "pushed", "disabled")

# Device pixels per layout pixel of the image being drawn: every shape and
# paint is written in layout pixels and rasterised at this scale.
SCALE = 1
DOUBLE_SIZE_ID_OFFSET = 1000


# ---------------------------------------------------------------- colours

def rgb(hexstr, a=1.0):
    v = int(hexstr.lstrip("#"), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0, a)


def fade(c, a):
    return (c[0], c[1], c[2], a)


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def _premul(c):
    return (c[0] * c[3], c[1] * c[3], c[2] * c[3], c[3])


WHITE = rgb("#FFFFFF")
SLATE = rgb("#2E3A4D")
ACCENT = rgb("#2A6FD6")
RED = rgb("#E0483E")
BANNER_DARK = rgb("#0B3A8C")
BANNER_LIGHT = rgb("#1F6FE0")


# ---------------------------------------------------------------- canvas

class Canvas:
    """RGBA pixels as four flat float lists, premultiplied so that drawing
    onto transparent areas needs no division."""

    def __init__(self, w, h):
        self.w, self.h = w * SCALE, h * SCALE
        self.ch = [[0.0] * (self.w * self.h) for _ in range(4)]


# ---------------------------------------------------------------- paints
# A paint answers for one row span: a single premultiplied colour when the
# row is uniform (the fast path), else four per-pixel lists.

def solid(c):
    p = _premul(c)
    return lambda y, x0, n: p


def linear(x0, y0, c0, x1, y1, c1):
    """Gradient along the segment (x0,y0)-(x1,y1), clamped beyond its ends."""
    p0, p1 = _premul(c0), _premul(c1)
    dx, dy = x1 - x0, y1 - y0
    k = 1.0 / (dx * dx + dy * dy)

    def at(t):
        t = min(1.0, max(0.0, t))
        return tuple(a + (b - a) * t for a, b in zip(p0, p1))

    def paint(y, xs, n):
        base = ((y + 0.5) / SCALE - y0) * dy * k
        if dx == 0:
            return at(base)
        step = dx * k / SCALE
        t0 = base + ((xs + 0.5) / SCALE - x0) * dx * k
        ts = [min(1.0, max(0.0, t0 + i * step)) for i in range(n)]
        return tuple([a + (b - a) * t for t in ts] for a, b in zip(p0, p1))
    return paint


def glow(cx, cy, r0, r1, c, power=2.0):
    """Colour c at full strength within r0 of the centre, fading out by r1."""
    p = _premul(c)
    span = r1 - r0

    def paint(y, xs, n):
        dy2 = ((y + 0.5) / SCALE - cy) ** 2
        fs = []
        for i in range(n):
            dx = (xs + i + 0.5) / SCALE - cx
            t = (math.sqrt(dx * dx + dy2) - r0) / span
            fs.append(1.0 if t <= 0 else 0.0 if t >= 1 else (1.0 - t) ** power)
        return tuple([v * f for f in fs] for v in p)
    return paint


def field(fn):
    """Per-pixel paint from fn(x, y) -> straight RGBA; for small odd cases."""
    def paint(y, xs, n):
        cols = [_premul(fn((xs + i + 0.5) / SCALE, (y + 0.5) / SCALE)) for i in range(n)]
        return tuple([c[k] for c in cols] for k in range(4))
    return paint


# ---------------------------------------------------------------- shapes
# A contour is a list of (x, y) points; a shape is a contour or a list of
# contours whose windings cancel where there are holes.

def _area(pts):
    return 0.5 * sum(x0 * y1 - x1 * y0
                     for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]))


def rect(x, y, w, h):
    return [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]


def rrect(x, y, w, h, r, max_rx=None):
    """Rounded rectangle; r is one radius or (top-left, top-right,
    bottom-right, bottom-left).  max_rx narrows the corners into slightly
    elliptical ones so they end inside a stretchable image's side margins."""
    radii = r if isinstance(r, tuple) else (r, r, r, r)
    pts = []
    for (sx, sy, a0), ry in zip(((0, 0, 180), (1, 0, 270), (1, 1, 0), (0, 1, 90)), radii):
        rx = ry if max_rx is None else min(ry, max_rx)
        cx = x + rx if sx == 0 else x + w - rx
        cy = y + ry if sy == 0 else y + h - ry
        if ry <= 0:
            pts.append((cx, cy))
            continue
        k = max(3, math.ceil(ry * 1.5))
        for i in range(k + 1):
            a = math.radians(a0 + 90.0 * i / k)
            pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return pts


def circle(cx, cy, r):
    n = max(16, math.ceil(2 * math.pi * r / 1.5))
    return [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n))
            for i in range(n)]


def arc(cx, cy, r, a0, a1, step=6.0):
    """Points along a circular arc, angles in degrees (clockwise on screen)."""
    n = max(2, math.ceil(abs(a1 - a0) / step))
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def capsule(ax, ay, bx, by, r):
    """Thick segment with round caps: the building block of every stroke."""
    th = math.atan2(by - ay, bx - ax)
    k = max(6, math.ceil(r * 3))
    pts = [(bx + r * math.cos(th - math.pi / 2 + math.pi * i / k),
            by + r * math.sin(th - math.pi / 2 + math.pi * i / k)) for i in range(k + 1)]
    pts += [(ax + r * math.cos(th + math.pi / 2 + math.pi * i / k),
             ay + r * math.sin(th + math.pi / 2 + math.pi * i / k)) for i in range(k + 1)]
    return pts


def stroke(points, width):
    """Round-joined polyline, as capsules that fill() unites."""
    return [capsule(ax, ay, bx, by, width / 2.0)
            for (ax, ay), (bx, by) in zip(points, points[1:])]


def ring(outer, inner):
    """Outer contour with inner one cut out (opposite windings)."""
    o = outer if _area(outer) > 0 else outer[::-1]
    i = inner if _area(inner) < 0 else inner[::-1]
    return [o, i]


def round_offset(pts, d):
    """Grow a convex polygon by d with round corners (its Minkowski sum with a
    disc), so outlines of any thickness stay even and corners soft."""
    clean = [p for i, p in enumerate(pts) if math.dist(p, pts[i - 1]) > 1e-9]
    if _area(clean) < 0:
        clean = clean[::-1]
    n = len(clean)
    normals = []
    for i in range(n):
        (x0, y0), (x1, y1) = clean[i], clean[(i + 1) % n]
        ln = math.hypot(x1 - x0, y1 - y0)
        normals.append(math.atan2(-(x1 - x0) / ln, (y1 - y0) / ln))
    out = []
    for i in range(n):
        px, py = clean[i]
        a0 = normals[i - 1]
        da = (normals[i] - a0 + math.pi) % (2 * math.pi) - math.pi
        k = max(1, math.ceil(abs(da) / (math.pi / 18)))
        out += [(px + d * math.cos(a0 + da * j / k), py + d * math.sin(a0 + da * j / k))
                for j in range(k + 1)]
    return out


def _quad(p0, p1, p2, n):
    return [((1 - t) ** 2 * p0[0] + 2 * t * (1 - t) * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * t * (1 - t) * p1[1] + t * t * p2[1])
            for t in (i / n for i in range(n + 1))]


def shield(cx, top, w, h):
    """Convex shield: peaked top, straight sides, curved flanks to a point."""
    hw = w / 2.0
    pts = [(cx, top), (cx + hw, top + 0.13 * h), (cx + hw, top + 0.5 * h)]
    pts += _quad((cx + hw, top + 0.5 * h), (cx + hw, top + 0.86 * h), (cx, top + h), 16)[1:]
    pts += _quad((cx, top + h), (cx - hw, top + 0.86 * h), (cx - hw, top + 0.5 * h), 16)[1:]
    pts.append((cx - hw, top + 0.13 * h))
    return pts


# ---------------------------------------------------------------- rasteriser

def _edge(acc, stride, ax, ay, bx, by):
    """Add one edge's signed area to the accumulation buffer; a running sum
    along each row then gives exact pixel coverage."""
    if ay == by:
        return
    if ay < by:
        d, x, y0, x1, y1 = 1.0, ax, ay, bx, by
    else:
        d, x, y0, x1, y1 = -1.0, bx, by, ax, ay
    dxdy = (x1 - x) / (y1 - y0)
    for y in range(int(y0), math.ceil(y1)):
        base = y * stride
        dy = min(y + 1.0, y1) - max(float(y), y0)
        xn = x + dxdy * dy
        dd = dy * d
        lo, hi = (x, xn) if x < xn else (xn, x)
        lof = math.floor(lo)
        loi = int(lof)
        hic = math.ceil(hi)
        hii = int(hic)
        if hii <= loi + 1:
            xmf = 0.5 * (x + xn) - lof
            acc[base + loi] += dd - dd * xmf
            acc[base + loi + 1] += dd * xmf
        else:
            s = 1.0 / (hi - lo)
            lofr = lo - lof
            a0 = 0.5 * s * (1.0 - lofr) ** 2
            hifr = hi - hic + 1.0
            am = 0.5 * s * hifr * hifr
            acc[base + loi] += dd * a0
            if hii == loi + 2:
                acc[base + loi + 1] += dd * (1.0 - a0 - am)
            else:
                a1 = s * (1.5 - lofr)
                acc[base + loi + 1] += dd * (a1 - a0)
                for xi in range(loi + 2, hii - 1):
                    acc[base + xi] += dd * s
                a2 = a1 + (hii - loi - 3) * s
                acc[base + hii - 1] += dd * (1.0 - a2 - am)
            acc[base + hii] += dd * am
        x = xn


def _coverage(shapes):
    """Coverage rows over the shapes' bounding box; shapes are united by
    taking the larger coverage, so overlapping strokes do not double up."""
    pts = [p for s in shapes for c in s for p in c]
    x0 = math.floor(min(p[0] for p in pts))
    y0 = math.floor(min(p[1] for p in pts))
    w = max(1, math.ceil(max(p[0] for p in pts)) - x0)
    h = max(1, math.ceil(max(p[1] for p in pts)) - y0)
    stride = w + 2
    rows = None
    for s in shapes:
        acc = [0.0] * (stride * h)
        for c in s:
            for (ax, ay), (bx, by) in zip(c, c[1:] + c[:1]):
                _edge(acc, stride, ax - x0, ay - y0, bx - x0, by - y0)
        cov = [[min(1.0, abs(v)) for v in accumulate(acc[j * stride:j * stride + w])]
               for j in range(h)]
        rows = cov if rows is None else [[max(a, b) for a, b in zip(r0, r1)]
                                         for r0, r1 in zip(rows, cov)]
    return x0, y0, w, rows


def fill(cv, paint, *shapes, opacity=1.0):
    """Composite paint, masked by the union of shapes, over the canvas."""
    shapes = [[s] if isinstance(s[0], tuple) else s for s in shapes]
    if SCALE != 1:
        shapes = [[[(x * SCALE, y * SCALE) for x, y in c] for c in s] for s in shapes]
    x0, y0, w, rows = _coverage(shapes)
    cx0, cx1 = max(0, x0), min(cv.w, x0 + w)
    if cx0 >= cx1:
        return
    n = cx1 - cx0
    for j, cov in enumerate(rows):
        y = y0 + j
        if y < 0 or y >= cv.h:
            continue
        cov = cov[cx0 - x0:cx1 - x0]
        if not any(cov):
            continue
        if opacity != 1.0:
            cov = [c * opacity for c in cov]
        p = paint(y, cx0, n)
        s, e = y * cv.w + cx0, y * cv.w + cx1
        if isinstance(p[0], float):
            pa = p[3]
            for ch, v in zip(cv.ch, p):
                ch[s:e] = [d + c * (v - d * pa) for d, c in zip(ch[s:e], cov)]
        else:
            pa = p[3]
            for ch, vs in zip(cv.ch, p):
                ch[s:e] = [d + c * (v - d * a) for d, c, v, a in zip(ch[s:e], cov, vs, pa)]


# ---------------------------------------------------------------- PNG

def png_bytes(cv):
    R, G, B, A = cv.ch
    w = cv.w
    rows = []
    for y in range(cv.h):
        s, e = y * w, y * w + w
        alphas = A[s:e]
        a8 = [min(255, max(0, int(a * 255.0 + 0.5))) for a in alphas]
        row = bytearray(4 * w)
        for k, ch in enumerate((R, G, B)):
            row[k::4] = bytes(0 if q == 0 else min(255, max(0, int(v / a * 255.0 + 0.5)))
                              for v, a, q in zip(ch[s:e], alphas, a8))
        row[3::4] = bytes(a8)
        rows.append(row)
    return rgba_png(cv.w, cv.h, rows)


# ---------------------------------------------------------------- motifs

def framed(fw, fh, draw, states=STATES):
    """Frames side by side, one per state, each exactly fw wide."""
    cv = Canvas(fw * len(states), fh)
    for i, st in enumerate(states):
        draw(cv, i * fw, st)
    return cv


def cross(cx, cy, half, width):
    return stroke([(cx - half, cy - half), (cx + half, cy + half)], width) + \
        stroke([(cx - half, cy + half), (cx + half, cy - half)], width)


# Glyphs are laid out for a disc of radius 22 and scaled by s.

def glyph_bang(cx, cy, s):
    return [capsule(cx, cy - 10.5 * s, cx, cy + 3 * s, 2 * s), circle(cx, cy + 10 * s, 2.5 * s)]


def glyph_info(cx, cy, s):
    return [circle(cx, cy - 10.5 * s, 2.5 * s), capsule(cx, cy - 3.5 * s, cx, cy + 10.5 * s, 2 * s)]


def glyph_tick(cx, cy, s):
    return stroke([(cx + x * s, cy + y * s) for x, y in ((-9.5, 0), (-3, 6.5), (9, -6))], 4 * s)


def glyph_question(cx, cy, s):
    hook = arc(0, -5, 6, 195, 405, 10) + [(0, 2.3), (0, 4.5)]
    return stroke([(cx + x * s, cy + y * s) for x, y in hook], 3.6 * s) + \
        [circle(cx, cy + 10.2 * s, 2.4 * s)]


BLUE_DISC = (rgb("#3C80E6"), rgb("#2462C8"))
RED_DISC = (rgb("#EA5A4F"), rgb("#D43C33"))


def disc_icon(size, r, colours, glyph, halo=None):
    cv = Canvas(size, size)
    c = size / 2.0
    if halo:
        fill(cv, glow(c, c, r - 2, c, halo), circle(c, c, c))
    fill(cv, linear(0, c - r, colours[0], 0, c + r, colours[1]), circle(c, c, r))
    fill(cv, solid(WHITE), *glyph(c, c, r / 22.0))
    return cv


# Banner geometry shared by slide 5 and the start page overlay, so that the
# overlay's emblem and check sit exactly on the slide's own.
SHIELD_CX = 440
CHECK = [(418, 122), (434, 138), (464, 106)]
EMBLEM = shield(SHIELD_CX, 64, 100, 118)


# The banner reaches below the start page's slogan line (the window's y 237..269).
BANNER_H = 275


def banner(c0=BANNER_DARK, c1=BANNER_LIGHT):
    """Diagonal gradient, dark at bottom-left where text goes, lighter towards
    the motif, plus a faint light pool on the right."""
    cv = Canvas(580, BANNER_H)
    fill(cv, linear(0, BANNER_H, c0, 580, 0, c1), rect(0, 0, 580, BANNER_H))
    fill(cv, glow(450, 118, 0, 155, fade(WHITE, 0.10)), rect(295, 0, 285, BANNER_H))
    return cv


def fade_right(x, strength):
    """Pattern opacity that is zero over the text column and grows rightwards."""
    return strength * min(1.0, max(0.0, (x - 316) / 140.0))


# ---------------------------------------------------------------- images

def img_banner_close():
    def draw(cv, ox, st):
        cx, cy = ox + 12, 12
        if st in ("hover", "pushed"):
            fill(cv, solid(fade(WHITE, (50 if st == "hover" else 28) / 255.0)), circle(cx, cy, 11))
        fill(cv, solid(WHITE), *cross(cx, cy, 4, 2), opacity=0.4 if st == "disabled" else 1.0)
    return framed(24, 24, draw)


def img_banner_minimise():
    def draw(cv, ox, st):
        if st in ("hover", "pushed"):
            fill(cv, solid(fade(WHITE, (50 if st == "hover" else 28) / 255.0)), circle(ox + 12, 12, 11))
        fill(cv, solid(WHITE), rect(ox + 7, 11, 10, 2), opacity=0.4 if st == "disabled" else 1.0)
    return framed(24, 24, draw)


def img_slide_shield():
    cv = banner()
    for gy in range(10, BANNER_H, 16):
        for gx in range(316, 580, 16):
            clear = math.hypot(gx - SHIELD_CX, gy - 122) - 105
            a = fade_right(gx, 0.14) * min(1.0, max(0.0, clear / 30.0))
            if a > 0:
                fill(cv, solid(fade(WHITE, a)), circle(gx + 0.5, gy + 0.5, 1.3))
    fill(cv, glow(SHIELD_CX, 122, 0, 120, fade(WHITE, 0.10)), circle(SHIELD_CX, 122, 120))
    big = shield(SHIELD_CX, 32, 148, 180)
    fill(cv, solid(fade(WHITE, 0.08)), round_offset(big, 6))
    fill(cv, solid(fade(WHITE, 0.45)), ring(round_offset(big, 6), round_offset(big, 3)))
    fill(cv, solid(fade(WHITE, 0.16)), ring(round_offset(EMBLEM, 11), round_offset(EMBLEM, 9.5)))
    fill(cv, solid(fade(WHITE, 0.92)), *stroke(CHECK, 11))
    return cv


def img_slide_radar():
    cv = banner()
    cx, cy = 450.5, 122.5
    line = solid(fade(WHITE, 0.10))
    fill(cv, line, rect(330, 122, 240, 1))
    fill(cv, line, rect(450, 12, 1, 221))
    for r, a in ((28, 0.42), (56, 0.32), (84, 0.23), (112, 0.15)):
        fill(cv, solid(fade(WHITE, a)), ring(circle(cx, cy, r + 1), circle(cx, cy, r - 1)))
    for k in range(12):
        t = math.radians(k * 30)
        fill(cv, solid(fade(WHITE, 0.25)), capsule(cx + 116 * math.cos(t), cy + 116 * math.sin(t),
                                                  cx + 120 * math.cos(t), cy + 120 * math.sin(t), 1))

    def sweep(px, py):
        t = (math.degrees(math.atan2(py - cy, px - cx)) + 75) / 60.0
        return fade(rgb("#BFE0FF"), 0.30 * min(1.0, max(0.0, t)) ** 1.6)
    fill(cv, field(sweep), [(cx, cy)] + arc(cx, cy, 111, -75, -15, 2))
    edge = math.radians(-15)
    fill(cv, solid(fade(WHITE, 0.6)), capsule(cx, cy, cx + 111 * math.cos(edge), cy + 111 * math.sin(edge), 1))
    for bx, by, br, a in ((509, 96, 3.2, 0.95), (398, 163, 2.6, 0.6), (488, 178, 2.2, 0.5)):
        fill(cv, glow(bx, by, 0, 4 * br, fade(rgb("#BFE0FF"), a * 0.45)), circle(bx, by, 4 * br))
        fill(cv, solid(fade(WHITE, a)), circle(bx, by, br))
    fill(cv, solid(fade(WHITE, 0.7)), circle(cx, cy, 3.5))
    return cv


def img_slide_lock():
    cv = banner()
    cx = 445
    for col in range(10):
        for row in range(-1, 8):
            hx = 320 + col * 33
            hy = row * 38.1 + (19.05 if col % 2 else 0)
            clear = math.hypot(hx - cx, hy - 120) - 95
            a = fade_right(hx, 0.10) * min(1.0, max(0.0, clear / 30.0))
            if a > 0:
                hexa = [(hx + 19 * math.cos(math.radians(60 * i)), hy + 19 * math.sin(math.radians(60 * i)))
                        for i in range(6)]
                fill(cv, solid(fade(WHITE, a)), ring(round_offset(hexa, 1.0), hexa))
    fill(cv, glow(cx, 125, 0, 115, fade(WHITE, 0.10)), circle(cx, 125, 115))
    fill(cv, solid(fade(WHITE, 0.08)), rrect(cx - 60, 108, 120, 92, 16))
    shackle = ([(cx - 35.5, 110)] + arc(cx, 72, 35.5, 180, 360) + [(cx + 35.5, 110)]
               + [(cx + 30.5, 110)] + arc(cx, 72, 30.5, 360, 180) + [(cx - 30.5, 110)])
    fill(cv, solid(fade(WHITE, 0.6)),
         ring(rrect(cx - 60, 108, 120, 92, 16), rrect(cx - 55, 113, 110, 82, 11)), shackle)
    fill(cv, solid(fade(WHITE, 0.65)), circle(cx, 145, 9),
         [(cx - 4, 148), (cx + 4, 148), (cx + 6.5, 176), (cx - 6.5, 176)])
    return cv


def img_slide_speed():
    cv = banner()
    fill(cv, glow(452, 122, 0, 120, fade(WHITE, 0.12)), circle(452, 122, 120))
    for x0, x1, y, w, a in ((336, 392, 70, 4, 0.18), (352, 408, 96, 3, 0.30), (320, 398, 124, 4, 0.22),
                            (350, 404, 152, 3, 0.28), (334, 386, 180, 4, 0.16), (506, 560, 58, 3, 0.14),
                            (512, 552, 196, 4, 0.18), (522, 566, 84, 2, 0.12)):
        fill(cv, linear(x0, 0, fade(WHITE, 0.0), x1, 0, fade(WHITE, a)), capsule(x0, y, x1, y, w / 2.0))
    bolt = [(460, 25), (410, 135), (445, 135), (425, 220), (495, 110), (458, 110), (492, 25)]
    fill(cv, linear(470, 25, fade(WHITE, 0.62), 440, 220, fade(rgb("#A9CCFF"), 0.32)), bolt)
    return cv


def img_error_banner():
    cv = banner(rgb("#323E4E"), rgb("#5B6A7F"))
    cx = 445
    tri = [(cx, 45), (cx + 80, 190), (cx - 80, 190)]
    fill(cv, glow(cx, 135, 0, 115, fade(WHITE, 0.08)), circle(cx, 135, 115))
    fill(cv, solid(fade(WHITE, 0.06)), round_offset(tri, 1))
    fill(cv, solid(fade(WHITE, 0.5)), ring(round_offset(tri, 7), round_offset(tri, 1)))
    fill(cv, solid(fade(WHITE, 0.62)), capsule(cx, 96, cx, 144, 5), circle(cx, 167, 6))
    return cv


def img_start_overlay():
    # Opaque: the start and finished pages show it with the slide hidden.
    cv = banner()
    fill(cv, glow(SHIELD_CX, 122, 0, 118, fade(WHITE, 0.30), 2.2), circle(SHIELD_CX, 122, 118))
    fill(cv, solid(fade(WHITE, 0.22)), ring(round_offset(EMBLEM, 11), round_offset(EMBLEM, 9.5)))
    fill(cv, linear(0, 60, fade(WHITE, 0.97), 0, 186, fade(rgb("#DCE8FA"), 0.96)), round_offset(EMBLEM, 4))
    fill(cv, linear(0, 100, rgb("#3C80E6"), 0, 144, rgb("#2462C8")), *stroke(CHECK, 11))
    fill(cv, solid(fade(WHITE, 0.35)), rect(0, BANNER_H - 1, 580, 1))
    return cv


def chevron(up):
    def draw(cv, ox, st):
        ys = (10, 6, 10) if up else (6, 10, 6)
        pts = [(ox + 4, ys[0]), (ox + 8, ys[1]), (ox + 12, ys[2])]
        fill(cv, solid(SLATE if st == "normal" else ACCENT), *stroke(pts, 1.8))
    return lambda: framed(16, 16, draw, ("normal", "hover"))


PRIMARY = {  # top, bottom, rim, top highlight strength
    "normal": (rgb("#3B7FE2"), rgb("#2A6BD2"), rgb("#1F58B5"), 0.22),
    "hover": (rgb("#4C8EEC"), rgb("#387ADE"), rgb("#2664C4"), 0.25),
    "pushed": (rgb("#2460C2"), rgb("#2966CB"), rgb("#1A4C9E"), 0.0),
    "disabled": (rgb("#B8C2CF"), rgb("#B8C2CF"), rgb("#A9B4C2"), 0.0),
}

SECONDARY = {  # fill, rim
    "normal": (rgb("#FFFFFF"), rgb("#C5D0DE")),
    "hover": (rgb("#F2F7FD"), rgb("#2A6FD6")),
    "pushed": (rgb("#E3EEFB"), rgb("#2462C4")),
    "disabled": (rgb("#F4F6F8"), rgb("#DDE2E8")),
}


def primary_button(fw, fh, r, margin):
    def draw(cv, ox, st):
        top, bottom, rim, hi = PRIMARY[st]
        fill(cv, solid(rim), rrect(ox, 0, fw, fh, r, margin))
        inset = 1
        if hi:
            # a one pixel lighter lip under the rim's top edge
            fill(cv, solid(mix(top, WHITE, hi)), rrect(ox + 1, 1, fw - 2, fh - 2, r - 1, margin - 1))
            inset = 2
        fill(cv, linear(0, inset, top, 0, fh - 1, bottom),
             rrect(ox + 1, inset, fw - 2, fh - 1 - inset, r - 1, margin - 1))
    return lambda: framed(fw, fh, draw)


def secondary_button(fw, fh, r):
    def draw(cv, ox, st):
        face, rim = SECONDARY[st]
        fill(cv, solid(rim), rrect(ox, 0, fw, fh, r))
        fill(cv, solid(face), rrect(ox + 1, 1, fw - 2, fh - 2, r - 1))
    return lambda: framed(fw, fh, draw)


def light_close(fw, inset, half, width):
    def draw(cv, ox, st):
        if st in ("hover", "pushed"):
            fill(cv, solid(rgb("#E1E7EE" if st == "hover" else "#CCD5E0")),
                 rrect(ox + inset, inset, fw - 2 * inset, fw - 2 * inset, 4))
        fill(cv, solid(SLATE), *cross(ox + fw / 2.0, fw / 2.0, half, width),
             opacity=0.35 if st == "disabled" else 1.0)
    return lambda: framed(fw, fw, draw)


def img_progress_track():
    cv = Canvas(548, 4)
    fill(cv, solid(rgb("#D6DEE8")), rect(0, 0, 548, 4))
    return cv


def img_progress_fill():
    cv = Canvas(548, 4)
    fill(cv, linear(0, 0, rgb("#2A6FD6"), 548, 0, rgb("#3FA0FF")), rect(0, 0, 548, 4))
    return cv


def img_message_box():
    cv = Canvas(400, 180)
    fill(cv, solid(rgb("#D5DEE8")), rect(0, 0, 400, 180))
    fill(cv, solid(WHITE), rect(1, 1, 398, 178))
    fill(cv, solid(rgb("#EFF4F8")), rect(1, 1, 398, 35))
    fill(cv, solid(rgb("#E3E9F0")), rect(1, 36, 398, 1))
    return cv


def img_disable_mask():
    cv = Canvas(8, 8)
    fill(cv, solid((0.0, 0.0, 0.0, 110 / 255.0)), rect(0, 0, 8, 8))
    return cv


def img_disagree_panel():
    # Panel edge 2 px in and radius 6 keep every curve inside the 8 px
    # margins, so the stretched middle stays exact; the shadow drops lower.
    cv = Canvas(320, 360)
    sx0, sy0, sx1, sy1, sr = 3.0, 4.0, 317.0, 356.0, 5.0

    def shadow(px, py):
        dx = max(sx0 + sr - px, 0.0, px - (sx1 - sr))
        dy = max(sy0 + sr - py, 0.0, py - (sy1 - sr))
        t = min(1.0, max(0.0, (math.hypot(dx, dy) - sr) / 4.0))
        return fade(rgb("#1C2B40"), 0.16 * (1.0 - t) ** 2)
    fill(cv, field(shadow), rect(0, 0, 320, 360))
    fill(cv, solid(rgb("#DCE3EB")), rrect(2, 2, 316, 352, 6))
    fill(cv, solid(WHITE), rrect(3, 3, 314, 350, 5))
    fill(cv, solid(rgb("#EAF2FD")), rrect(3, 3, 314, 55, (5, 5, 0, 0)))
    fill(cv, solid(rgb("#DCE6F3")), rect(3, 58, 314, 1))
    return cv


def img_path_box():
    cv = Canvas(40, 28)
    fill(cv, solid(rgb("#C5D0DE")), rrect(0, 0, 40, 28, 2))
    fill(cv, solid(WHITE), rrect(1, 1, 38, 26, 1))
    return cv


IMAGES = {
    3: img_banner_close,
    4: img_banner_minimise,
    5: img_slide_shield,
    6: img_slide_radar,
    7: img_slide_lock,
    8: img_slide_speed,
    9: img_error_banner,
    10: img_start_overlay,
    11: chevron(up=False),
    12: chevron(up=True),
    13: lambda: disc_icon(48, 22, BLUE_DISC, glyph_bang),
    14: lambda: disc_icon(48, 22, BLUE_DISC, glyph_tick),
    15: lambda: disc_icon(48, 22, BLUE_DISC, glyph_info),
    16: lambda: disc_icon(48, 22, RED_DISC, glyph_bang),
    17: lambda: disc_icon(48, 22, BLUE_DISC, glyph_question),
    18: primary_button(260, 40, 4, 3),
    19: light_close(30, 3, 4, 1.8),
    20: img_progress_track,
    21: img_progress_fill,
    22: primary_button(160, 40, 5, 4),
    23: secondary_button(100, 32, 4),
    24: img_message_box,
    25: light_close(24, 2, 3.5, 1.7),
    26: primary_button(90, 30, 3, 3),
    27: secondary_button(90, 30, 3),
    28: img_disable_mask,
    29: img_disagree_panel,
    30: img_path_box,
    31: lambda: disc_icon(64, 23, BLUE_DISC, glyph_tick, halo=fade(rgb("#3F8CF0"), 0.45)),
    32: lambda: disc_icon(64, 23, RED_DISC, glyph_bang, halo=fade(rgb("#EA5A4F"), 0.40)),
}


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_art.py OUTDIR")
    global SCALE
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    for scale, offset in ((1, 0), (2, DOUBLE_SIZE_ID_OFFSET)):
        SCALE = scale
        for ident, make in IMAGES.items():
            with open(os.path.join(out, "%d.png" % (ident + offset)), "wb") as f:
                f.write(png_bytes(make()))


if __name__ == "__main__":
    main(sys.argv)
