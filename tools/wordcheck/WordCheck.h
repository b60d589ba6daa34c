// The word-list checker: reads content the way the game does and lists what a child would run
// into (a word with no picture, a letter with no tile, a word off the board or under a
// button), and notes what a parent may not expect (lines no level draws, lines never read,
// words with no voice to say them).
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "game/ContentLocation.h"

struct WordCheckReport {
    bool readAsUtf8 = false;
    int linesRead = 0;
    std::vector<std::string> problems;  // UTF-8 lines, one per problem
    std::vector<std::string> notes;     // UTF-8 lines: worth knowing, but nothing a child meets
    bool Clean() const { return problems.empty(); }
};

WordCheckReport CheckContent(const ContentLocation& content);
WordCheckReport CheckContent(const std::filesystem::path& folder);
