"""Letter tiles (data/Morvadel/Буквы/one1/N.bmp) and the face-down tile
back (data/pz91.bmp). All 90 x 90, 24-bit."""

import os
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

import common
import words

SIZE = 90
SCALE = 4  # drawn four times larger, then shrunk, for smooth edges

# Square outer edge: a tile sits either on the green board or in a grey
# cell, and rounded corners would show one of those colours wrongly.
FRAME = (232, 96, 24)      # warm orange, stands out from green and grey
FACE = (255, 243, 196)     # cream
FACE_LIGHT = (255, 252, 232)
INK = (28, 36, 96)         # dark navy letter
LETTER_HEIGHT = 58         # cap height in pixels on the final tile

BACK_FRAME = (18, 64, 160)
BACK_FACE = (40, 110, 220)
BACK_DOTS = (92, 152, 240)
STAR = (255, 214, 40)
STAR_EDGE = (200, 120, 0)


def _frame(outer, face, face_light):
    s = SIZE * SCALE
    img = Image.new("RGB", (s, s), outer)
    d = ImageDraw.Draw(img)
    # A thin darker rim, then the face with a lighter top half, which gives
    # the tile a slight raised look without any gradient noise.
    dark = tuple(max(0, c - 60) for c in outer)
    d.rectangle((0, 0, s - 1, s - 1), outline=dark, width=2 * SCALE)
    inset = INSET * SCALE
    d.rounded_rectangle((inset, inset, s - 1 - inset, s - 1 - inset), 10 * SCALE, fill=face)
    d.rounded_rectangle((inset + 3 * SCALE, inset + 3 * SCALE, s - 1 - inset - 3 * SCALE, s // 2),
                        8 * SCALE, fill=face_light)
    blur = img.filter(ImageFilter.GaussianBlur(6 * SCALE))
    mask = Image.new("L", (s, s), 0)
    ImageDraw.Draw(mask).rounded_rectangle((inset + 2 * SCALE, inset + 2 * SCALE,
                                            s - 1 - inset - 2 * SCALE, s - 1 - inset - 2 * SCALE),
                                           9 * SCALE, fill=255)
    img.paste(blur, (0, 0), mask)
    return img


CONDENSED_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"
INSET = 5                  # frame width; the cream face is the rest
INK_X = (10, 80)           # ink stays inside these bands, clear of the frame
INK_Y = (8, 82)


def _font_for_height(path, height):
    """The size of `path` whose capital 'Н' is `height` pixels tall."""
    size = height
    while True:
        font = ImageFont.truetype(path, size)
        box = font.getbbox("Н", anchor="ls")
        if box[3] - box[1] >= height:
            return font
        size += 1


def _glyph(letter, path):
    """The letter's ink as a mask, plus where the baseline lies in it."""
    font = _font_for_height(path, LETTER_HEIGHT * SCALE)
    s = SIZE * SCALE * 2
    mask = Image.new("L", (s, s), 0)
    ImageDraw.Draw(mask).text((s // 4, s * 3 // 4), letter, font=font, fill=255, anchor="ls")
    box = mask.getbbox()
    return mask.crop(box), s * 3 // 4 - box[1]


def letter_tile(letter, size=SIZE):
    """The tile as the game shows it; `size` other than 90 is for the icon."""
    img = _frame(FRAME, FACE, FACE_LIGHT)
    lo, hi = INK_Y[0] * SCALE, INK_Y[1] * SCALE
    room = hi - lo
    width = (INK_X[1] - INK_X[0]) * SCALE
    # Ш, Щ, Ж, Ю are much wider than Н; the condensed cut keeps them the
    # same height as their neighbours, and a slight squeeze does the rest.
    mask, baseline = _glyph(letter, common.BOLD_FONT)
    if mask.width > width:
        mask, baseline = _glyph(letter, CONDENSED_FONT)
    if mask.width > width:
        mask = mask.resize((width, mask.height), Image.LANCZOS)
    if mask.height > room:
        k = room / mask.height
        mask = mask.resize((round(mask.width * k), room), Image.LANCZOS)
        baseline = round(baseline * k)
    s = SIZE * SCALE
    # Put the capital band in the middle, so letters share a baseline, then
    # nudge the ones whose marks (Й, Ё) or tails (Д, Ц, Щ) would leave the face.
    top = round(s / 2 + LETTER_HEIGHT * SCALE / 2) - baseline
    top = min(max(top, lo), hi - mask.height)
    left = (s - mask.width) // 2
    img.paste(Image.new("RGB", mask.size, INK), (left, top), mask)
    return img.resize((size, size), Image.LANCZOS)


def _star(cx, cy, r_out, r_in):
    import math

    pts = []
    for i in range(10):
        r = r_out if i % 2 == 0 else r_in
        a = -math.pi / 2 + i * math.pi / 5
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def tile_back(size=SIZE):
    s = SIZE * SCALE
    img = Image.new("RGB", (s, s), BACK_FRAME)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, s - 1, s - 1), outline=(8, 30, 90), width=2 * SCALE)
    inset = INSET * SCALE
    d.rounded_rectangle((inset, inset, s - 1 - inset, s - 1 - inset), 10 * SCALE, fill=BACK_FACE)
    # Polka dots on a diagonal grid: a pattern no letter tile has.
    step = 13 * SCALE
    for row in range(-1, 9):
        for col in range(-1, 9):
            x = inset + col * step + (step // 2 if row % 2 else 0)
            y = inset + row * step
            if inset + 4 * SCALE < x < s - inset - 4 * SCALE and inset + 4 * SCALE < y < s - inset - 4 * SCALE:
                r = 2.5 * SCALE
                d.ellipse((x - r, y - r, x + r, y + r), fill=BACK_DOTS)
    c = s / 2
    d.polygon(_star(c + 1.5 * SCALE, c + 2.5 * SCALE, 31 * SCALE, 13 * SCALE), fill=(10, 50, 130))
    d.polygon(_star(c, c + 1 * SCALE, 31 * SCALE, 13 * SCALE), fill=STAR_EDGE)
    d.polygon(_star(c, c + 1 * SCALE, 27 * SCALE, 11 * SCALE), fill=STAR)
    return img.resize((size, size), Image.LANCZOS)


def main(root):
    folder = os.path.join(root, "data", "Morvadel", "Буквы", "one1")
    for n, letter in enumerate(words.ALPHABET, start=1):
        common.save_bmp24(letter_tile(letter), os.path.join(folder, "%d.bmp" % n))
    common.save_bmp24(tile_back(), os.path.join(root, "data", "pz91.bmp"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else common.repo_root())
