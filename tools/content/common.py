"""Shared helpers for the content generators: fonts, emoji rendering and the
exact file formats the game loads (uncompressed BMP, plain JPEG)."""

import colorsys
import os
import struct

from PIL import Image, ImageDraw, ImageFont

EMOJI_FONT = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"
BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# The game window is painted this green; anything drawn "on the window"
# (smileys, the corners outside round frames) uses it so the edges vanish.
WINDOW_GREEN = (0, 128, 0)

# Noto Color Emoji is a bitmap font: 109 is the only size at which Pillow
# can rasterise it, and it yields glyphs of about 136 x 128 pixels.
_EMOJI_SIZE = 109
_emoji_font = None


def repo_root():
    return os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def bold(size):
    return ImageFont.truetype(BOLD_FONT, size)


def emoji(text):
    """Render an emoji (or a short emoji sequence) as a tightly cropped RGBA image."""
    global _emoji_font
    if _emoji_font is None:
        _emoji_font = ImageFont.truetype(EMOJI_FONT, _EMOJI_SIZE)
    canvas = Image.new("RGBA", (160 * max(1, len(text)), 200), (0, 0, 0, 0))
    ImageDraw.Draw(canvas).text(
        (canvas.width // 2, 100), text, font=_emoji_font, embedded_color=True, anchor="mm"
    )
    box = canvas.getbbox()
    if box is None:
        raise ValueError("emoji %r renders as nothing" % text)
    return canvas.crop(box)


def fit(img, max_w, max_h):
    """Scale an image so it fits max_w x max_h, keeping its proportions."""
    scale = min(max_w / img.width, max_h / img.height)
    size = (max(1, round(img.width * scale)), max(1, round(img.height * scale)))
    return img.resize(size, Image.LANCZOS)


def paste_centered(base, img, cx, cy):
    base.alpha_composite(img, (round(cx - img.width / 2), round(cy - img.height / 2)))


def recolour(img, hue, sat_scale=1.0, val_shift=0.0, hue_range=(0.08, 0.19)):
    """Give the yellow skin of a Noto face another hue while keeping its
    shading; eyes, mouths, hearts and tongues are other hues and stay put."""
    out = img.copy()
    px = out.load()
    lo, hi = hue_range
    for y in range(out.height):
        for x in range(out.width):
            r, g, b, a = px[x, y]
            if a == 0:
                continue
            h, s, v = colorsys.rgb_to_hsv(r / 255, g / 255, b / 255)
            if lo <= h <= hi and s > 0.35:
                s = min(1.0, s * sat_scale)
                v = min(1.0, max(0.0, v + val_shift))
                nr, ng, nb = colorsys.hsv_to_rgb(hue, s, v)
                px[x, y] = (round(nr * 255), round(ng * 255), round(nb * 255), a)
    return out


def shadow(img, offset=(3, 4), opacity=70, blur=4):
    """A soft drop shadow under an RGBA sprite, returned as a larger RGBA image."""
    from PIL import ImageFilter

    pad = blur * 3 + max(abs(offset[0]), abs(offset[1]))
    w, h = img.width + 2 * pad, img.height + 2 * pad
    alpha = img.getchannel("A").point(lambda a: a * opacity // 255)
    sh = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    layer = Image.new("RGBA", img.size, (0, 0, 0, 255))
    layer.putalpha(alpha)
    sh.alpha_composite(layer, (pad + offset[0], pad + offset[1]))
    sh = sh.filter(ImageFilter.GaussianBlur(blur))
    sh.alpha_composite(img, (pad, pad))
    return sh


def pale(hue, sat=0.20, val=1.0):
    r, g, b = colorsys.hsv_to_rgb(hue % 1.0, sat, val)
    return (round(r * 255), round(g * 255), round(b * 255))


def ensure_dir(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)


def _bmp_headers(width, height, bpp, image_size, compression=0, extra=b""):
    info = struct.pack(
        "<IiiHHIIiiII",
        40, width, height, 1, bpp, compression, image_size,
        2835, 2835,  # 72 dpi, fixed so reruns give identical bytes
        0, 0,
    )
    offset = 14 + len(info) + len(extra)
    head = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    return head + info + extra


def save_bmp24(img, path):
    """24-bit, bottom-up, BI_RGB: the plainest BMP every loader understands."""
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    px = img.load()
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    ensure_dir(path)
    with open(path, "wb") as f:
        f.write(_bmp_headers(w, h, 24, len(data)) + data)


def save_bmp16(img, path):
    """16-bit BI_RGB, i.e. X1R5G5B5, bottom-up. Window green (0,128,0)
    becomes exactly 0x0200, so a loader that shifts channels back gets 128."""
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 2 + 3) & ~3
    px = img.load()
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += struct.pack("<H", ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    ensure_dir(path)
    with open(path, "wb") as f:
        f.write(_bmp_headers(w, h, 16, len(data)) + data)


def save_jpeg(img, path, progressive=False):
    ensure_dir(path)
    # No EXIF, no ICC, no comment: Pillow then writes only a fixed JFIF header.
    img.convert("RGB").save(
        path, "JPEG", quality=90, progressive=progressive, optimize=progressive,
        subsampling="4:2:0", dpi=(72, 72),
    )


def rounded_card(size, radius, fill, outside=WINDOW_GREEN, border=None, border_w=0, scale=4):
    """A rounded rectangle drawn large and shrunk, so its curve is smooth,
    with the corners outside it painted `outside`."""
    w, h = size
    big = Image.new("RGBA", (w * scale, h * scale), outside + (255,))
    d = ImageDraw.Draw(big)
    if border:
        d.rounded_rectangle((0, 0, w * scale - 1, h * scale - 1), radius * scale, fill=border)
        b = border_w * scale
        d.rounded_rectangle(
            (b, b, w * scale - 1 - b, h * scale - 1 - b), max(0, (radius - border_w) * scale), fill=fill
        )
    else:
        d.rounded_rectangle((0, 0, w * scale - 1, h * scale - 1), radius * scale, fill=fill)
    return big.resize((w, h), Image.LANCZOS)


def outlined_text(draw, xy, text, font, fill, outline, width, anchor="mm"):
    draw.text(xy, text, font=font, fill=fill, anchor=anchor, stroke_width=width, stroke_fill=outline)
