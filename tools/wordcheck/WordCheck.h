// The word-list checker: reads a content directory the way the game does and lists what a
// child would run into (a word with no picture, a letter with no tile, a word off the board).
#pragma once
#include <filesystem>
#include <string>
#include <vector>

struct WordCheckReport {
    bool readAsUtf8 = false;
    int linesRead = 0;
    std::vector<std::string> problems;  // UTF-8 lines, one per problem
    bool Clean() const { return problems.empty(); }
};

// Longest word whose tiles all stay on the 1369-pixel board.
constexpr int kLongestWordOnBoard = 12;

WordCheckReport CheckContent(const std::filesystem::path& directory);
