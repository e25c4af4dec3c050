#!/usr/bin/env python3
"""Draws the emulator's pictures into pictures/ (deterministic; rerun after changes).

avatar_NN_s.png 50x50 and avatar_NN.png 160x200 for people, page_NN_s.png /
page_NN.png for pages, group_NN.png / event_NN.png 50x50, and attachment
photos photo_WxH.png in several sizes, one of them narrower than 40 pixels.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from png import Canvas  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pictures")

BACKGROUNDS = [(59, 89, 152), (109, 132, 180), (66, 133, 120), (170, 92, 72),
               (120, 90, 150), (200, 150, 60), (70, 110, 70), (150, 60, 90),
               (60, 130, 170), (140, 140, 140), (180, 110, 40), (90, 70, 60)]
SKIN = [(246, 214, 190), (226, 182, 150), (190, 140, 105), (141, 96, 70)]
HAIR = [(60, 40, 30), (20, 20, 20), (150, 100, 50), (220, 190, 120), (120, 60, 30),
        (170, 170, 170)]
SHIRT = [(230, 230, 230), (40, 60, 110), (160, 40, 40), (40, 120, 80), (240, 200, 80),
         (90, 90, 90)]

PHOTO_SIZES = [(320, 240), (200, 150), (130, 90), (90, 120), (128, 128), (600, 120),
               (100, 75), (40, 40), (39, 60)]


def avatar(index, width, height):
    c = Canvas(width, height, BACKGROUNDS[index % len(BACKGROUNDS)])
    s = width / 50.0
    cx = width / 2.0
    face_y = height * 0.42
    shirt = SHIRT[(index // 2) % len(SHIRT)]
    skin = SKIN[(index // 3) % len(SKIN)]
    hair = HAIR[(index * 5) % len(HAIR)]
    c.ellipse(cx, height + 4 * s, 22 * s, height * 0.45, shirt)      # shoulders
    c.rect(cx - 4 * s, face_y + 8 * s, cx + 4 * s, face_y + 16 * s, skin)  # neck
    if index % 3 == 1:  # long hair behind the face
        c.ellipse(cx, face_y + 4 * s, 14 * s, 16 * s, hair)
    c.ellipse(cx, face_y, 11 * s, 13 * s, skin)                      # face
    c.ellipse(cx, face_y - 9 * s, 11.5 * s, 6 * s, hair)             # hair on top
    c.circle(cx - 4 * s, face_y, 1.4 * s, (40, 30, 30))
    c.circle(cx + 4 * s, face_y, 1.4 * s, (40, 30, 30))
    c.rect(cx - 3 * s, face_y + 6 * s, cx + 3 * s, face_y + 7 * s, (150, 70, 70))
    # a small mark in the corner tells look-alikes apart
    mark = [(255, 255, 255), (255, 220, 0), (0, 0, 0), (255, 120, 120)][index % 4]
    kind = (index // 4) % 4
    mx, my, r = width - 7 * s, 7 * s, 4 * s
    if kind == 0:
        c.circle(mx, my, r, mark)
    elif kind == 1:
        c.rect(mx - r, my - r, mx + r, my + r, mark)
    elif kind == 2:
        c.polygon([(mx, my - r), (mx + r, my + r), (mx - r, my + r)], mark)
    else:
        c.polygon([(mx, my - r), (mx + r, my), (mx, my + r), (mx - r, my)], mark)
    return c


def page_logo(index, size):
    colour = BACKGROUNDS[(index * 5 + 3) % len(BACKGROUNDS)]
    c = Canvas(size, size, (250, 250, 245))
    s = size / 50.0
    c.rect(5 * s, 5 * s, 45 * s, 45 * s, colour)
    if index % 2 == 0:
        c.circle(25 * s, 25 * s, 13 * s, (255, 255, 255))
        c.circle(25 * s, 25 * s, 7 * s, colour)
    else:
        c.polygon([(25 * s, 10 * s), (40 * s, 38 * s), (10 * s, 38 * s)], (255, 255, 255))
    for k in range(index % 4):
        c.rect((10 + 8 * k) * s, 41 * s, (15 + 8 * k) * s, 43 * s, (255, 255, 255))
    return c


def group_icon(index):
    c = Canvas(50, 50, (225, 232, 245))
    for k, x in enumerate((14, 36, 25)):
        col = SHIRT[(index + k) % len(SHIRT)]
        y = 30 if k < 2 else 34
        c.ellipse(x, y + 14, 9, 10, col)
        c.circle(x, y - 3, 6, SKIN[(index + k) % len(SKIN)])
    return c


def event_icon(index):
    c = Canvas(50, 50, (255, 255, 255))
    c.rect(6, 8, 44, 44, (230, 230, 230))
    c.rect(6, 8, 44, 18, (200, 50, 50) if index % 2 == 0 else (50, 100, 190))
    c.rect(14, 4, 17, 12, (80, 80, 80))
    c.rect(33, 4, 36, 12, (80, 80, 80))
    for row in range(3):
        for col in range(4):
            c.rect(10 + col * 9, 22 + row * 7, 16 + col * 9, 27 + row * 7, (160, 160, 160))
    return c


def photo(width, height, index):
    c = Canvas(width, height)
    horizon = int(height * 0.6)
    c.vgradient((90 + 20 * (index % 3), 150, 220), (200, 225, 250), 0, horizon)
    c.vgradient((70, 140 - 10 * (index % 4), 60), (40, 90, 40), horizon, height)
    c.circle(width * 0.78, height * 0.22, max(2, min(width, height) * 0.1), (255, 230, 120))
    c.polygon([(0, horizon), (width * 0.3, height * 0.3), (width * 0.6, horizon)],
              (110, 110, 130))
    c.polygon([(width * 0.4, horizon), (width * 0.7, height * 0.4), (width, horizon)],
              (140, 140, 160))
    return c


def write(name, canvas):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(canvas.png())


def main():
    os.makedirs(OUT, exist_ok=True)
    for i in range(48):
        write("avatar_%02d_s.png" % i, avatar(i, 50, 50))
        write("avatar_%02d.png" % i, avatar(i, 160, 200))
    for i in range(6):
        write("page_%02d_s.png" % i, page_logo(i, 50))
        write("page_%02d.png" % i, page_logo(i, 180))
    for i in range(2):
        write("group_%02d.png" % i, group_icon(i))
        write("event_%02d.png" % i, event_icon(i))
    for i, (w, h) in enumerate(PHOTO_SIZES):
        write("photo_%dx%d.png" % (w, h), photo(w, h, i))


if __name__ == "__main__":
    main()
