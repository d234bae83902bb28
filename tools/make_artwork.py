#!/usr/bin/python3
"""Draws the editor's ten bitmaps (ids 1001 to 1010) into resources/bitmaps as 24-bit BMP files.

Run from anywhere: tools/make_artwork.py [output directory]. The output is deterministic, so
regenerating an unchanged script gives identical files; the files are committed.

The geometry mirrors the editor's layout table: every control's rectangle below must stay equal
to the one the editor uses, because the background carries the wells the controls sit in.
"""

import os
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/liberation2"
REGULAR = os.path.join(FONT_DIR, "LiberationSans-Regular.ttf")
BOLD = os.path.join(FONT_DIR, "LiberationSans-Bold.ttf")

WIDTH, HEIGHT = 330, 260

# Control rectangles (left, top, right, bottom) in window pixels, as the editor places them.
FADERS = [(38, 93, 50, 198), (76, 93, 88, 198), (114, 93, 126, 198), (152, 93, 164, 198),
          (190, 93, 202, 198)]
FADER_NAMES = ["Input", "Gain", "2nd", "3rd", "Mix"]
NUMBERS = [(33, 204, 56, 213), (72, 204, 93, 213), (110, 204, 131, 213), (147, 204, 168, 213),
           (185, 204, 206, 213)]
SOLO = (21, 59, 55, 76)
KICK = (64, 59, 98, 76)
CLIP_LAMP = (235, 44, 248, 57)
FREQUENCY_SWITCH = (108, 24, 158, 40)
DENSITY_SWITCH = (166, 24, 216, 40)
FREQUENCY_READOUT = (111, 63, 152, 73)
DENSITY_READOUT = (168, 63, 210, 73)
METERS = [(254, 71, 267, 199), (273, 71, 286, 199)]
LOGO = (10, 10, 100, 40)
VERSION_LINE = (56, 200, 140, 215)

HANDLE_W, HANDLE_H = 12, 15
METER_W, METER_H, METER_STEPS = 13, 128, 30

# Palette.
PANEL = np.array([52.0, 54.0, 59.0])
WELL = (17, 18, 21)
LABEL = (196, 201, 210)
LABEL_DIM = (128, 134, 146)
ACCENT = (255, 176, 56)
ACCENT_DIM = (96, 70, 34)


def font(path, size):
    return ImageFont.truetype(path, size)


def to_image(arr):
    return Image.fromarray(np.clip(np.rint(arr), 0, 255).astype(np.uint8), "RGB")


def to_array(image):
    return np.asarray(image.convert("RGB"), dtype=np.float64).copy()


def box_blur_rows(a, radius):
    """Blurs every row with a box of 2 * radius + 1, wrapping around."""
    k = 2 * radius + 1
    padded = np.concatenate([a[:, -radius:], a, a[:, :radius]], axis=1)
    c = np.cumsum(padded, axis=1)
    c = np.concatenate([np.zeros((a.shape[0], 1)), c], axis=1)
    return (c[:, k:] - c[:, :-k]) / k


def brushed(width, height, base, seed, grain=5.0, light=10.0):
    """A horizontally brushed metal plate, lit a little from the top."""
    rng = np.random.RandomState(seed)
    noise = rng.normal(0.0, 1.0, (height, width))
    streaks = noise
    for radius in (18, 9, 4):
        streaks = box_blur_rows(streaks, radius)
    streaks = streaks / (streaks.std() + 1e-9)
    fine = box_blur_rows(rng.normal(0.0, 1.0, (height, width)), 2)
    fine = fine / (fine.std() + 1e-9)
    rows = rng.normal(0.0, 1.0, (height, 1))
    texture = grain * (0.65 * streaks + 0.25 * fine + 0.35 * rows)
    y = np.linspace(0.0, 1.0, height)[:, None]
    x = np.linspace(-1.0, 1.0, width)[None, :]
    shading = light * (0.6 - y) + 3.0 * (1.0 - x * x) - 2.0
    return base[None, None, :] + (texture + shading)[:, :, None]


def supersampled_mask(width, height, draw, scale=4):
    """An anti-aliased coverage mask: draw(ImageDraw, scale) paints at scale times the size."""
    big = Image.new("L", (width * scale, height * scale), 0)
    draw(ImageDraw.Draw(big), scale)
    small = big.resize((width, height), Image.BOX)
    return np.asarray(small, dtype=np.float64) / 255.0


