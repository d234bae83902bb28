#!/usr/bin/python3
"""Writes the small pictures the drawing tests know pixel by pixel (committed as BMP files)."""

import os

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))


def known():
    """4 x 2: the see-through key and its nearest neighbours above, plain colours below."""
    image = Image.new("RGB", (4, 2))
    row0 = [(255, 255, 255), (254, 255, 255), (255, 254, 255), (255, 255, 254)]
    row1 = [(0, 0, 0), (127, 127, 127), (255, 0, 0), (1, 2, 3)]
    for x, color in enumerate(row0):
        image.putpixel((x, 0), color)
    for x, color in enumerate(row1):
        image.putpixel((x, 1), color)
    return image


def filmstrip_color(x, y):
    if (x + 2 * y) % 7 == 0:
        return (255, 255, 255)
    return (x * 5, y * 5, 90)


def filmstrip():
    """50 x 48, every pixel its own colour except a scattering of see-through white ones."""
    image = Image.new("RGB", (50, 48))
    for y in range(48):
        for x in range(50):
            image.putpixel((x, y), filmstrip_color(x, y))
    return image


if __name__ == "__main__":
    known().save(os.path.join(HERE, "known.bmp"), "BMP")
    filmstrip().save(os.path.join(HERE, "filmstrip.bmp"), "BMP")
