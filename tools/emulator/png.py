"""A tiny RGB canvas and PNG writer (zlib + struct only)."""

import math
import struct
import zlib


class Canvas:
    def __init__(self, width, height, colour=(255, 255, 255)):
        self.width = width
        self.height = height
        self.px = bytearray(bytes(colour) * (width * height))

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            i = (y * self.width + x) * 3
            if alpha >= 1:
                self.px[i:i + 3] = bytes(colour)
            else:
                for k in range(3):
                    self.px[i + k] = int(self.px[i + k] * (1 - alpha) + colour[k] * alpha + 0.5)

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, int(y0)), min(self.height, int(y1))):
            i = (y * self.width + max(0, int(x0))) * 3
            n = min(self.width, int(x1)) - max(0, int(x0))
            if n > 0:
                self.px[i:i + 3 * n] = bytes(colour) * n

    def vgradient(self, top, bottom, y0=0, y1=None):
        y1 = self.height if y1 is None else y1
        span = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            t = (y - y0) / span
            c = tuple(int(top[k] + (bottom[k] - top[k]) * t) for k in range(3))
            self.rect(0, y, self.width, y + 1, c)

    def ellipse(self, cx, cy, rx, ry, colour):
        """Filled ellipse with soft edges."""
        for y in range(max(0, int(cy - ry - 1)), min(self.height, int(cy + ry + 2))):
            for x in range(max(0, int(cx - rx - 1)), min(self.width, int(cx + rx + 2))):
                dx = (x + 0.5 - cx) / rx
                dy = (y + 0.5 - cy) / ry
                d = math.sqrt(dx * dx + dy * dy)
                edge = (1 - d) * min(rx, ry) + 0.5
                self.blend(x, y, colour, min(1.0, edge))

    def circle(self, cx, cy, r, colour):
        self.ellipse(cx, cy, r, r, colour)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        xs = [p[0] for p in points]
        for y in range(max(0, int(min(ys))), min(self.height, int(max(ys)) + 1)):
            for x in range(max(0, int(min(xs))), min(self.width, int(max(xs)) + 1)):
                if _inside(points, x + 0.5, y + 0.5):
                    self.blend(x, y, colour, 1)

    def png(self):
        raw = bytearray()
        stride = self.width * 3
        for y in range(self.height):
            raw.append(0)
            raw += self.px[y * stride:(y + 1) * stride]
        return (b"\x89PNG\r\n\x1a\n"
                + _chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
                + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + _chunk(b"IEND", b""))


def _inside(points, x, y):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def _chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png_size(data):
    """Width and height of a PNG, or None."""
    if len(data) < 24 or data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])