def rounded_mask(width, height, rect, radius):
    left, top, right, bottom = rect

    def paint(d, s):
        d.rounded_rectangle([left * s, top * s, right * s - 1, bottom * s - 1], radius * s,
                            fill=255)

    return supersampled_mask(width, height, paint)


def ellipse_mask(width, height, rect):
    left, top, right, bottom = rect

    def paint(d, s):
        d.ellipse([left * s, top * s, right * s - 1, bottom * s - 1], fill=255)

    return supersampled_mask(width, height, paint)


def blend(arr, mask, color):
    color = np.asarray(color, dtype=np.float64)
    m = np.clip(mask, 0.0, 1.0)[:, :, None]
    arr[:] = arr * (1.0 - m) + color[None, None, :] * m


def shade(arr, mask, amount):
    """Lightens (amount > 0) or darkens by mixing with white or black."""
    m = np.clip(mask, 0.0, 1.0)[:, :, None] * abs(amount)
    target = 255.0 if amount > 0 else 0.0
    arr[:] = arr * (1.0 - m) + target * m


def shifted(mask, dx, dy):
    out = np.zeros_like(mask)
    h, w = mask.shape
    ys = slice(max(dy, 0), h + min(dy, 0))
    xs = slice(max(dx, 0), w + min(dx, 0))
    yd = slice(max(-dy, 0), h + min(-dy, 0))
    xd = slice(max(-dx, 0), w + min(-dx, 0))
    out[ys, xs] = mask[yd, xd]
    return out


def recess(arr, rect, radius, depth=0.35, edge=0.5, fill=None):
    """A panel sunk into the plate: darker inside, shadow on its upper left inner edge and
    a highlight on the plate just below and right of it."""
    h, w = arr.shape[:2]
    mask = rounded_mask(w, h, rect, radius)
    if fill is None:
        shade(arr, mask, -depth)
    else:
        blend(arr, mask, fill)
    inner_shadow = np.clip(mask - shifted(mask, 1, 1), 0, 1)
    shade(arr, inner_shadow, -edge)
    outer_light = np.clip(shifted(mask, 1, 1) - mask, 0, 1)
    shade(arr, outer_light, 0.16)
    return mask


def raised(arr, rect, radius, light=0.18, dark=0.45):
    """A bevel that stands out of the plate."""
    h, w = arr.shape[:2]
    mask = rounded_mask(w, h, rect, radius)
    top_left = np.clip(mask - shifted(mask, 1, 1), 0, 1)
    bottom_right = np.clip(mask - shifted(mask, -1, -1), 0, 1)
    shade(arr, top_left, light)
    shade(arr, bottom_right, -dark)
    outer_shadow = np.clip(shifted(mask, 1, 1) - mask, 0, 1)
    shade(arr, outer_shadow, -0.35)
    return mask


def well(arr, rect, outline=1):
    """A flat dark well exactly around a control's pixels, with a one-pixel recessed rim."""
    left, top, right, bottom = rect
    outer = (left - outline, top - outline, right + outline, bottom + outline)
    recess(arr, outer, 1.5, fill=WELL, edge=0.0)
    blend_rect(arr, rect, WELL)


def blend_rect(arr, rect, color, alpha=1.0):
    left, top, right, bottom = rect
    color = np.asarray(color, dtype=np.float64)
    arr[top:bottom, left:right] = arr[top:bottom, left:right] * (1 - alpha) + color * alpha


def text_mask(width, height, text, typeface, x, y, anchor="la", spacing=0.0):
    """Coverage of text at (x, y); anchor as in Pillow ("mm" centres it). Letter-spaced text is
    drawn four times larger and reduced, so that the gaps stay even."""
    if not spacing:
        image = Image.new("L", (width, height), 0)
        ImageDraw.Draw(image).text((x, y), text, font=typeface, fill=255, anchor=anchor)
        return np.asarray(image, dtype=np.float64) / 255.0
    s = 4
    big_face = ImageFont.truetype(typeface.path, typeface.size * s)
    total = sum(big_face.getlength(c) for c in text) + spacing * s * (len(text) - 1)
    bx = x * s
    if anchor[0] == "m":
        bx -= total / 2.0
    elif anchor[0] == "r":
        bx -= total
    image = Image.new("L", (width * s, height * s), 0)
    d = ImageDraw.Draw(image)
    for c in text:
        d.text((bx, y * s), c, font=big_face, fill=255, anchor="l" + anchor[1])
        bx += big_face.getlength(c) + spacing * s
    small = image.resize((width, height), Image.BOX)
    return np.asarray(small, dtype=np.float64) / 255.0


