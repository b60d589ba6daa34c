"""The pictures compiled into the executable: smileys, captions, the choice
screen background, the profile frames and the final congratulations."""

import math
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFilter

import common
import words

GREEN = common.WINDOW_GREEN

# Skin colours for recoloured faces: (hue, saturation factor, brightening).
# No greens: the faces sit on a green window.
YELLOW = None
ORANGE = (0.075, 1.0, 0.0)
CORAL = (0.015, 0.8, 0.05)
PINK = (0.93, 0.55, 0.08)
VIOLET = (0.76, 0.55, 0.08)
BLUE = (0.60, 0.85, 0.05)
SKY = (0.54, 1.0, 0.0)

# Twenty-six different smileys: (face, skin, accessory). A child earns
# them one by one, so no two may look alike: expression, colour and hat
# change from one to the next.
SMILEYS = [
    ("😀", YELLOW, None), ("😃", ORANGE, None), ("😄", PINK, "🎀"), ("😁", SKY, None),
    ("😆", YELLOW, "👑"), ("😊", VIOLET, None), ("😉", ORANGE, "🧢"), ("😋", YELLOW, None),
    ("😛", PINK, None), ("😜", BLUE, None), ("🤪", YELLOW, None), ("😝", VIOLET, None),
    ("😎", ORANGE, None), ("🤩", YELLOW, None), ("😍", SKY, None), ("🥰", PINK, None),
    ("😇", SKY, None), ("🥳", YELLOW, None), ("🤗", VIOLET, None), ("🤠", ORANGE, None),
    ("🤓", PINK, None), ("😺", ORANGE, None), ("😸", VIOLET, None), ("🙂", YELLOW, "🌸"),
    ("😻", CORAL, None), ("☺", SKY, "🎩"),
]

# Where an accessory sits on a face box of side 1: (centre x, centre y, size).
ACCESSORY_PLACE = {
    "🎀": (0.78, 0.16, 0.50), "👑": (0.50, 0.08, 0.55), "🧢": (0.50, 0.10, 0.62),
    "🌸": (0.18, 0.16, 0.42), "🎩": (0.50, 0.0, 0.68),
}


def face(glyph, hue):
    img = common.emoji(glyph)
    if hue is not None:
        img = common.recolour(img, hue[0], hue[1], hue[2])
    return img


def smiley(glyph, hue, accessory, size=(41, 41), face_size=37, scale=4):
    w, h = size
    big = Image.new("RGBA", (w * scale, h * scale), GREEN + (255,))
    f = common.fit(face(glyph, hue), face_size * scale, face_size * scale)
    cy = h * scale / 2 + (2 * scale if accessory else 0)
    common.paste_centered(big, f, w * scale / 2, cy)
    if accessory:
        ax, ay, asz = ACCESSORY_PLACE[accessory]
        a = common.fit(common.emoji(accessory), asz * face_size * scale, asz * face_size * scale)
        x0 = w * scale / 2 - f.width / 2
        y0 = cy - f.height / 2
        common.paste_centered(big, a, x0 + ax * f.width, y0 + ay * f.height)
    return big.resize(size, Image.LANCZOS)


def hue_rotate(img, turn):
    """Rotate every hue of an RGBA sprite by `turn` (a fraction of the wheel)."""
    alpha = img.getchannel("A")
    h, s, v = img.convert("RGB").convert("HSV").split()
    shift = round(turn * 256)
    h = h.point(lambda x: (x + shift) % 256)
    out = Image.merge("HSV", (h, s, v)).convert("RGBA")
    out.putalpha(alpha)
    return out


