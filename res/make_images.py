#!/usr/bin/env python3
"""Draws every picture of Orv's resources from simple vector shapes.

Writes the icons (res/icons/*.ico) and the MENUICONS images (res/menuicons/*) that
res/orv.rc includes. Shapes live in a unit square and are rendered with 4 x 4
supersampling, so one drawing serves every size. PNG and ICO are written here; the
GIF and JPEG images are converted from our own PNGs with ImageMagick's `convert`,
flattened onto white (the program's decoder puts transparent areas on white anyway).

Run from anywhere: python3 res/make_images.py
"""
import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 4

# The palette shared by all pictures.
BLUE = (59, 89, 152, 255)
BLUE_LIGHT = (139, 157, 195, 255)
SKY = (74, 163, 223, 255)
WHITE = (255, 255, 255, 255)
RED = (214, 57, 48, 255)
GREEN = (67, 160, 71, 255)
YELLOW = (247, 190, 40, 255)
ORANGE = (236, 124, 32, 255)
GREY = (120, 124, 132, 255)
GREY_LIGHT = (214, 217, 222, 255)
DARK = (52, 56, 64, 255)
BROWN = (150, 104, 58, 255)


# ---------------------------------------------------------------- shapes

class Shape:
    def __init__(self, colour):
        self.colour = colour

    def contains(self, x, y):
        raise NotImplementedError


