// A small content directory made by a test: words it knows, letter pictures of distinct
// plain colours, a cover of another colour, a subject picture per word.
#pragma once
#include <string>
#include <vector>

#include "platform/toolkit/Color.h"
#include "tests/support/TempDir.h"

constexpr TColor kCoverColour = 0x0000C0;    // dark red
constexpr TColor kSubjectColour = 0xC08040;  // a blue
// The plain colour of letter picture n (1..33); all distinct and unlike every board colour.
TColor LetterColour(int n);

struct ContentOptions {
    bool words = true;
    bool cover = true;
    bool letters = true;
    bool subjects = true;
    bool sounds = true;
};

// A WAV file made of its parts; by default a tenth of a second of silence, 8000 Hz mono.
struct WavParts {
    unsigned format = 1;  // PCM
    unsigned channels = 1;
    unsigned rate = 8000;
    unsigned bits = 8;
    unsigned blockAlign = 1;
    std::string samples = std::string(800, '\x80');
    long dataSizeClaimed = -1;  // -1: the true size
};
std::string MakeWav(const WavParts& w);
// Silence of that length, 16-bit mono at `rate`.
std::string SilentWav(double seconds, unsigned rate = 22050);

// Writes the content into `dir`. `words` are UTF-8 and are stored in code page 1251, one a
// line; line k of the file is words[k - 1].
void WriteContent(const TempDir& dir, const std::vector<std::string>& words, ContentOptions options = {});
// The same word on all 130 lines, so that every draw gives it.
std::vector<std::string> Repeat(const std::string& word, int times = 130);