def label(arr, text, typeface, x, y, color=LABEL, anchor="mm", spacing=0.0, shadow=0.55):
    """Light print on the plate, with a faint dark drop below it so it reads on the texture."""
    h, w = arr.shape[:2]
    mask = text_mask(w, h, text, typeface, x, y, anchor, spacing)
    shade(arr, shifted(mask, 0, 1) * (1 - mask), -shadow)
    blend(arr, mask, color)


def screw(arr, cx, cy, radius=3.5):
    h, w = arr.shape[:2]
    rect = (cx - radius, cy - radius, cx + radius, cy + radius)

    def paint(d, s):
        d.ellipse([rect[0] * s, rect[1] * s, rect[2] * s - 1, rect[3] * s - 1], fill=255)

    head = supersampled_mask(w, h, paint)
    shade(arr, shifted(head, 1, 1) * (1 - head), -0.45)
    ys, xs = np.mgrid[0:h, 0:w]
    light = np.clip(1.0 - ((xs - cx + 1.5) ** 2 + (ys - cy + 1.5) ** 2) / (radius * 2.2) ** 2, 0, 1)
    base = np.array([118.0, 121.0, 128.0])
    colored = base[None, None, :] + (light * 70.0 - 25.0)[:, :, None]
    m = head[:, :, None]
    arr[:] = arr * (1 - m) + colored * m

    def slot(d, s):
        d.line([(cx - radius * 0.75) * s, (cy + radius * 0.45) * s,
                (cx + radius * 0.75) * s, (cy - radius * 0.45) * s], fill=255, width=s)

    shade(arr, supersampled_mask(w, h, slot) * head, -0.65)


