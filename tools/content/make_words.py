"""Writes data/Words.str and one picture per word in data/subjects/."""

import os
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageStat

import common
import words

SIZE = 200
OBJECT_BOX = 168
# Mean grey level above which an object counts as white-ish.
LIGHT = 212


def lightness(sprite):
    solid = sprite.getchannel("A").point(lambda a: 255 if a > 128 else 0)
    return ImageStat.Stat(sprite.convert("L"), solid).mean[0]


def background(index, light_object=False, hue=None):
    # Golden-ratio steps round the colour wheel, so neighbouring words in
    # the list never share a tint. A white object (cloud, tooth, sheep)
    # would melt into a pale backdrop, so it gets a deeper one.
    if hue is None:
        hue = (0.13 + index * 0.618034) % 1.0
    sat, glow_level = (0.38, 60) if light_object else (0.22, 170)
    img = Image.new("RGBA", (SIZE, SIZE), common.pale(hue, sat, 0.97) + (255,))
    glow = Image.new("L", (SIZE, SIZE), 0)
    ImageDraw.Draw(glow).ellipse((22, 22, SIZE - 22, SIZE - 22), fill=glow_level)
    glow = glow.filter(ImageFilter.GaussianBlur(22))
    img.paste(Image.new("RGBA", (SIZE, SIZE), (255, 255, 255, 255)), (0, 0), glow)
    return img


def picture(index, word, glyph):
    if word in words.SCENES:
        img = background(index, hue=words.BACKDROP_HUE.get(word))
        for g, cx, cy, box in words.SCENES[word]:
            sprite = common.shadow(common.fit(common.emoji(g), box, box), (2, 3), 60, 3)
            common.paste_centered(img, sprite, cx, cy)
    else:
        sprite = common.fit(common.emoji(glyph), OBJECT_BOX, OBJECT_BOX)
        img = background(index, lightness(sprite) > LIGHT, words.BACKDROP_HUE.get(word))
        sprite = common.shadow(sprite, (3, 4), 60, 4)
        common.paste_centered(img, sprite, SIZE / 2, SIZE / 2)
    return img


def main(root):
    items = words.all_words()
    data = os.path.join(root, "data")
    text = "".join(w + "\r\n" for w, _ in items).encode("cp1251")
    common.ensure_dir(os.path.join(data, "Words.str"))
    with open(os.path.join(data, "Words.str"), "wb") as f:
        f.write(text)
    for i, (word, glyph) in enumerate(items):
        common.save_bmp24(picture(i, word, glyph), os.path.join(data, "subjects", word + ".bmp"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else common.repo_root())