class Circle(Shape):
    def __init__(self, cx, cy, r, colour):
        super().__init__(colour)
        self.cx, self.cy, self.r2 = cx, cy, r * r

    def contains(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r2


class Ring(Shape):
    def __init__(self, cx, cy, outer, inner, colour, a0=None, a1=None):
        super().__init__(colour)
        self.cx, self.cy, self.o2, self.i2 = cx, cy, outer * outer, inner * inner
        self.a0, self.a1 = a0, a1  # degrees, counter-clockwise from the right

    def contains(self, x, y):
        d2 = (x - self.cx) ** 2 + (y - self.cy) ** 2
        if not (self.i2 <= d2 <= self.o2):
            return False
        if self.a0 is None:
            return True
        a = math.degrees(math.atan2(self.cy - y, x - self.cx)) % 360
        lo, hi = self.a0 % 360, self.a1 % 360
        return lo <= a <= hi if lo <= hi else (a >= lo or a <= hi)


class Ellipse(Shape):
    def __init__(self, cx, cy, rx, ry, colour):
        super().__init__(colour)
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry

    def contains(self, x, y):
        return ((x - self.cx) / self.rx) ** 2 + ((y - self.cy) / self.ry) ** 2 <= 1


class RRect(Shape):
    def __init__(self, x0, y0, x1, y1, r, colour):
        super().__init__(colour)
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r

    def contains(self, x, y):
        if not (self.x0 <= x <= self.x1 and self.y0 <= y <= self.y1):
            return False
        r = self.r
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Poly(Shape):
    def __init__(self, points, colour):
        super().__init__(colour)
        self.points = points

    def contains(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Line(Shape):
    """A segment with round caps."""

    def __init__(self, x0, y0, x1, y1, width, colour):
        super().__init__(colour)
        self.x0, self.y0, self.dx, self.dy = x0, y0, x1 - x0, y1 - y0
        self.l2 = self.dx ** 2 + self.dy ** 2
        self.h2 = (width / 2) ** 2

    def contains(self, x, y):
        t = 0 if self.l2 == 0 else ((x - self.x0) * self.dx + (y - self.y0) * self.dy) / self.l2
        t = min(1, max(0, t))
        return (x - self.x0 - t * self.dx) ** 2 + (y - self.y0 - t * self.dy) ** 2 <= self.h2


class Both(Shape):
    """Inside `a` and inside `b` (b's colour is ignored)."""

    def __init__(self, a, b):
        super().__init__(a.colour)
        self.a, self.b = a, b

    def contains(self, x, y):
        return self.a.contains(x, y) and self.b.contains(x, y)


class Without(Shape):
    """Inside `a` but not inside `b`."""

    def __init__(self, a, b):
        super().__init__(a.colour)
        self.a, self.b = a, b

    def contains(self, x, y):
        return self.a.contains(x, y) and not self.b.contains(x, y)


def star(cx, cy, outer, inner, colour, points=5):
    pts = []
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = math.pi / 2 + i * math.pi / points
        pts.append((cx + r * math.cos(a), cy - r * math.sin(a)))
    return Poly(pts, colour)


def arrow_head(x, y, angle_deg, size, colour):
    """A triangle pointing along angle (degrees, counter-clockwise from the right)."""
    a = math.radians(angle_deg)
    tip = (x + size * math.cos(a), y - size * math.sin(a))
    left = (x + size * 0.9 * math.cos(a + 2.3), y - size * 0.9 * math.sin(a + 2.3))
    right = (x + size * 0.9 * math.cos(a - 2.3), y - size * 0.9 * math.sin(a - 2.3))
    return Poly([tip, left, right], colour)


# ---------------------------------------------------------------- rendering

def render(shapes, size, background=None):
    """RGBA rows (bytes) of the shapes drawn in order on a size x size canvas."""
    rows = []
    n = SS * SS
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SS):
                v = (py + (sy + 0.5) / SS) / size
                for sx in range(SS):
                    u = (px + (sx + 0.5) / SS) / size
                    cr, cg, cb, ca = background or (0, 0, 0, 0)
                    ca /= 255.0
                    for s in shapes:
                        if s.contains(u, v):
                            sr, sg, sb, sa = s.colour
                            sa /= 255.0
                            out = sa + ca * (1 - sa)
                            if out > 0:
                                cr = (sr * sa + cr * ca * (1 - sa)) / out
                                cg = (sg * sa + cg * ca * (1 - sa)) / out
                                cb = (sb * sa + cb * ca * (1 - sa)) / out
                            ca = out
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a > 0:
                row += bytes((round(r / a), round(g / a), round(b / a), round(a * 255 / n)))
            else:
                row += bytes((0, 0, 0, 0))
        rows.append(bytes(row))
    return rows


def png_bytes(rows, size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico_bytes(images):
    """An icon file of 32-bit DIB entries (with their AND masks) for (size, rows) pairs."""
    entries = []
    for size, rows in images:
        xor = bytearray()
        for row in reversed(rows):  # bottom-up
            for i in range(0, len(row), 4):
                r, g, b, a = row[i:i + 4]
                xor += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x in range(size):
                if row[x * 4 + 3] < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        entries.append((size, header + bytes(xor) + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in entries:
        out += data
    return out


# ---------------------------------------------------------------- the program's mark

def logo(badge=None):
    """A blue tile with a white speech ring: the program's mark, with an optional badge."""
    shapes = [
        RRect(0.04, 0.04, 0.96, 0.96, 0.2, BLUE),
        Poly([(0.26, 0.62), (0.18, 0.88), (0.46, 0.74)], WHITE),
        Ring(0.5, 0.48, 0.32, 0.16, WHITE),
    ]
    if badge:
        shapes += [Circle(0.76, 0.24, 0.24, WHITE), Circle(0.76, 0.24, 0.185, badge)]
    return shapes


def busy_logo():
    shapes = logo(GREEN)
    shapes += [Line(0.76, 0.15, 0.76, 0.27, 0.07, WHITE), arrow_head(0.76, 0.27, -90, 0.09, WHITE)]
    return shapes


# ---------------------------------------------------------------- tool-bar drawings

def person(cx, cy, scale, colour):
    return [Circle(cx, cy - 0.2 * scale, 0.16 * scale, colour),
            Both(Circle(cx, cy + 0.34 * scale, 0.34 * scale, colour),
                 RRect(0, 0, 1, cy + 0.3 * scale, 0, colour))]


def bubble(x0, y0, x1, y1, colour, tail_left=True):
    tx = x0 + (x1 - x0) * (0.25 if tail_left else 0.75)
    return [RRect(x0, y0, x1, y1, (y1 - y0) * 0.3, colour),
            Poly([(tx - 0.08, y1 - 0.02), (tx + 0.06, y1 - 0.02), (tx - 0.12, y1 + 0.14)], colour)]


def circular_arrow(colour, width=0.13, cx=0.5, cy=0.5, r=0.3):
    return [Ring(cx, cy, r + width / 2, r - width / 2, colour, 100, 350),
            arrow_head(cx + r * math.cos(math.radians(100)) - 0.02, cy - r * math.sin(math.radians(100)), 180,
                       width * 1.55, colour)]


def toolbar_drawings():
    cloud = [Circle(0.5, 0.66, 0.17, GREY), Circle(0.7, 0.6, 0.2, GREY), RRect(0.33, 0.64, 0.9, 0.86, 0.11, GREY),
             Circle(0.5, 0.66, 0.14, WHITE), Circle(0.7, 0.6, 0.17, WHITE), RRect(0.36, 0.67, 0.87, 0.83, 0.08, WHITE)]
    sun_rays = [Line(0.36 + 0.27 * math.cos(a), 0.38 + 0.27 * math.sin(a), 0.36 + 0.34 * math.cos(a),
                     0.38 + 0.34 * math.sin(a), 0.06, ORANGE) for a in [i * math.pi / 4 for i in range(8)]]
    return {
        107: logo(),
        163: [Circle(0.5, 0.5, 0.46, SKY)] + bubble(0.2, 0.26, 0.8, 0.66, WHITE)
        + [Circle(x, 0.46, 0.05, SKY) for x in (0.36, 0.5, 0.64)],
        162: [Circle(0.5, 0.5, 0.46, RED), Line(0.5, 0.28, 0.5, 0.72, 0.13, WHITE),
              Line(0.28, 0.5, 0.72, 0.5, 0.13, WHITE)],
        161: [Circle(0.42, 0.42, 0.34, WHITE), Ring(0.42, 0.42, 0.34, 0.23, BLUE),
              Line(0.66, 0.66, 0.88, 0.88, 0.15, BLUE), Circle(0.42, 0.42, 0.11, GREEN)],
        164: [RRect(0.06, 0.2, 0.94, 0.8, 0.18, RED), Poly([(0.41, 0.34), (0.41, 0.66), (0.68, 0.5)], WHITE)],
        175: sun_rays + [Circle(0.36, 0.38, 0.2, YELLOW)] + cloud,
        157: [Circle(0.5, 0.5, 0.46, BLUE), Line(0.36, 0.5, 0.72, 0.5, 0.13, WHITE),
              arrow_head(0.42, 0.5, 180, 0.2, WHITE)],
        159: [Circle(0.5, 0.5, 0.46, BLUE), Line(0.28, 0.5, 0.64, 0.5, 0.13, WHITE),
              arrow_head(0.58, 0.5, 0, 0.2, WHITE)],
        160: [Circle(0.5, 0.5, 0.46, GREEN)] + circular_arrow(WHITE, 0.11, r=0.24),
        158: [Circle(0.5, 0.5, 0.46, RED), Line(0.33, 0.33, 0.67, 0.67, 0.13, WHITE),
              Line(0.67, 0.33, 0.33, 0.67, 0.13, WHITE)],
        182: [RRect(0.1, 0.08, 0.74, 0.92, 0.08, GREY), RRect(0.14, 0.12, 0.7, 0.88, 0.05, WHITE)]
        + [Line(0.24, y, 0.58, y, 0.05, BLUE_LIGHT) for y in (0.3, 0.44, 0.58)]
        + [Line(0.46, 0.84, 0.86, 0.34, 0.16, ORANGE), Line(0.46, 0.84, 0.86, 0.34, 0.06, YELLOW),
           Poly([(0.38, 0.94), (0.4, 0.76), (0.52, 0.86)], DARK)],
        176: [star(0.5, 0.52, 0.48, 0.21, ORANGE), star(0.5, 0.52, 0.38, 0.16, YELLOW)],
    }


# ---------------------------------------------------------------- menu icons

def page(x0=0.18, x1=0.82, lines=BLUE_LIGHT):
    return [RRect(x0, 0.06, x1, 0.94, 0.06, GREY), RRect(x0 + 0.07, 0.13, x1 - 0.07, 0.87, 0.03, WHITE)] + \
        [Line(x0 + 0.17, y, x1 - 0.17, y, 0.09, lines) for y in (0.33, 0.51, 0.69)]


def gear(colour):
    teeth = []
    for i in range(8):
        a = i * math.pi / 4
        c, s = math.cos(a), math.sin(a)
        pts = [(0.5 + c * 0.28 - s * 0.08, 0.5 + s * 0.28 + c * 0.08), (0.5 + c * 0.46 - s * 0.07, 0.5 + s * 0.46 + c * 0.07),
               (0.5 + c * 0.46 + s * 0.07, 0.5 + s * 0.46 - c * 0.07), (0.5 + c * 0.28 + s * 0.08, 0.5 + s * 0.28 - c * 0.08)]
        teeth.append(Poly(pts, colour))
    hole = Circle(0.5, 0.5, 0.13, colour)
    return [Without(t, hole) for t in teeth] + [Ring(0.5, 0.5, 0.34, 0.13, colour)]


def globe(colour):
    return [Circle(0.5, 0.5, 0.44, colour),
            Without(Ellipse(0.5, 0.5, 0.22, 0.44, WHITE), Ellipse(0.5, 0.5, 0.14, 0.38, WHITE)),
            Line(0.1, 0.5, 0.9, 0.5, 0.07, WHITE), Line(0.5, 0.08, 0.5, 0.92, 0.07, WHITE),
            Both(Line(0.14, 0.3, 0.86, 0.3, 0.06, WHITE), Circle(0.5, 0.5, 0.4, WHITE)),
            Both(Line(0.14, 0.7, 0.86, 0.7, 0.06, WHITE), Circle(0.5, 0.5, 0.4, WHITE))]


def menu_drawings():
    chain = [Without(Line(0.18, 0.62, 0.5, 0.3, 0.32, GREY), Line(0.18, 0.62, 0.5, 0.3, 0.14, GREY)),
             Without(Line(0.5, 0.7, 0.82, 0.38, 0.32, BLUE), Line(0.5, 0.7, 0.82, 0.38, 0.14, BLUE))]
    return {
        131: [Ring(0.5, 0.54, 0.38, 0.25, RED, 125, 415), Line(0.5, 0.1, 0.5, 0.5, 0.14, RED)],
        132: page(),
        133: [RRect(0.08, 0.44, 0.28, 0.92, 0.04, BLUE), RRect(0.34, 0.42, 0.9, 0.92, 0.12, BLUE),
              Line(0.44, 0.46, 0.58, 0.12, 0.18, BLUE)],
        134: person(0.45, 0.5, 1.0, GREY) + [Line(0.14, 0.86, 0.86, 0.14, 0.12, RED)],
        135: bubble(0.08, 0.14, 0.92, 0.7, BLUE) + [Line(0.24, y, 0.76, y, 0.08, WHITE) for y in (0.32, 0.5)],
        136: [RRect(0.06, 0.16, 0.94, 0.84, 0.06, DARK), RRect(0.2, 0.32, 0.8, 0.68, 0.03, SKY)]
        + [RRect(x, y, x + 0.09, y + 0.07, 0.01, WHITE) for x in (0.14, 0.34, 0.54, 0.74) for y in (0.2, 0.73)],
        137: logo(),
        139: [Circle(0.5, 0.5, 0.22, GREY)],
        141: [Circle(0.5, 0.5, 0.2, ORANGE), Ring(0.5, 0.5, 0.44, 0.33, ORANGE)],
        142: [Poly([(0.2, 0.72), (0.28, 0.42), (0.36, 0.22), (0.5, 0.14), (0.64, 0.22), (0.72, 0.42), (0.8, 0.72),
                    (0.88, 0.8), (0.12, 0.8)], YELLOW), Circle(0.5, 0.86, 0.1, ORANGE), Circle(0.5, 0.13, 0.06, ORANGE)],
        144: [RRect(0.06, 0.2, 0.94, 0.8, 0.06, BLUE), RRect(0.12, 0.26, 0.88, 0.74, 0.03, WHITE),
              Line(0.14, 0.3, 0.5, 0.56, 0.08, BLUE), Line(0.86, 0.3, 0.5, 0.56, 0.08, BLUE)],
        147: person(0.5, 0.5, 1.15, BLUE),
        148: [Line(0.14, 0.5, 0.6, 0.5, 0.18, GREEN), arrow_head(0.56, 0.5, 0, 0.34, GREEN)],
        149: page(lines=GREY_LIGHT),
        150: chain,
        151: [RRect(0.08, 0.12, 0.92, 0.92, 0.08, GREY), RRect(0.13, 0.34, 0.87, 0.87, 0.03, WHITE),
              RRect(0.08, 0.12, 0.92, 0.34, 0.06, RED)]
        + [RRect(x, y, x + 0.14, y + 0.12, 0.02, BLUE_LIGHT) for x in (0.2, 0.43, 0.66) for y in (0.43, 0.65)],
        152: gear(GREY),
        153: [Circle(0.5, 0.5, 0.44, GREEN), Line(0.28, 0.52, 0.44, 0.68, 0.12, WHITE),
              Line(0.44, 0.68, 0.74, 0.34, 0.12, WHITE)],
        155: [Poly([(0.5, 0.08), (0.94, 0.5), (0.06, 0.5)], RED), RRect(0.18, 0.44, 0.82, 0.92, 0.02, BLUE),
              RRect(0.42, 0.62, 0.58, 0.92, 0.02, WHITE)],
        168: [star(0.5, 0.54, 0.46, 0.2, YELLOW)],
        169: globe(BLUE),
        171: circular_arrow(GREEN, 0.15, r=0.3),
        172: [Circle(0.5, 0.5, 0.46, BLUE), Circle(0.5, 0.27, 0.08, WHITE), Line(0.5, 0.45, 0.5, 0.76, 0.14, WHITE)],
        173: [Line(0.12, y, 0.88, y, 0.08, GREY) for y in (0.22, 0.5, 0.78)]
        + [Circle(x, y, 0.12, BLUE) for x, y in ((0.66, 0.22), (0.32, 0.5), (0.58, 0.78))],
        174: [RRect(0.14, 0.1, 0.86, 0.94, 0.08, BROWN), RRect(0.22, 0.2, 0.78, 0.88, 0.02, WHITE),
              RRect(0.36, 0.04, 0.64, 0.18, 0.04, GREY)]
        + [Line(0.32, y, 0.68, y, 0.07, BLUE_LIGHT) for y in (0.38, 0.54, 0.7)],
        177: person(0.64, 0.44, 0.85, BLUE_LIGHT) + person(0.4, 0.56, 0.95, BLUE),
        178: bubble(0.3, 0.3, 0.96, 0.72, BLUE_LIGHT, False) + bubble(0.04, 0.1, 0.68, 0.52, BLUE),
        179: bubble(0.06, 0.12, 0.94, 0.68, BLUE) + [Line(0.3, 0.4, 0.44, 0.54, 0.11, WHITE),
                                                    Line(0.44, 0.54, 0.7, 0.26, 0.11, WHITE)],
        180: page(0.08, 0.7) + [Ring(0.62, 0.6, 0.24, 0.15, DARK), Circle(0.62, 0.6, 0.15, (255, 255, 255, 200)),
                                Line(0.79, 0.77, 0.94, 0.92, 0.12, DARK)],
        181: [Ring(0.3, 0.5, 0.24, 0.11, YELLOW), Line(0.5, 0.5, 0.92, 0.5, 0.12, YELLOW),
              Line(0.74, 0.5, 0.74, 0.7, 0.1, YELLOW), Line(0.86, 0.5, 0.86, 0.66, 0.1, YELLOW)],
        183: [RRect(0.04, 0.14, 0.96, 0.86, 0.06, GREY), RRect(0.1, 0.2, 0.9, 0.8, 0.02, SKY),
              Both(Poly([(0.1, 0.8), (0.38, 0.4), (0.56, 0.64), (0.68, 0.5), (0.9, 0.8)], GREEN),
                   RRect(0.1, 0.2, 0.9, 0.8, 0.02, GREEN)), Circle(0.72, 0.34, 0.08, YELLOW)],
    }


MENU_FORMATS = {
    "jpg": (131, 170, 172, 174),
    "gif": (132, 133, 134, 135, 136, 137, 177, 180),
    "png": (139, 141, 142, 144, 147, 148, 149, 150, 151, 152, 153, 155, 168, 169, 171, 173, 178, 179, 181, 183),
}

TRAY_ICONS = {130: logo(), 143: logo(RED), 138: busy_logo(), 156: logo(YELLOW)}


def menu_drawing(number, drawings):
    if number == 170:  # sign out: the exit mark in the program's blue
        return [Ring(0.5, 0.54, 0.38, 0.25, BLUE, 125, 415), Line(0.5, 0.1, 0.5, 0.5, 0.14, BLUE)]
    return drawings[number]


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    icons = os.path.join(HERE, "icons")
    menu = os.path.join(HERE, "menuicons")
    os.makedirs(icons, exist_ok=True)
    os.makedirs(menu, exist_ok=True)

    for number, shapes in TRAY_ICONS.items():
        write(os.path.join(icons, f"{number}.ico"), ico_bytes([(s, render(shapes, s)) for s in (16, 32, 48)]))
    for number, shapes in toolbar_drawings().items():
        if number == 107:  # the program's icon: also the window's large icon
            sizes = (16, 32, 48)
        else:
            sizes = (16, 32)
        write(os.path.join(icons, f"{number}.ico"), ico_bytes([(s, render(shapes, s)) for s in sizes]))

    drawings = menu_drawings()
    with tempfile.TemporaryDirectory() as tmp:
        for ext, numbers in MENU_FORMATS.items():
            for number in numbers:
                data = png_bytes(render(menu_drawing(number, drawings), 16), 16)
                target = os.path.join(menu, f"{number}.{ext}")
                if ext == "png":
                    write(target, data)
                    continue
                source = os.path.join(tmp, f"{number}.png")
                write(source, data)
                extra = ["-quality", "95"] if ext == "jpg" else []
                subprocess.run(["convert", source, "-background", "white", "-flatten", "-strip"] + extra + [target],
                               check=True)
    # A sheet of everything, for looking at the drawings (not a resource).
    if "--sheet" in sys.argv:
        sheet = os.path.join(HERE, "..", "build", "images_sheet.png")
        files = [os.path.join(icons, f) for f in sorted(os.listdir(icons))]
        files += [os.path.join(menu, f) for f in sorted(os.listdir(menu))]
        subprocess.run(["montage"] + [f + "[-1]" if f.endswith(".ico") else f for f in files]
                       + ["-tile", "12x", "-geometry", "64x64+4+4", "-filter", "point", "-background", "#e0dbd9",
                          sheet], check=True)
        print(sheet)


if __name__ == "__main__":
    main()