def diamond(arr, cx, top, size, glow=True):
    """The product's mark: a brilliant-cut stone seen from the side."""
    h, w = arr.shape[:2]
    half = size / 2.0
    crown = size * 0.34
    girdle_y = top + crown
    bottom = top + size * 1.02
    table = size * 0.28
    outline = [(cx - table, top), (cx + table, top), (cx + half, girdle_y), (cx, bottom),
               (cx - half, girdle_y)]
    facets = [
        ([(cx - table, top), (cx + table, top), (cx, girdle_y)], (255, 226, 160)),
        ([(cx - table, top), (cx - half, girdle_y), (cx, girdle_y)], (255, 190, 80)),
        ([(cx + table, top), (cx + half, girdle_y), (cx, girdle_y)], (214, 132, 34)),
        ([(cx - half, girdle_y), (cx, girdle_y), (cx, bottom)], (250, 170, 50)),
        ([(cx + half, girdle_y), (cx, girdle_y), (cx, bottom)], (160, 92, 20)),
    ]
    if glow:
        ys, xs = np.mgrid[0:h, 0:w]
        d2 = (xs - cx) ** 2 + (ys - (top + size * 0.45)) ** 2
        halo = np.exp(-d2 / (2.0 * (size * 0.75) ** 2)) * 0.22
        blend(arr, halo, ACCENT)
    for polygon, color in facets:

        def paint(d, s, polygon=polygon):
            d.polygon([(x * s, y * s) for x, y in polygon], fill=255)

        blend(arr, supersampled_mask(w, h, paint), color)

    def edge(d, s):
        points = [(x * s, y * s) for x, y in outline]
        d.line(points + [points[0]], fill=255, width=max(1, s // 2))
        d.line([(cx - half) * s, girdle_y * s, (cx + half) * s, girdle_y * s], fill=255,
               width=max(1, s // 2))

    blend(arr, supersampled_mask(w, h, edge) * 0.55, (255, 240, 200))


def fader_track(arr, rect):
    left, top, right, bottom = rect
    cx = (left + right) / 2.0
    travel_top = top + HANDLE_H / 2.0 - 1.5
    travel_bottom = bottom - HANDLE_H / 2.0 + 1.5
    slot = (int(cx - 2), int(travel_top), int(cx + 2), int(travel_bottom))
    recess(arr, slot, 2, fill=(8, 8, 10), edge=0.0)
    # Scale ticks on both sides, at every tenth of the travel; longer at the ends and middle.
    for i in range(11):
        y = top + HANDLE_H // 2 + int(round((bottom - top - HANDLE_H) * i / 10.0))
        long_tick = i in (0, 5, 10)
        length = 4 if long_tick else 2
        color = LABEL if long_tick else LABEL_DIM
        blend_rect(arr, (left - 2 - length, y, left - 2, y + 1), color, 0.8)
        blend_rect(arr, (right + 2, y, right + 2 + length, y + 1), color, 0.8)


def meter_rows():
    """Rows of each step from the top: the meter splits at trunc(k / steps * height)."""
    edges = [int(k / METER_STEPS * METER_H) for k in range(METER_STEPS + 1)]
    return [(edges[j], edges[j + 1]) for j in range(METER_STEPS)]


def step_color(j):
    """Step j counted from the top: red at 0 dB down to -1, amber to -6, green below."""
    if j <= 4:
        return np.array([255.0, 62.0, 44.0])
    if j <= 14:
        return np.array([255.0, 190.0, 40.0])
    return np.array([70.0, 230.0, 92.0])


def make_meter(lit):
    arr = np.zeros((METER_H, METER_W, 3)) + np.array(WELL, dtype=np.float64)
    for j, (y0, y1) in enumerate(meter_rows()):
        color = step_color(j)
        if lit:
            body = color * 0.92
            top_row = np.minimum(color * 1.08 + 30.0, 250.0)
            bottom_row = color * 0.62
        else:
            body = color * 0.16 + 10.0
            top_row = color * 0.22 + 14.0
            bottom_row = color * 0.12 + 8.0
        arr[y0:y1 - 1, 2:11] = body
        arr[y0, 2:11] = top_row
        arr[y1 - 2, 2:11] = bottom_row
        if lit:
            arr[y0:y1 - 1, 2] = body * 0.8
            arr[y0:y1 - 1, 10] = body * 0.75
            arr[y0 + 1:y1 - 2, 4:7] = np.minimum(body * 1.08 + 18.0, 250.0)
        else:
            arr[y0:y1 - 1, 2] = body * 0.85
            arr[y0:y1 - 1, 10] = body * 0.85
    return to_image(arr)


def meter_label_rows():
    """Window rows of the scale marks: the middle of the step each level lights last."""
    rows = meter_rows()
    top = METERS[0][1]
    marks = {"0": 0, "-1": 4, "-3": 9, "-6": 14, "-10": 19, "-18": 24}
    return {text: top + (rows[j][0] + rows[j][1] - 1) / 2.0 for text, j in marks.items()}


def make_background():
    arr = brushed(WIDTH, HEIGHT, PANEL, seed=1001)
    # The plate's own bevel.
    shade(arr, np.pad(np.ones((HEIGHT - 2, WIDTH - 2)), 1) * 0, 0)
    arr[0, :] = np.minimum(arr[0, :] + 45, 250)
    arr[:, 0] = np.minimum(arr[:, 0] + 35, 250)
    arr[HEIGHT - 1, :] *= 0.45
    arr[:, WIDTH - 1] *= 0.45
    arr[1, 1:] = np.minimum(arr[1, 1:] + 12, 250)

    for x, y in ((5, 5), (WIDTH - 6, 5), (5, HEIGHT - 6), (WIDTH - 6, HEIGHT - 6)):
        screw(arr, x, y)

    small = font(BOLD, 9)
    caption = font(BOLD, 10)

    # Header: mark and name in the logo area, which also opens the about screen.
    recess(arr, (LOGO[0] - 2, LOGO[1] - 1, LOGO[2] + 1, LOGO[3] + 1), 3, depth=0.30)
    diamond(arr, LOGO[0] + 9.5, LOGO[1] + 8, 14)
    label(arr, "Brillianteer", font(BOLD, 12), LOGO[0] + 21, LOGO[1] + 12, color=(236, 238, 242),
          anchor="lm")
    label(arr, "HARMONIC EXCITER", font(BOLD, 6), LOGO[0] + 21.5, LOGO[1] + 23.5, color=ACCENT,
          anchor="lm", spacing=0.35, shadow=0.3)

    # Solo and Kick.
    recess(arr, (8, 51, 101, 84), 4, depth=0.22)
    for rect in (SOLO, KICK):
        well(arr, rect)

    # Frequency and Density: step switch, caption, readout.
    recess(arr, (102, 13, 227, 80), 4, depth=0.22)
    for switch, readout, name in ((FREQUENCY_SWITCH, FREQUENCY_READOUT, "Frequency"),
                                  (DENSITY_SWITCH, DENSITY_READOUT, "Density")):
        well(arr, switch)
        cx = (readout[0] + readout[2] + 1) / 2.0
        label(arr, name, caption, cx, 51.5)
        well(arr, (readout[0], readout[1], readout[2] + 1, readout[3] + 1))
    for readout, unit in ((FREQUENCY_READOUT, "Hz"), (DENSITY_READOUT, "dB")):
        label(arr, unit, font(BOLD, 7), readout[2] + 4, (readout[1] + readout[3]) / 2.0 + 0.5,
              color=LABEL_DIM, anchor="lm", shadow=0.3)

    # Faders with their number fields and names.
    recess(arr, (8, 88, 227, 237), 5, depth=0.22)
    for rect, number, name in zip(FADERS, NUMBERS, FADER_NAMES):
        fader_track(arr, rect)
        well(arr, (number[0], number[1], number[2] + 1, number[3] + 1))
        label(arr, name, caption, (number[0] + number[2] + 1) / 2.0, 225.5)

    # Output: clip lamp and meters with their scale.
    recess(arr, (230, 13, 322, 237), 5, depth=0.22)
    label(arr, "Output", caption, 275, 24.5)
    shade(arr, np.pad(np.ones((1, 76)), ((30, HEIGHT - 31), (237, WIDTH - 313))), -0.35)
    shade(arr, np.pad(np.ones((1, 76)), ((31, HEIGHT - 32), (237, WIDTH - 313))), 0.10)
    lamp = CLIP_LAMP
    recess(arr, (lamp[0] - 2, lamp[1] - 2, lamp[2] + 2, lamp[3] + 2), 3, fill=WELL, edge=0.0)
    label(arr, "Int. Clip", caption, lamp[2] + 5, (lamp[1] + lamp[3]) / 2.0 - 0.5, anchor="lm")
    for rect in METERS:
        well(arr, rect)
    scale_x = METERS[1][2] + 3
    for text, y in meter_label_rows().items():
        row = int(round(y))
        blend_rect(arr, (scale_x - 1, row, scale_x + 2, row + 1), LABEL, 0.85)
        blend_rect(arr, (METERS[0][0] - 4, row, METERS[0][0] - 2, row + 1), LABEL_DIM, 0.85)
        blend_rect(arr, (METERS[0][2] + 1, row, METERS[1][0] - 1, row + 1), LABEL_DIM, 0.6)
        label(arr, text, small, scale_x + 20, y, anchor="rm", shadow=0.4)
    bottom = METERS[0][3] - 1
    blend_rect(arr, (scale_x - 1, bottom, scale_x + 2, bottom + 1), LABEL, 0.85)
    label(arr, "-\u221e", font(BOLD, 10), scale_x + 20, bottom - 0.5, anchor="rm", shadow=0.4)
    for rect, name in zip(METERS, ("L", "R")):
        label(arr, name, caption, (rect[0] + rect[2]) / 2.0, 208.5)

    # Maker's line.
    label(arr, "QUILLMERE", font(BOLD, 7), 275, 226.5, color=LABEL_DIM, spacing=1.2, shadow=0.3)
    return to_image(arr)


def make_about():
    arr = brushed(WIDTH, HEIGHT, np.array([30.0, 31.0, 35.0]), seed=1002, grain=4.0, light=14.0)
    arr[0, :] = np.minimum(arr[0, :] + 40, 250)
    arr[:, 0] = np.minimum(arr[:, 0] + 30, 250)
    arr[HEIGHT - 1, :] *= 0.4
    arr[:, WIDTH - 1] *= 0.4
    for x, y in ((5, 5), (WIDTH - 6, 5), (5, HEIGHT - 6), (WIDTH - 6, HEIGHT - 6)):
        screw(arr, x, y)

    recess(arr, (16, 16, WIDTH - 16, HEIGHT - 16), 8, depth=0.35)
    diamond(arr, WIDTH / 2.0, 34, 46)
    label(arr, "Brillianteer", font(BOLD, 30), WIDTH / 2.0, 107, color=(240, 241, 245))
    label(arr, "HARMONIC EXCITER", font(BOLD, 10), WIDTH / 2.0, 131, color=ACCENT, spacing=2.0)
    # A fine rule under the title.
    shade(arr, np.pad(np.ones((1, 180)), ((145, HEIGHT - 146), (75, WIDTH - 255))), 0.25)
    shade(arr, np.pad(np.ones((1, 180)), ((146, HEIGHT - 147), (75, WIDTH - 255))), -0.4)
    body = font(REGULAR, 10)
    label(arr, "Stereo harmonic exciter for mastering", body, WIDTH / 2.0, 160,
          color=LABEL)
    label(arr, "Second and third harmonics, look-ahead levelled", body, WIDTH / 2.0, 174,
          color=LABEL_DIM)
    # The version line is written at VERSION_LINE by the editor: keep it dark and plain.
    line = VERSION_LINE
    recess(arr, (line[0] - 6, line[1] - 3, WIDTH - line[0] + 6, line[3] + 3), 3,
           fill=(14, 15, 18), edge=0.0)
    label(arr, "\u00a9 2026 Quillmere. All rights reserved.", font(REGULAR, 9), WIDTH / 2.0, 232,
          color=LABEL_DIM, shadow=0.3)
    return to_image(arr)


def key(arr, rect, pressed, radius=2.5):
    """A small metal key; pressed keys sit lower and darker."""
    h, w = arr.shape[:2]
    mask = rounded_mask(w, h, rect, radius)
    left, top, right, bottom = rect
    ys = np.arange(h, dtype=np.float64)[:, None]
    t = np.clip((ys - top) / max(bottom - top - 1, 1), 0, 1)
    if pressed:
        top_color, bottom_color = np.array([44.0, 46.0, 51.0]), np.array([58.0, 60.0, 66.0])
    else:
        top_color, bottom_color = np.array([104.0, 107.0, 115.0]), np.array([66.0, 68.0, 75.0])
    face = top_color * (1 - t[:, :, None]) + bottom_color * t[:, :, None]
    face = np.broadcast_to(face, (h, w, 3))
    m = mask[:, :, None]
    arr[:] = arr * (1 - m) + face * m
    inner_top = np.clip(mask - shifted(mask, 0, 1), 0, 1)
    inner_bottom = np.clip(mask - shifted(mask, 0, -1), 0, 1)
    if pressed:
        shade(arr, inner_top, -0.5)
        shade(arr, inner_bottom, 0.08)
    else:
        shade(arr, inner_top, 0.35)
        shade(arr, inner_bottom, -0.45)
    return mask


def make_switch():
    """Three 50 x 16 pictures: minus pressed, at rest, plus pressed."""
    frames = []
    symbol = font(BOLD, 12)
    for pressed in ("minus", None, "plus"):
        arr = np.zeros((16, 50, 3)) + np.array(WELL, dtype=np.float64)
        for half, sign, rect in (("minus", "\u2212", (1, 1, 24, 15)),
                                 ("plus", "+", (26, 1, 49, 15))):
            down = pressed == half
            key(arr, rect, down)
            cx = (rect[0] + rect[2]) / 2.0
            cy = 7.5 + (1 if down else 0)
            color = ACCENT if down else (222, 225, 232)
            label(arr, sign, symbol, cx, cy, color=color, shadow=0.0 if down else 0.45)
        frames.append(arr)
    return to_image(np.concatenate(frames, axis=0))


def make_button(name):
    """Off above, on below, 34 x 17 each: the name on a key with an indicator light."""
    frames = []
    typeface = font(BOLD, 9)
    for on in (False, True):
        arr = np.zeros((17, 34, 3)) + np.array(WELL, dtype=np.float64)
        key(arr, (1, 1, 33, 16), on, radius=3)
        shift = 1 if on else 0
        led = ellipse_mask(34, 17, (5, 6 + shift, 10, 11 + shift))
        if on:
            ys, xs = np.mgrid[0:17, 0:34]
            glow = np.exp(-((xs - 7.5) ** 2 + (ys - 8.5 - shift) ** 2) / 10.0) * 0.45
            blend(arr, glow, ACCENT)
            blend(arr, led, (255, 196, 90))
            blend(arr, ellipse_mask(34, 17, (6, 7 + shift, 8, 9 + shift)) * 0.8, (255, 240, 200))
        else:
            blend(arr, led, ACCENT_DIM)
        color = (246, 246, 248) if on else (206, 209, 216)
        label(arr, name, typeface, 21.5, 8 + shift, color=color, shadow=0.0 if on else 0.5)
        frames.append(arr)
    return to_image(np.concatenate(frames, axis=0))


def make_clip_lamp():
    """Off above, on below, 13 x 13 each: a round red lens in a dark bezel."""
    frames = []
    for on in (False, True):
        arr = np.zeros((13, 13, 3)) + np.array(WELL, dtype=np.float64)
        bezel = ellipse_mask(13, 13, (0, 0, 13, 13))
        blend(arr, bezel, (70, 72, 78))
        shade(arr, np.clip(bezel - shifted(bezel, 0, 1), 0, 1), 0.3)
        lens = ellipse_mask(13, 13, (2, 2, 11, 11))
        ys, xs = np.mgrid[0:13, 0:13]
        d2 = (xs - 5.3) ** 2 + (ys - 5.0) ** 2
        if on:
            core = np.clip(1.0 - d2 / 22.0, 0, 1)[:, :, None]
            color = np.array([200.0, 20.0, 16.0]) * (1 - core) + np.array([255.0, 150.0, 110.0]) * core
        else:
            core = np.clip(1.0 - d2 / 22.0, 0, 1)[:, :, None]
            color = np.array([58.0, 12.0, 12.0]) * (1 - core) + np.array([96.0, 28.0, 26.0]) * core
        m = lens[:, :, None]
        arr[:] = arr * (1 - m) + color * m
        spark = ellipse_mask(13, 13, (4, 3, 7, 6))
        blend(arr, spark * (0.7 if on else 0.25), (255, 235, 225))
        frames.append(arr)
    return to_image(np.concatenate(frames, axis=0))


def make_handle():
    """A fader cap with an amber index line across its middle row; pure white marks where the
    track shows through (the rounded corners)."""
    w, h = HANDLE_W, HANDLE_H
    body = rounded_mask(w, h, (0, 0, w, h), 3) >= 0.5
    inner = body & shifted(body.astype(float), 1, 0).astype(bool) & \
        shifted(body.astype(float), -1, 0).astype(bool) & \
        shifted(body.astype(float), 0, 1).astype(bool) & \
        shifted(body.astype(float), 0, -1).astype(bool)
    ys = np.arange(h, dtype=np.float64)[:, None]
    t = ys / (h - 1)
    face = np.array([178.0, 182.0, 190.0]) * (1 - t[:, :, None]) + \
        np.array([84.0, 87.0, 96.0]) * t[:, :, None]
    face = np.broadcast_to(face, (h, w, 3)).copy()
    # Grip ridges above and below the index line.
    for row in (2, 4, 10, 12):
        face[row, 2:w - 2] *= 0.70
        face[row + 1, 2:w - 2] = np.minimum(face[row + 1, 2:w - 2] * 1.10 + 6, 244)
    face[6, 1:w - 1] *= 0.55
    face[7, 1:w - 1] = np.array(ACCENT, dtype=np.float64)
    face[8, 1:w - 1] *= 0.55
    arr = np.zeros((h, w, 3)) + 255.0
    arr[body] = np.array([26.0, 27.0, 30.0])
    arr[inner] = face[inner]
    return to_image(np.minimum(arr, np.where(body[:, :, None], 250.0, 255.0)))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "bitmaps")
    os.makedirs(out, exist_ok=True)
    pictures = {
        "background.bmp": make_background(),
        "about.bmp": make_about(),
        "density_switch.bmp": make_switch(),
        "frequency_switch.bmp": make_switch(),
        "kick.bmp": make_button("Kick"),
        "solo.bmp": make_button("Solo"),
        "clip_lamp.bmp": make_clip_lamp(),
        "meter_lit.bmp": make_meter(True),
        "meter_dark.bmp": make_meter(False),
        "fader_handle.bmp": make_handle(),
    }
    for name, image in pictures.items():
        image.save(os.path.join(out, name), "BMP")


if __name__ == "__main__":
    main()
