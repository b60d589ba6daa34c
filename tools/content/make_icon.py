"""The desktop icon (packaging/icons/<N>x<N>/timburik.png): the game's own
letter tile "А" lying over a face-down tile, on the window's green, so the
menu shows what the child will see when the game opens."""

import os
import sys

from PIL import Image, ImageDraw

import common
import make_tiles

SIZES = (48, 64, 128, 256)
MASTER = 512       # every size is shrunk from one drawing, so they all agree
BOARD_RIM = (0, 92, 0)
LETTER = "А"


def _tilted(tile, angle):
    """A square tile turned by `angle` degrees on a transparent ground."""
    rgba = tile.convert("RGBA")
    return rgba.rotate(angle, resample=Image.BICUBIC, expand=True, fillcolor=(0, 0, 0, 0))


def master():
    img = Image.new("RGBA", (MASTER, MASTER), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    # The board: the window's green with a darker rim, rounded as desktop icons are.
    d.rounded_rectangle((16, 16, MASTER - 17, MASTER - 17), 92, fill=BOARD_RIM)
    d.rounded_rectangle((28, 28, MASTER - 29, MASTER - 29), 80, fill=common.WINDOW_GREEN)
    back = _tilted(make_tiles.tile_back(236), 12)
    common.paste_centered(img, common.shadow(back, (6, 8), 90, 8), 196, 190)
    # The letter is the larger tile and lies on top: at 48 pixels it is what stays readable.
    front = _tilted(make_tiles.letter_tile(LETTER, 286), -7)
    common.paste_centered(img, common.shadow(front, (8, 10), 110, 10), 302, 306)
    return img


def icon(size, drawing=None):
    return (drawing or master()).resize((size, size), Image.LANCZOS)


def main(root):
    drawing = master()
    for size in SIZES:
        path = os.path.join(root, "packaging", "icons", "%dx%d" % (size, size), "timburik.png")
        common.ensure_dir(path)
        # No text chunks or timestamps: Pillow writes only the image, so reruns match.
        icon(size, drawing).save(path, "PNG", optimize=True)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else common.repo_root())
