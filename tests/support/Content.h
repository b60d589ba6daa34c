// A small content directory made by a test: words it knows, letter pictures of distinct
// plain colours, a cover of another colour, a subject picture per word.
#pragma once
#include <string>
#include <vector>

#include "platform/Color.h"
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

// Writes the content into `dir`. `words` are UTF-8 and are stored in code page 1251, one a
// line; line k of the file is words[k - 1].
void WriteContent(const TempDir& dir, const std::vector<std::string>& words, ContentOptions options = {});
// The same word on all 130 lines, so that every draw gives it.
std::vector<std::string> Repeat(const std::string& word, int times = 130);
