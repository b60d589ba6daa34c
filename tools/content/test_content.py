"""Checks the committed content against what the game expects to load.

Run: /usr/bin/python3 -m unittest discover -s tools/content -v
"""

import filecmp
import os
import struct
import subprocess
import tempfile
import unittest
import wave

from PIL import Image, ImageChops

import common
import make_assets
import make_icon
import make_sounds
import make_tiles
import make_voices
import make_words
import words

ROOT = common.repo_root()
DATA = os.path.join(ROOT, "data")
ASSETS = os.path.join(ROOT, "assets")
TILES = os.path.join(DATA, "Morvadel", "Буквы", "one1")


def bmp_header(path):
    with open(path, "rb") as f:
        raw = f.read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", raw, 0)
    hsize, w, h, planes, bpp, comp, img_size = struct.unpack_from("<IiiHHII", raw, 14)
    return dict(magic=magic, size=size, offset=offset, header=hsize, width=w, height=h,
                planes=planes, bpp=bpp, compression=comp, image_size=img_size, file_len=len(raw), raw=raw)


def load(path, mode="RGB"):
    with Image.open(path) as img:
        return img.convert(mode)


def pixel16(path, x, y):
    """Pixel (x, y), counted from the top, of a bottom-up 16-bit BMP."""
    h = bmp_header(path)
    stride = (h["width"] * 2 + 3) & ~3
    row = h["height"] - 1 - y
    return struct.unpack_from("<H", h["raw"], h["offset"] + row * stride + x * 2)[0]


class WordList(unittest.TestCase):
    def setUp(self):
        with open(os.path.join(DATA, "Words.str"), "rb") as f:
            self.raw = f.read()
        self.lines = self.raw.decode("cp1251").split("\r\n")

    def test_encoded_in_cp1251_not_utf8(self):
        with self.assertRaises(UnicodeDecodeError):
            self.raw.decode("utf-8")
        self.assertIn("КОТ".encode("cp1251"), self.raw)

    def test_130_lines_each_ended_by_crlf(self):
        self.assertTrue(self.raw.endswith(b"\r\n"))
        self.assertEqual(self.lines[-1], "")
        self.assertEqual(len(self.lines) - 1, 130)
        self.assertEqual(self.raw.count(b"\n"), self.raw.count(b"\r\n"))
        self.assertEqual(self.raw.count(b"\r"), 130)

    def test_only_capital_russian_letters_no_repeats(self):
        entries = self.lines[:-1]
        for w in entries:
            self.assertTrue(w and set(w) <= set(words.ALPHABET), w)
        self.assertEqual(len(set(entries)), 130)

    def test_lengths_follow_the_levels(self):
        lengths = [len(w) for w in self.lines[:-1]]
        bands = [(0, 24, 3, 3), (24, 46, 3, 4), (46, 62, 4, 5), (62, 114, 6, 10), (114, 130, 1, 10)]
        for start, end, lo, hi in bands:
            for n in range(start, end):
                self.assertTrue(lo <= lengths[n] <= hi, "entry %d: %s" % (n + 1, self.lines[n]))
        self.assertLessEqual(max(lengths), 12)

    def test_yo_is_written(self):
        for w in ("ЁЖ", "ЁЛКА", "МЁД", "ЛЁД", "САМОЛЁТ", "ВЕРТОЛЁТ", "ЦЫПЛЁНОК"):
            self.assertIn(w, self.lines)

    def test_file_matches_the_table(self):
        self.assertEqual(self.lines[:-1], [w for w, _ in words.all_words()])

    def test_no_two_words_share_a_picture(self):
        glyphs = [g for _, g in words.all_words() if g]
        self.assertEqual(len(glyphs), len(set(glyphs)))

    def test_every_picture_exists_in_the_emoji_font(self):
        for w, glyph in words.all_words():
            for g in [glyph] if glyph else [s[0] for s in words.SCENES[w]]:
                self.assertGreater(common.emoji(g).width, 40, w)


