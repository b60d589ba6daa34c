// The word list: 130 entries read from "Words.str".
#pragma once
#include <array>
#include <filesystem>
#include <string>
#include <string_view>

constexpr int kWordCount = 130;
constexpr int kMaxWordLength = 20;

struct WordList {
    std::array<std::string, kWordCount + 1> entries;  // 1..130, code page 1251; [0] unused
    int linesRead = 0;        // entries the file filled
    bool readAsUtf8 = false;  // the file was UTF-8 and was converted
};

// The line rules: LF ends a line, a CR before it is not part of it, a CR elsewhere is
// dropped, a Ctrl-Z ends the list; each entry keeps its first 20 characters.
WordList ParseWordList(std::string_view bytes);
// Throws GameError with the read error text when the file cannot be read.
WordList LoadWordList(const std::filesystem::path& file);
