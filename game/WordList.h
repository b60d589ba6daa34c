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
    int linesPast = 0;        // lines after the last entry, which the game ignores
    bool readAsUtf8 = false;  // the file was UTF-8 and was converted
};

// The line rules: LF ends a line, a CR before it is not part of it, a CR elsewhere is
// dropped, a Ctrl-Z ends the list; spaces and tabs at both ends of a line are dropped and
// lower-case Russian letters read as capitals; each entry keeps its first 20 characters.
WordList ParseWordList(std::string_view bytes);

// The same rules over a file fed in pieces of any size. Only the bytes that can make an
// entry's first 20 characters are kept, so a huge line costs no memory; whether the file is
// UTF-8 is still judged over all of it.
class WordListReader {
public:
    void Feed(std::string_view bytes);
    WordList Finish();

private:
    void CheckUtf8(std::string_view bytes);
    void EndLine();

    WordList list_;
    std::string line_;     // the kept head of the line being read, CRs left out
    bool inLine_ = false;  // a byte of the current line has been seen
    bool ended_ = false;   // a Ctrl-Z: the rest only counts for the encoding
    bool full_ = false;    // every entry is filled: the lines after are only counted
    bool pastInLine_ = false;  // a byte of a line after the last entry has been seen
    std::string head_;     // the file's first bytes, until a byte-order mark can be told
    bool headKnown_ = false;
    bool hasBom_ = false;
    bool bomAlone_ = false;       // the current line holds nothing but the byte-order mark
    bool markOnlyEntry_ = false;  // a Ctrl-Z ended the list right after the mark
    std::string pending_;  // an unfinished UTF-8 sequence at the end of the last piece
    bool validUtf8_ = true;
    bool cyrillic_ = false;
};

// Throws GameError with the read error text when the file cannot be read.
WordList LoadWordList(const std::filesystem::path& file);
