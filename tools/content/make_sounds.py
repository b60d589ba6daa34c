"""data/Sounds/Drum1.wav (a short drum roll for a finished word) and
data/Sounds/Beep.wav (a soft beep), synthesised with sox.

sox runs with -R (its noise generator starts from a fixed seed) and -D (no
dither), so every run writes the same bytes."""

import os
import subprocess
import sys
import tempfile

import common

RATE = "22050"
FORMAT = ["-r", RATE, "-c", "1", "-b", "16", "-e", "signed-integer"]


def sox(*args):
    subprocess.run(["sox", "-R", "-D", "-V1"] + [str(a) for a in args], check=True)


def snare(path, length, volume, pitch):
    """One stroke: a burst of band-limited noise over a short falling tone."""
    with tempfile.TemporaryDirectory() as tmp:
        noise, tone = os.path.join(tmp, "n.wav"), os.path.join(tmp, "t.wav")
        sox("-n", *FORMAT, noise, "synth", length, "whitenoise",
            "highpass", 900, "lowpass", 7000, "fade", "l", 0, length, length * 0.95)
        sox("-n", *FORMAT, tone, "synth", length, "sine", "%d-%d" % (pitch, pitch * 0.7),
            "fade", "l", 0, length, length * 0.9)
        sox("-m", "-v", 0.55 * volume, noise, "-v", 0.5 * volume, tone, *FORMAT, path)


def drum_roll(path):
    with tempfile.TemporaryDirectory() as tmp:
        parts = []
        t, gap, i = 0.0, 0.080, 0
        # Strokes come closer and louder: the roll speeds up to the final hit.
        while t < 0.78:
            stroke = os.path.join(tmp, "s%02d.wav" % i)
            snare(stroke, 0.09, 0.45 + 0.5 * t, 200 if i % 2 else 185)
            parts.append((stroke, t))
            t += gap
            gap = max(0.042, gap * 0.93)
            i += 1
        boom = os.path.join(tmp, "boom.wav")
        crash = os.path.join(tmp, "crash.wav")
        sox("-n", *FORMAT, boom, "synth", 0.32, "sine", "110-48", "fade", "l", 0, 0.32, 0.3)
        sox("-n", *FORMAT, crash, "synth", 0.36, "whitenoise", "highpass", 3000,
            "fade", "l", 0, 0.36, 0.34)
        parts.append((boom, t + 0.02))
        parts.append((crash, t + 0.02))
        inputs = []
        for n, (part, start) in enumerate(parts):
            padded = os.path.join(tmp, "p%02d.wav" % n)
            sox(part, padded, "pad", "%.4f" % start)
            loud = 1.3 if part == boom else 0.7 if part == crash else 1.0
            inputs += ["-v", loud, padded]
        mixed = os.path.join(tmp, "mix.wav")
        sox("-m", *inputs, *FORMAT, mixed)
        common.ensure_dir(path)
        sox(mixed, *FORMAT, path, "gain", "-n", -3)


def beep(path):
    common.ensure_dir(path)
    # A sine with a faint octave above, eased in and out so it does not click.
    with tempfile.TemporaryDirectory() as tmp:
        a, b = os.path.join(tmp, "a.wav"), os.path.join(tmp, "b.wav")
        sox("-n", *FORMAT, a, "synth", 0.25, "sine", 880)
        sox("-n", *FORMAT, b, "synth", 0.25, "sine", 1760)
        sox("-m", "-v", 0.8, a, "-v", 0.12, b, *FORMAT, path,
            "fade", "h", 0.015, 0.25, 0.09, "gain", "-n", -3)


def main(root):
    sounds = os.path.join(root, "data", "Sounds")
    drum_roll(os.path.join(sounds, "Drum1.wav"))
    beep(os.path.join(sounds, "Beep.wav"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else common.repo_root())