def fitted_font(text, max_w, max_size):
    size = max_size
    while size > 8:
        font = common.bold(size)
        box = font.getbbox(text, stroke_width=max(2, size // 12))
        if box[2] - box[0] <= max_w:
            return font
        size -= 1
    return common.bold(size)


def caption(img, text, cx, cy, max_w, max_size, fill, outline):
    font = fitted_font(text, max_w, max_size)
    width = max(2, font.size // 12)
    d = ImageDraw.Draw(img)
    # A soft shadow first, then the outlined letters: readable on any backdrop.
    sh = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(sh).text((cx + 2, cy + 3), text, font=font, fill=(0, 0, 0, 110), anchor="mm",
                            stroke_width=width, stroke_fill=(0, 0, 0, 110))
    img.alpha_composite(sh.filter(ImageFilter.GaussianBlur(2)))
    d.text((cx, cy), text, font=font, fill=fill, anchor="mm", stroke_width=width, stroke_fill=outline)


def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGBA", size)
    d = ImageDraw.Draw(img)
    for y in range(h):
        t = y / max(1, h - 1)
        d.line((0, y, w, y), fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)) + (255,))
    return img


def card(size, top, bottom, border, radius=22, border_w=6):
    """A rounded, bordered panel on window green: the caption pictures."""
    w, h = size
    inner = vertical_gradient(size, top, bottom)
    shape = common.rounded_card(size, radius, (255, 255, 255), GREEN, border, border_w)
    mask = Image.new("L", (w * 4, h * 4), 0)
    ImageDraw.Draw(mask).rounded_rectangle(
        (border_w * 4, border_w * 4, w * 4 - 1 - border_w * 4, h * 4 - 1 - border_w * 4),
        (radius - border_w) * 4, fill=255)
    mask = mask.resize(size, Image.LANCZOS)
    shape.paste(inner, (0, 0), mask)
    return shape


def smiley_with_thumbs():
    w, h, k = 85, 48, 4
    big = Image.new("RGBA", (w * k, h * k), GREEN + (255,))
    thumb = common.fit(common.emoji("👍"), 30 * k, 30 * k)
    common.paste_centered(big, thumb, 70 * k, 25 * k)
    common.paste_centered(big, thumb.transpose(Image.FLIP_LEFT_RIGHT), 15 * k, 25 * k)
    common.paste_centered(big, common.fit(common.emoji("😁"), 44 * k, 44 * k), 42.5 * k, 24 * k)
    return big.resize((w, h), Image.LANCZOS)


def control_forward():
    img = card((200, 250), (150, 215, 255), (70, 150, 240), (255, 140, 0))
    f = common.shadow(common.fit(common.emoji("😄"), 120, 120), (3, 4), 70, 4)
    common.paste_centered(img, f, 90, 92)
    t = common.shadow(common.fit(common.emoji("👍"), 66, 66), (2, 3), 70, 3)
    common.paste_centered(img, t, 150, 140)
    caption(img, "ДАЛЬШЕ!", 100, 212, 176, 40, (255, 236, 60), (150, 40, 0))
    return img


def next_word():
    img = card((200, 250), (255, 246, 170), (255, 200, 90), (40, 110, 220))
    f = common.shadow(common.fit(common.emoji("😊"), 112, 112), (3, 4), 70, 4)
    common.paste_centered(img, f, 100, 82)
    caption(img, "СЛЕДУЮЩЕЕ", 100, 172, 178, 30, (255, 255, 255), (20, 70, 180))
    caption(img, "СЛОВО", 100, 210, 178, 34, (255, 255, 255), (20, 70, 180))
    return img


def page_arrow(forward):
    """The choice screen's way to the next or the previous page of children: the forward
    picture's card with one big arrow, no word, for a child who cannot read yet."""
    w, h, k = 140, 180, 4
    img = card((w, h), (150, 215, 255), (70, 150, 240), (255, 140, 0))
    big = Image.new("RGBA", (w * k, h * k), (0, 0, 0, 0))
    # Pointing right; the way back is its mirror image.
    cx, cy = 67 * k, 90 * k
    shape = [(cx - 44 * k, cy - 22 * k), (cx + 2 * k, cy - 22 * k), (cx + 2 * k, cy - 50 * k), (cx + 50 * k, cy),
             (cx + 2 * k, cy + 50 * k), (cx + 2 * k, cy + 22 * k), (cx - 44 * k, cy + 22 * k)]
    d = ImageDraw.Draw(big)
    d.polygon(shape, fill=(150, 40, 0, 255))
    d.line(shape + [shape[0]], fill=(150, 40, 0, 255), width=9 * k, joint="curve")
    inner = [(cx - 40 * k, cy - 18 * k), (cx + 6 * k, cy - 18 * k), (cx + 6 * k, cy - 40 * k), (cx + 44 * k, cy),
             (cx + 6 * k, cy + 40 * k), (cx + 6 * k, cy + 18 * k), (cx - 40 * k, cy + 18 * k)]
    d.polygon(inner, fill=(255, 236, 60, 255))
    arrow = common.shadow(big.resize((w, h), Image.LANCZOS), (2, 3), 70, 3)
    if not forward:
        arrow = arrow.transpose(Image.FLIP_LEFT_RIGHT)
    common.paste_centered(img, arrow, w / 2, h / 2)
    return img


def grimace():
    img = card((150, 150), (215, 225, 240), (160, 175, 205), (110, 120, 150), radius=20, border_w=5)
    f = common.shadow(common.fit(common.emoji("😞"), 112, 112), (3, 4), 70, 4)
    common.paste_centered(img, f, 75, 75)
    return img


def sunburst(size, centre, inner, outer, rays=18):
    """Sky with soft alternating rays: a festive backdrop without clutter."""
    w, h = size
    img = vertical_gradient(size, inner, outer)
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    cx, cy = centre
    r = math.hypot(w, h)
    for i in range(rays):
        a0 = 2 * math.pi * i / rays
        a1 = a0 + math.pi / rays
        d.polygon([(cx, cy), (cx + r * math.cos(a0), cy + r * math.sin(a0)),
                   (cx + r * math.cos(a1), cy + r * math.sin(a1))], fill=(255, 255, 255, 45))
    img.alpha_composite(layer.filter(ImageFilter.GaussianBlur(3)))
    return img


def confetti(img, rng, count, keep_out):
    colours = [(255, 70, 70), (255, 200, 0), (60, 170, 255), (255, 110, 200), (120, 220, 80), (170, 110, 255)]
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    placed = 0
    while placed < count:
        x, y = rng.uniform(0, img.width), rng.uniform(0, img.height)
        if any(x0 <= x <= x1 and y0 <= y <= y1 for x0, y0, x1, y1 in keep_out):
            continue
        c = rng.choice(colours) + (235,)
        if rng.random() < 0.5:
            r = rng.uniform(3, 6)
            d.ellipse((x - r, y - r, x + r, y + r), fill=c)
        else:
            a = rng.uniform(0, math.pi)
            lw, lh = rng.uniform(5, 9), rng.uniform(2.5, 4)
            pts = [(x + dx * math.cos(a) - dy * math.sin(a), y + dx * math.sin(a) + dy * math.cos(a))
                   for dx, dy in ((-lw, -lh), (lw, -lh), (lw, lh), (-lw, lh))]
            d.polygon(pts, fill=c)
        placed += 1
    img.alpha_composite(layer)


# Red, yellow, green, blue, violet, pink... as turns of the colour wheel
# away from the emoji's own red balloon.
BALLOON_TURNS = {-1: [0.0, 0.14, 0.33, 0.58, 0.78], 1: [0.88, 0.58, 0.14, 0.0, 0.33]}


def balloon_bunch(img, rng, cx, cy, n, size, side):
    base = common.emoji("🎈")
    for i in range(n):
        turn = BALLOON_TURNS[side][i % len(BALLOON_TURNS[side])]
        b = common.fit(hue_rotate(base, turn), size, size)
        b = b.rotate(rng.uniform(-14, 14) + side * 6, Image.BICUBIC, expand=True)
        b = common.shadow(b, (3, 4), 60, 4)
        common.paste_centered(img, b, cx + rng.uniform(-38, 38), cy + (i - (n - 1) / 2) * size * 0.36 + rng.uniform(-8, 8))


def congratulations():
    w, h = 668, 452
    rng = random.Random(452668)
    img = sunburst((w, h), (w / 2, h * 0.55), (120, 200, 255), (40, 120, 230))
    confetti(img, rng, 140, [(150, 20, 518, 440)])
    balloon_bunch(img, rng, 80, 250, 5, 112, -1)
    balloon_bunch(img, rng, w - 80, 250, 5, 112, 1)
    trophy = common.shadow(common.fit(common.emoji("🏆"), 150, 150), (4, 6), 80, 5)
    common.paste_centered(img, trophy, w / 2 + 70, 250)
    party = common.shadow(common.fit(common.emoji("🥳"), 150, 150), (4, 6), 80, 5)
    common.paste_centered(img, party, w / 2 - 75, 240)
    for x, y, sz in ((w / 2 - 165, 160, 46), (w / 2 + 170, 150, 40), (w / 2 + 10, 145, 34)):
        common.paste_centered(img, common.fit(common.emoji("⭐"), sz, sz), x, y)
    caption(img, "ПОЗДРАВЛЯЕМ!", w / 2, 62, 560, 70, (255, 230, 40), (190, 30, 60))
    caption(img, "МОЛОДЕЦ!", w / 2, 392, 420, 64, (255, 255, 255), (210, 60, 20))
    return img


# The choice screen: where the two profile pictures sit, and a margin round
# them, in picture coordinates. Letters stay out of this calm middle.
PROFILE_ZONE = (380, 120, 1060, 470)
LETTER_COLOURS = [
    (255, 214, 0), (255, 140, 0), (255, 70, 70), (255, 105, 190), (90, 190, 255),
    (255, 255, 255), (190, 140, 255), (255, 240, 150),
]


def _letter_sprite(letter, size, colour, angle):
    font = common.bold(size)
    pad = size // 3
    box = font.getbbox(letter, stroke_width=max(2, size // 16))
    w, h = box[2] - box[0] + 2 * pad, box[3] - box[1] + 2 * pad
    sprite = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    dark = tuple(round(c * 0.45) for c in colour) + (255,)
    ImageDraw.Draw(sprite).text((pad - box[0], pad - box[1]), letter, font=font, fill=colour + (255,),
                                stroke_width=max(2, size // 16), stroke_fill=dark)
    sprite = sprite.rotate(angle, Image.BICUBIC, expand=True)
    # Slightly see-through, so the letters read as pattern, not as buttons.
    sprite.putalpha(sprite.getchannel("A").point(lambda a: a * 215 // 255))
    return common.shadow(sprite, (3, 4), 80, 3)


def choice_background():
    w, h = 1363, 572
    rng = random.Random(1363572)
    img = Image.new("RGBA", (w, h), GREEN + (255,))
    placed = []
    letters = list(words.ALPHABET.replace("Ъ", "").replace("Ь", "").replace("Ы", ""))
    tries = 0
    order = 0
    while len(placed) < 46 and tries < 20000:
        tries += 1
        size = rng.randint(54, 104)
        r = size * 0.62
        # Whole letters only: one cut by the picture's edge looks careless.
        x = rng.uniform(r + 10, w - r - 10)
        y = rng.uniform(r + 6, h - r - 6)
        x0, y0, x1, y1 = PROFILE_ZONE
        if x0 - r < x < x1 + r and y0 - r < y < y1 + r:
            continue
        if any(math.hypot(x - px, y - py) < r + pr + 10 for px, py, pr in placed):
            continue
        placed.append((x, y, r))
        letter = letters[order % len(letters)]
        colour = LETTER_COLOURS[order % len(LETTER_COLOURS)]
        order += 1
        sprite = _letter_sprite(letter, size, colour, rng.uniform(-28, 28))
        common.paste_centered(img, sprite, x, y)
    return img


def _gold_ring(img, cx, cy, r_out, r_in, k):
    d = ImageDraw.Draw(img)
    # Concentric bands from dark to light and back give the ring a rounded,
    # metallic look.
    bands = [(150, 95, 10), (200, 140, 20), (240, 190, 50), (255, 230, 120), (245, 200, 70), (205, 145, 25), (160, 105, 15)]
    step = (r_out - r_in) / len(bands)
    for i, c in enumerate(bands):
        r = r_out - i * step
        d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=c)
    d.ellipse((cx - r_in, cy - r_in, cx + r_in, cy + r_in), fill=(0, 0, 0, 0))
    return img


# The portraits a parent picks from for a child added in the corner: the girl's and the boy's
# figures in other colours (no greens: they sit on the green window). (girl, background, ink,
# accent: the bows, or the cap).
PORTRAITS = [
    (True, (255, 222, 235), (200, 40, 120), (255, 205, 0)),
    (False, (210, 232, 255), (25, 70, 170), (255, 120, 0)),
    (True, (235, 225, 255), (110, 60, 180), (255, 120, 170)),
    (False, (255, 236, 210), (150, 70, 20), (40, 140, 230)),
    (True, (215, 240, 255), (20, 110, 170), (255, 90, 60)),
    (False, (255, 228, 228), (170, 30, 40), (250, 200, 20)),
    (True, (255, 240, 200), (200, 100, 0), (150, 80, 220)),
    (False, (232, 232, 240), (60, 60, 90), (230, 40, 120)),
]


def profile(size, girl, colours=None):
    w, h = size
    k = 4
    W, H = w * k, h * k
    cx, cy = W / 2, H / 2
    r_out = min(W, H) / 2 - 1 * k
    r_in = r_out - 14 * k
    base = Image.new("RGBA", (W, H), GREEN + (255,))
    inside = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(inside)
    bg = (255, 222, 235) if girl else (210, 232, 255)
    ink = (200, 40, 120) if girl else (25, 70, 170)
    accent = (255, 205, 0) if girl else (255, 120, 0)
    knot = (255, 140, 0)
    if colours:
        bg, ink, accent = colours
        knot = tuple(max(0, c - 60) for c in accent)
    d.ellipse((cx - r_in, cy - r_in, cx + r_in, cy + r_in), fill=bg)
    u = r_in / 100  # drawing unit: the frame's inner radius is 100
    hx, hy, hr = cx, cy - 20 * u, 31 * u

    def oval(x, y, rx, ry, angle, fill):
        pts = [(x + rx * math.cos(t) * math.cos(angle) - ry * math.sin(t) * math.sin(angle),
                y + rx * math.cos(t) * math.sin(angle) + ry * math.sin(t) * math.cos(angle))
               for t in (i * math.pi / 36 for i in range(72))]
        d.polygon(pts, fill=fill)

    if girl:
        # A dress: round shoulders, a narrow waist and a wide bell skirt.
        d.chord((cx - 44 * u, cy + 18 * u, cx + 44 * u, cy + 74 * u), 180, 360, fill=ink)
        d.polygon([(cx - 44 * u, cy + 45 * u), (cx + 44 * u, cy + 45 * u),
                   (cx + 22 * u, cy + 60 * u), (cx - 22 * u, cy + 60 * u)], fill=ink)
        d.polygon([(cx - 22 * u, cy + 56 * u), (cx + 22 * u, cy + 56 * u),
                   (cx + 82 * u, cy + 110 * u), (cx - 82 * u, cy + 110 * u)], fill=ink)
        d.rectangle((cx - 9 * u, hy + 20 * u, cx + 9 * u, cy + 24 * u), fill=ink)
        # Two pigtails swinging out and down from the sides of the head.
        for sx in (-1, 1):
            oval(cx + sx * 47 * u, hy + 8 * u, 12 * u, 22 * u, sx * -0.55, ink)
        d.ellipse((hx - hr - 3 * u, hy - hr - 4 * u, hx + hr + 3 * u, hy + hr - 2 * u), fill=ink)
        d.ellipse((hx - hr, hy - hr, hx + hr, hy + hr), fill=ink)
        # Big bows in a bright contrasting colour where the pigtails start.
        bow = accent
        for sx in (-1, 1):
            bx, by = cx + sx * 33 * u, hy - 12 * u
            oval(bx - 9 * u, by, 10 * u, 7 * u, sx * 0.35, bow)
            oval(bx + 9 * u, by, 10 * u, 7 * u, sx * -0.35, bow)
            d.ellipse((bx - 4.5 * u, by - 4.5 * u, bx + 4.5 * u, by + 4.5 * u), fill=knot)
    else:
        # Broad rounded shoulders of a bust, with a light collar.
        d.ellipse((cx - 70 * u, cy + 22 * u, cx + 70 * u, cy + 160 * u), fill=ink)
        d.rectangle((cx - 10 * u, hy + 20 * u, cx + 10 * u, cy + 30 * u), fill=ink)
        d.polygon([(cx - 16 * u, cy + 24 * u), (cx + 16 * u, cy + 24 * u), (cx, cy + 44 * u)], fill=bg)
        d.polygon([(cx - 9 * u, cy + 24 * u), (cx + 9 * u, cy + 24 * u), (cx, cy + 36 * u)], fill=ink)
        # Ears, head, short hair, then a cap with its peak to one side.
        for sx in (-1, 1):
            d.ellipse((hx + sx * hr - 7 * u, hy - 2 * u, hx + sx * hr + 7 * u, hy + 14 * u), fill=ink)
        d.ellipse((hx - hr, hy - hr, hx + hr, hy + hr), fill=ink)
        cap = accent
        d.chord((hx - hr - 2 * u, hy - hr - 9 * u, hx + hr + 2 * u, hy + hr - 7 * u), 180, 360, fill=cap)
        d.rounded_rectangle((hx - 4 * u, hy - 13 * u, hx + hr + 28 * u, hy - 5 * u), 4 * u, fill=cap)
        d.ellipse((hx - 4 * u, hy - hr - 13 * u, hx + 4 * u, hy - hr - 5 * u), fill=cap)
    clip = Image.new("L", (W, H), 0)
    ImageDraw.Draw(clip).ellipse((cx - r_in, cy - r_in, cx + r_in, cy + r_in), fill=255)
    base.paste(inside, (0, 0), Image.composite(inside.getchannel("A"), clip, clip))
    ring = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    _gold_ring(ring, cx, cy, r_out, r_in, k)
    hole = Image.new("L", (W, H), 0)
    ImageDraw.Draw(hole).ellipse((cx - r_out, cy - r_out, cx + r_out, cy + r_out), fill=255)
    ImageDraw.Draw(hole).ellipse((cx - r_in, cy - r_in, cx + r_in, cy + r_in), fill=0)
    base.paste(ring, (0, 0), hole)
    return base.resize(size, Image.LANCZOS)


def main(root):
    assets = os.path.join(root, "assets")
    for n, (glyph, hue, acc) in enumerate(SMILEYS, start=1):
        common.save_bmp16(smiley(glyph, hue, acc), os.path.join(assets, "imgSm%d.bmp" % n))
    common.save_bmp16(smiley_with_thumbs(), os.path.join(assets, "imgSmVin.bmp"))
    common.save_jpeg(control_forward(), os.path.join(assets, "img_control_forward.jpg"))
    common.save_jpeg(next_word(), os.path.join(assets, "imgDalishe.jpg"))
    common.save_jpeg(grimace(), os.path.join(assets, "imgGrimaska.jpg"))
    common.save_jpeg(page_arrow(True), os.path.join(assets, "imgPageNext.jpg"))
    common.save_jpeg(page_arrow(False), os.path.join(assets, "imgPageBack.jpg"))
    common.save_jpeg(congratulations(), os.path.join(assets, "imgWinWin.jpg"))
    common.save_jpeg(choice_background(), os.path.join(assets, "imgVybor.jpg"), progressive=True)
    common.save_jpeg(profile((198, 190), girl=True), os.path.join(assets, "ImgA.jpg"))
    common.save_jpeg(profile((195, 190), girl=False), os.path.join(assets, "imgE.jpg"))
    for n, (girl, bg, ink, accent) in enumerate(PORTRAITS, start=1):
        common.save_jpeg(profile((140, 140), girl, (bg, ink, accent)), os.path.join(assets, "portrait%d.jpg" % n))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else common.repo_root())
