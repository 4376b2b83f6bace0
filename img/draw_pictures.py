#!/usr/bin/python3
"""Draws the toolbar button pictures (16x16, 24-bit BMP) and the welcome dialog's logo
(41x41 JPEG) into this folder. Same input, same bytes: nothing random, no timestamps.

Run with Debian's Python (python3-numpy, python3-pil):  /usr/bin/python3 img/draw_pictures.py
"""
import math
import pathlib

import numpy as np
from PIL import Image, ImageDraw

HERE = pathlib.Path(__file__).resolve().parent
SIZE = 16

# The classic button face, so the pictures sit on the toolbar without a frame of their own.
FACE = (192, 192, 192)
BLACK = (0, 0, 0)
GREY = (96, 96, 96)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
BLUE = (0, 64, 224)
RED = (208, 0, 0)
GREEN = (0, 128, 0)
ORANGE = (240, 128, 0)


class Canvas:
    """A 16x16 picture with (0, 0) at the top left, drawn pixel by pixel without smoothing:
    at this size a crisp pixel reads better than a blurred one."""

    def __init__(self):
        self.pixels = np.zeros((SIZE, SIZE, 3), dtype=np.uint8)
        self.pixels[:, :] = FACE

    def dot(self, x, y, colour):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.pixels[y, x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with both corners included."""
        self.pixels[y0:y1 + 1, x0:x1 + 1] = colour

    def line(self, x0, y0, x1, y1, colour):
        """Bresenham's line, both ends included."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        error = dx + dy
        while True:
            self.dot(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            twice = 2 * error
            if twice >= dy:
                error += dy
                x0 += sx
            if twice <= dx:
                error += dx
                y0 += sy

    def curve(self, f, x0, x1, colour):
        """y = f(x) for x from x0 to x1, joined so that steep parts have no gaps."""
        points = [(x, int(round(f(x)))) for x in range(x0, x1 + 1)]
        for (xa, ya), (xb, yb) in zip(points, points[1:]):
            self.line(xa, ya, xb, yb, colour)

    def axes(self, colour=BLACK):
        """A vertical axis on the left and a horizontal one at the bottom."""
        self.line(1, 1, 1, 14, colour)
        self.line(1, 14, 14, 14, colour)

    def save(self, name):
        Image.fromarray(self.pixels, "RGB").save(HERE / name, format="BMP")


def histogram():
    c = Canvas()
    heights = [4, 8, 12, 9, 5]
    for i, h in enumerate(heights):
        x0 = 1 + 3 * i  # bars two pixels wide with a pixel between them
        c.rect(x0, 14 - h, x0 + 1, 13, BLUE)
        c.line(x0, 14 - h, x0 + 1, 14 - h, NAVY)  # the bar's top edge
    c.line(0, 14, 15, 14, BLACK)
    c.save("hist.bmp")


def crossing_curves():
    c = Canvas()
    c.axes()
    c.curve(lambda x: 13 - 11 * ((x - 2) / 12) ** 0.5, 2, 14, RED)  # rising, concave
    c.curve(lambda x: 2 + 11 * ((x - 2) / 12) ** 0.5, 2, 14, BLUE)  # falling, mirrored
    c.save("cmp.bmp")


def principal_direction():
    c = Canvas()
    c.axes(GREY)
    # A cloud stretched along the diagonal x + y = 16, on both sides of its first principal
    # direction, drawn as an arrow.
    for x, y in [(4, 10), (6, 8), (8, 6), (9, 4), (5, 13), (7, 11), (9, 10), (11, 8), (12, 6),
                 (13, 8), (6, 12), (10, 5)]:
        c.dot(x, y, BLACK)
    c.line(3, 13, 13, 3, RED)
    c.line(10, 3, 13, 3, RED)  # arrow head
    c.line(13, 3, 13, 6, RED)
    c.save("pca.bmp")


def mixed_signals():
    c = Canvas()
    # A sine wave above a square wave: the two sources a mixture is unmixed into.
    c.curve(lambda x: 4 - 2.5 * math.sin((x - 1) * 2 * math.pi / 7), 1, 14, BLUE)
    square = [13 if (x // 3) % 2 == 0 else 9 for x in range(1, 15)]
    for x, (ya, yb) in zip(range(1, 15), zip(square, square[1:] + [square[-1]])):
        c.line(x, ya, x + 1 if x < 14 else x, ya, RED)
        if ya != yb and x < 14:
            c.line(x + 1, ya, x + 1, yb, RED)
    c.line(0, 7, 15, 7, GREY)  # the line between the two panels
    c.save("ica.bmp")


def regression_line():
    c = Canvas()
    c.axes()
    c.line(2, 13, 14, 3, RED)
    # Observations scattered on both sides of the fitted line.
    for x, y in [(3, 10), (4, 13), (6, 9), (7, 12), (8, 8), (9, 10), (10, 5), (11, 8), (12, 3),
                 (13, 6), (5, 11)]:
        c.dot(x, y, BLUE)
    c.save("rlm.bmp")


def decaying_curve():
    c = Canvas()
    c.axes()
    c.curve(lambda x: 13 - 11 * math.exp(-(x - 2) / 2.6), 2, 14, GREEN)
    # The weights of an exponential moving average, as bars under the curve: newest first.
    for x in range(3, 14, 2):
        top = int(round(13 - 11 * math.exp(-(x - 2) / 2.6)))
        c.line(x, 13, x, min(13, top + 1), (128, 192, 128))
    c.curve(lambda x: 13 - 11 * math.exp(-(x - 2) / 2.6), 2, 14, GREEN)
    c.save("ewv.bmp")


def volatility_spike():
    c = Canvas()
    c.axes()
    # A series of returns, calm, then a burst of volatility that dies away: an ARCH picture.
    ys = [8, 7, 8, 7, 8, 2, 13, 4, 11, 6, 10, 7, 8]
    for x, (ya, yb) in enumerate(zip(ys, ys[1:]), start=2):
        c.line(x, ya, x + 1, yb, RED if 6 <= x <= 11 else NAVY)
    c.save("arc.bmp")


def question_mark():
    c = Canvas()
    glyph = [
        "..XXXXX..",
        ".XXXXXXX.",
        "XXX...XXX",
        "XX.....XX",
        "......XXX",
        ".....XXX.",
        "....XXX..",
        "...XXX...",
        "...XX....",
        "...XX....",
        ".........",
        "...XX....",
        "...XX....",
    ]
    for row, text in enumerate(glyph):
        for col, ch in enumerate(text):
            if ch == "X":
                c.dot(4 + col, 1 + row, BLUE)
    c.save("hlp.bmp")


def welcome_logo():
    """The welcome dialog's heading picture: a navy disc with a white rising chart line and
    orange bars, drawn four times larger and reduced for smooth edges."""
    scale = 4
    size = 41 * scale
    picture = Image.new("RGB", (size, size), WHITE)
    draw = ImageDraw.Draw(picture)
    draw.ellipse((1 * scale, 1 * scale, 40 * scale - 1, 40 * scale - 1), fill=NAVY)
    for i, height in enumerate((8, 13, 18, 24)):
        x0 = (11 + 5 * i) * scale
        draw.rectangle((x0, (31 - height) * scale, x0 + 3 * scale, 31 * scale), fill=ORANGE)
    points = [(9, 26), (16, 21), (21, 23), (27, 14), (33, 9)]
    draw.line([(x * scale, y * scale) for x, y in points], fill=WHITE, width=2 * scale,
              joint="curve")
    draw.line((9 * scale, 32 * scale, 33 * scale, 32 * scale), fill=WHITE, width=scale)
    logo = picture.resize((41, 41), Image.LANCZOS)
    logo.save(HERE / "welcome.jpg", format="JPEG", quality=95, subsampling=0, optimize=False)


def main():
    histogram()
    crossing_curves()
    principal_direction()
    mixed_signals()
    regression_line()
    decaying_curve()
    volatility_spike()
    question_mark()
    welcome_logo()


if __name__ == "__main__":
    main()
