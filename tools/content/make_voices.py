"""data/Sounds/Letters/1.wav .. 33.wav (each letter's name, as the alphabet is
taught in Russian kindergartens) and data/Sounds/Words/<WORD>.wav (every word
of the list), spoken by espeak-ng's Russian voice.

Each recording is trimmed of the silence espeak-ng leaves round it, brought to
one loudness (the RMS level sox's stats measure), faded in and out so that it
starts and stops without a click, and written as 22050 Hz 16-bit mono.
espeak-ng speaks the same bytes for the same text, and sox runs with -R and -D
as for the other sounds, so every run writes the same bytes."""

import os
import subprocess
import sys
import tempfile

import common
import words

RATE = "22050"
FORMAT = ["-r", RATE, "-c", "1", "-b", "16", "-e", "signed-integer"]
# Words per minute: well below espeak-ng's 175, for children who are still
# matching sounds to letters (at 175 "кот" is over in a quarter of a second).
SPEED = "110"
# The loudness every recording is brought to, and the most its peak may reach.
TARGET_RMS_DB = -20.0
PEAK_LIMIT_DB = -1.0
# Below this level, the start and end of a recording count as silence.
SILENCE = "-50d"


def sox(*args):
    subprocess.run(["sox", "-R", "-D", "-V1"] + [str(a) for a in args], check=True)


def stats(path):
    """sox's stats of a file, as a dict of its figures in dB and seconds."""
    out = subprocess.run(["sox", "-R", "-D", "-V1", path, "-n", "stats"], check=True,
                         capture_output=True, text=True).stderr
    figures = {}
    for line in out.splitlines():
        name, _, value = line.rpartition(" ")
        try:
            figures[name.strip()] = float(value)
        except ValueError:
            pass
    return figures


def speak(text, path):
    common.ensure_dir(path)
    with tempfile.TemporaryDirectory() as tmp:
        raw, trimmed = os.path.join(tmp, "raw.wav"), os.path.join(tmp, "trimmed.wav")
        subprocess.run(["espeak-ng", "-v", "ru", "-s", SPEED, "-w", raw, text], check=True)
        sox(raw, trimmed, "silence", 1, 0.005, SILENCE, "reverse", "silence", 1, 0.005, SILENCE, "reverse")
        s = stats(trimmed)
        gain = min(TARGET_RMS_DB - s["RMS lev dB"], PEAK_LIMIT_DB - s["Pk lev dB"])
        sox(trimmed, *FORMAT, path, "gain", "%.2f" % gain, "fade", "t", 0.008, s["Length s"], 0.04)


def main(root):
    sounds = os.path.join(root, "data", "Sounds")
    for n, (_, _, spoken) in enumerate(words.LETTER_NAMES, start=1):
        speak(spoken, os.path.join(sounds, "Letters", "%d.wav" % n))
    for word, _ in words.all_words():
        speak(words.SPOKEN.get(word, word.lower()), os.path.join(sounds, "Words", word + ".wav"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else common.repo_root())