class Bitmaps(unittest.TestCase):
    def check_bmp(self, path, width, height, bpp):
        h = bmp_header(path)
        self.assertEqual(h["magic"], b"BM", path)
        self.assertEqual((h["width"], h["height"], h["bpp"]), (width, height, bpp), path)
        self.assertEqual(h["compression"], 0, path)  # BI_RGB
        self.assertEqual(h["header"], 40, path)
        self.assertEqual(h["size"], h["file_len"], path)
        stride = (width * bpp // 8 + 3) & ~3
        self.assertEqual(h["file_len"] - h["offset"], stride * height, path)

    def test_subject_pictures(self):
        names = sorted(os.listdir(os.path.join(DATA, "subjects")))
        self.assertEqual(names, sorted(w + ".bmp" for w, _ in words.all_words()))
        for n in names:
            self.check_bmp(os.path.join(DATA, "subjects", n), 200, 200, 24)

    def test_subject_pictures_are_light_round_the_edge(self):
        for w, _ in words.all_words()[::9]:
            img = load(os.path.join(DATA, "subjects", w + ".bmp"), "L")
            self.assertGreater(img.getpixel((1, 1)), 170, w)
            self.assertGreater(img.getpixel((198, 198)), 170, w)

    def test_subject_object_is_large_and_centred(self):
        for w, _ in words.all_words():
            img = load(os.path.join(DATA, "subjects", w + ".bmp"))
            # The object is whatever differs clearly from the backdrop behind it.
            backdrop = Image.new("RGB", img.size, img.getpixel((100, 4)))
            diff = ImageChops.difference(img, backdrop).convert("L").point(lambda v: 255 if v > 40 else 0)
            box = diff.getbbox()
            self.assertIsNotNone(box, w)
            self.assertGreater(max(box[2] - box[0], box[3] - box[1]), 120, w)
            self.assertLess(abs((box[0] + box[2]) / 2 - 100), 25, w)
            self.assertLess(abs((box[1] + box[3]) / 2 - 100), 25, w)

    def test_subject_backdrops_vary(self):
        corners = {load(os.path.join(DATA, "subjects", w + ".bmp")).getpixel((0, 0))
                   for w, _ in words.all_words()}
        self.assertGreater(len(corners), 20)

    def test_letter_is_large_and_centred_on_its_tile(self):
        for n in (1, 14, 19):  # А, М, С: no marks above or tails below
            ink = load(os.path.join(TILES, "%d.bmp" % n), "L").point(lambda v: 255 if v < 90 else 0)
            x0, y0, x1, y1 = ink.crop((6, 6, 84, 84)).getbbox()
            self.assertTrue(55 <= y1 - y0 <= 66, (n, y1 - y0))
            self.assertLess(abs((x0 + x1) / 2 - 39), 3, n)
            self.assertLess(abs((y0 + y1) / 2 - 39), 3, n)

    def test_letter_tiles_and_back(self):
        for n in range(1, 34):
            self.check_bmp(os.path.join(TILES, "%d.bmp" % n), 90, 90, 24)
        self.check_bmp(os.path.join(DATA, "pz91.bmp"), 90, 90, 24)

    def test_tiles_differ_and_back_is_unlike_any_letter(self):
        tiles = [load(os.path.join(TILES, "%d.bmp" % n), "RGB").tobytes() for n in range(1, 34)]
        self.assertEqual(len(set(tiles)), 33)
        back = load(os.path.join(DATA, "pz91.bmp"), "RGB")
        self.assertNotIn(back.tobytes(), tiles)
        # The back is mostly blue, a letter tile mostly cream.
        r, g, b = back.resize((1, 1), Image.BOX).getpixel((0, 0))
        self.assertGreater(b, r + 40)

    def test_tiles_in_alphabet_order(self):
        # Tile 7 must be Ё: it is Е (tile 6) plus two dots above.
        e = load(os.path.join(TILES, "6.bmp"), "L")
        yo = load(os.path.join(TILES, "7.bmp"), "L")
        top = (20, 8, 70, 14)
        self.assertLess(min(yo.crop(top).getdata()), 100)
        self.assertGreater(min(e.crop(top).getdata()), 150)

    def test_tile_edge_stands_out_from_board_and_cells(self):
        img = load(os.path.join(TILES, "1.bmp"), "RGB")
        edge = img.getpixel((3, 45))
        for bg in (common.WINDOW_GREEN, (128, 128, 128)):
            self.assertGreater(sum(abs(a - b) for a, b in zip(edge, bg)), 150)

    def test_smileys_are_16_bit_on_window_green(self):
        seen = set()
        for n in range(1, 27):
            path = os.path.join(ASSETS, "imgSm%d.bmp" % n)
            self.check_bmp(path, 41, 41, 16)
            self.assertEqual(pixel16(path, 0, 0), 0x0200)  # 5-5-5 for (0,128,0)
            self.assertEqual(pixel16(path, 40, 40), 0x0200)
            seen.add(bmp_header(path)["raw"][54:])
        self.assertEqual(len(seen), 26)
        path = os.path.join(ASSETS, "imgSmVin.bmp")
        self.check_bmp(path, 85, 48, 16)
        self.assertEqual(pixel16(path, 0, 0), 0x0200)


class Jpegs(unittest.TestCase):
    SIZES = {
        "img_control_forward.jpg": (200, 250), "imgGrimaska.jpg": (150, 150),
        "imgDalishe.jpg": (200, 250), "imgWinWin.jpg": (668, 452),
        "imgVybor.jpg": (1363, 572), "ImgA.jpg": (198, 190), "imgE.jpg": (195, 190),
    }

    def test_sizes_and_kind(self):
        for name, size in self.SIZES.items():
            with Image.open(os.path.join(ASSETS, name)) as img:
                self.assertEqual(img.format, "JPEG", name)
                self.assertEqual(img.size, size, name)
                self.assertEqual(bool(img.info.get("progressive")), name == "imgVybor.jpg", name)
                self.assertNotIn("exif", img.info, name)

    def test_choice_background_is_calm_where_profiles_sit(self):
        img = load(os.path.join(ASSETS, "imgVybor.jpg"), "RGB")
        calm = img.crop((488, 200, 953, 409))
        for r, g, b in calm.getdata():
            self.assertLess(abs(r - 0) + abs(g - 128) + abs(b - 0), 40)

    def test_profiles_told_apart_by_colour(self):
        girl = load(os.path.join(ASSETS, "ImgA.jpg"), "RGB").getpixel((99, 140))
        boy = load(os.path.join(ASSETS, "imgE.jpg"), "RGB").getpixel((97, 140))
        self.assertGreater(girl[0], girl[2])  # rose dress
        self.assertGreater(boy[2], boy[0])  # blue shirt


class Sounds(unittest.TestCase):
    def check_wav(self, name, min_s, max_s):
        path = os.path.join(DATA, "Sounds", name)
        with wave.open(path) as w:
            self.assertEqual(w.getnchannels(), 1)
            self.assertEqual(w.getsampwidth(), 2)
            self.assertIn(w.getframerate(), (22050, 44100))
            frames = w.readframes(w.getnframes())
            secs = w.getnframes() / w.getframerate()
        self.assertTrue(min_s <= secs <= max_s, secs)
        samples = struct.unpack("<%dh" % (len(frames) // 2), frames)
        peak = max(abs(s) for s in samples)
        self.assertLess(peak, 32000)  # no clipping
        self.assertGreater(peak, 16000)  # loud enough: within 6 dB of full scale

    def test_drum_roll(self):
        self.check_wav("Drum1.wav", 0.8, 1.5)

    def test_beep(self):
        self.check_wav("Beep.wav", 0.15, 0.35)


class Voices(unittest.TestCase):
    """Listened to by tool: sox's stats of every file. Measured on the committed files:
    0.22 s (И) to 1.10 s (Ь, "мягкий знак"); RMS level -21.74 dB (ПИЦЦА) to -20.00 dB;
    peaks at most -1.00 dB (29,219 of 32,767)."""

    @classmethod
    def setUpClass(cls):
        sounds = os.path.join(DATA, "Sounds")
        cls.files = [os.path.join(sounds, "Letters", "%d.wav" % n) for n in range(1, 34)]
        cls.files += [os.path.join(sounds, "Words", w + ".wav") for w, _ in words.all_words()]
        cls.stats = {f: make_voices.stats(f) for f in cls.files}

    def test_one_for_every_letter_and_word_and_nothing_else(self):
        sounds = os.path.join(DATA, "Sounds")
        self.assertEqual(sorted(os.listdir(os.path.join(sounds, "Letters"))),
                         sorted("%d.wav" % n for n in range(1, 34)))
        self.assertEqual(sorted(os.listdir(os.path.join(sounds, "Words"))),
                         sorted(w + ".wav" for w, _ in words.all_words()))

    def test_small_mono_wavs(self):
        for f in self.files:
            with wave.open(f) as w:
                self.assertEqual((w.getnchannels(), w.getsampwidth(), w.getframerate()), (1, 2, 22050), f)

    def test_length_level_and_fades(self):
        levels = []
        for f, s in self.stats.items():
            self.assertTrue(0.2 <= s["Length s"] <= 1.5, (f, s["Length s"]))
            self.assertGreater(s["Pk lev dB"], -12, f)  # not silent
            self.assertLessEqual(s["Pk lev dB"], -0.99, f)  # not clipped
            levels.append(s["RMS lev dB"])
            with wave.open(f) as w:
                frames = w.readframes(w.getnframes())
            samples = struct.unpack("<%dh" % (len(frames) // 2), frames)
            # Faded: no click where the sound starts or stops.
            self.assertLess(max(abs(x) for x in samples[:8] + samples[-8:]), 800, f)
        self.assertLessEqual(max(levels) - min(levels), 2.0)  # one loudness

    def test_letter_names_as_taught(self):
        self.assertEqual([letter for letter, _, _ in words.LETTER_NAMES], list(words.ALPHABET))
        self.assertEqual([name for _, name, _ in words.LETTER_NAMES], [
            "а", "бэ", "вэ", "гэ", "дэ", "е", "ё", "жэ", "зэ", "и", "и краткое", "ка", "эль", "эм",
            "эн", "о", "пэ", "эр", "эс", "тэ", "у", "эф", "ха", "цэ", "че", "ша", "ща",
            "твёрдый знак", "ы", "мягкий знак", "э", "ю", "я"])

    def test_stress_and_yo_as_spoken(self):
        # espeak-ng's phonemes: ' before the stressed vowel, 8 for ё.
        expected = {"ЁЛКА": "j'8lka", "САМОЛЁТ": "sVmVl;'8t", "ЦЫПЛЁНОК": "tsypl;'8nVk",
                    "ЗЕБРА": "z;'eb", "МОРОЖЕНОЕ": "mVr'oZ", "ОСЬМИНОГ": "n'ok", "ПОЕЗД": "p'oj"}
        for word, phonemes in expected.items():
            text = words.SPOKEN.get(word, word.lower())
            out = subprocess.run(["espeak-ng", "-v", "ru", "-q", "-x", text], check=True,
                                 capture_output=True, text=True).stdout
            self.assertIn(phonemes, out, word)


class Writers(unittest.TestCase):
    def test_bmp24_round_trips(self):
        img = Image.new("RGB", (5, 3))
        img.putdata([(i * 10, 255 - i * 10, i * 3) for i in range(15)])
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "x.bmp")
            common.save_bmp24(img, path)
            self.assertEqual(list(load(path, "RGB").getdata()), list(img.getdata()))

    def test_bmp16_stores_555(self):
        img = Image.new("RGB", (3, 1))
        img.putdata([(0, 128, 0), (255, 255, 255), (248, 0, 8)])
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "x.bmp")
            common.save_bmp16(img, path)
            self.assertEqual([pixel16(path, x, 0) for x in range(3)], [0x0200, 0x7FFF, 0x7C01])


class Drawing(unittest.TestCase):
    def test_recolour_changes_skin_but_not_red(self):
        img = Image.new("RGBA", (2, 1))
        img.putdata([(250, 200, 40, 255), (220, 30, 30, 255)])
        out = common.recolour(img, 0.6)
        skin, red = out.getpixel((0, 0)), out.getpixel((1, 0))
        self.assertGreater(skin[2], skin[0])  # yellow became blue
        self.assertEqual(red, (220, 30, 30, 255))

    def test_hue_rotate_keeps_transparency(self):
        img = Image.new("RGBA", (2, 1))
        img.putdata([(220, 30, 30, 255), (0, 0, 0, 0)])
        out = make_assets.hue_rotate(img, 1 / 3)
        r, g, b, a = out.getpixel((0, 0))
        self.assertGreater(g, r)
        self.assertEqual(out.getpixel((1, 0))[3], 0)

    def test_captions_fit_their_width(self):
        font = make_assets.fitted_font("СЛЕДУЮЩЕЕ", 178, 60)
        box = font.getbbox("СЛЕДУЮЩЕЕ", stroke_width=max(2, font.size // 12))
        self.assertLessEqual(box[2] - box[0], 178)
        self.assertGreater(font.size, 20)


class Icon(unittest.TestCase):
    def test_every_size_is_square_with_see_through_corners(self):
        for size in make_icon.SIZES:
            img = load(os.path.join(ROOT, "packaging", "icons", "%dx%d" % (size, size), "timburik.png"), "RGBA")
            self.assertEqual(img.size, (size, size))
            self.assertEqual(img.getpixel((0, 0))[3], 0, size)
            self.assertEqual(img.getpixel((size - 1, size - 1))[3], 0, size)
            # The letter tile lies in front: its cream face beside the letter, navy ink on it.
            face = img.getpixel((size * 3 // 4, size * 3 // 4))
            ink = img.getpixel((round(size * 0.59), round(size * 0.45)))
            self.assertEqual((face[3], ink[3]), (255, 255), size)
            self.assertGreater(min(face[:2]), 200, size)
            self.assertLess(max(ink[:2]), 60, size)

    def test_sizes_are_one_drawing(self):
        # A small icon is the large one shrunk, not a different picture.
        big = load(os.path.join(ROOT, "packaging", "icons", "256x256", "timburik.png"), "RGBA")
        small = load(os.path.join(ROOT, "packaging", "icons", "64x64", "timburik.png"), "RGBA")
        diff = ImageChops.difference(big.resize((64, 64), Image.LANCZOS), small).convert("L")
        self.assertLess(sum(diff.getdata()) / (64 * 64), 4)


class Reproducible(unittest.TestCase):
    def test_regenerating_gives_identical_bytes(self):
        with tempfile.TemporaryDirectory() as tmp:
            make_words.main(tmp)
            make_tiles.main(tmp)
            make_assets.main(tmp)
            make_sounds.main(tmp)
            make_voices.main(tmp)
            make_icon.main(tmp)
            compared = 0
            for top in ("assets", "data", "packaging"):
                for folder, _, files in os.walk(os.path.join(tmp, top)):
                    for f in files:
                        new = os.path.join(folder, f)
                        old = os.path.join(ROOT, os.path.relpath(new, tmp))
                        self.assertTrue(filecmp.cmp(new, old, shallow=False), old)
                        compared += 1
            self.assertEqual(compared, 130 + 34 + 27 + 7 + 2 + 1 + 33 + 130 + 4)


if __name__ == "__main__":
    unittest.main()
