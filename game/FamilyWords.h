// The words a parent adds from the corner ("МАМА", the cat's name): each takes the line of a
// bundled word of its level in the user's own word list, laid over the installed one in the
// user's folder, so the game, the checker and a parent editing by hand all see one Words.str.
// Which bundled word each one took the place of is kept in "family.txt" beside it (word, line,
// the word it replaced; tab-separated, UTF-8), so that word can be put back.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "game/WordList.h"

struct FamilyWord {
    std::string word;      // code page 1251, capitals
    int line = 0;          // 1..114
    std::string replaced;  // the bundled word that was there
};

// The level a word of this many letters is played in, as the bundled list places words by
// length: 1 (white) to 4 (black); 0 when it is empty or longer than `longest`.
int LevelForLength(int letters, int longest);

struct FamilyWords {
    std::vector<FamilyWord> words;

    static FamilyWords Load(const std::filesystem::path& folder);
    int Save(const std::filesystem::path& folder) const;  // 0 or an errno value
    const FamilyWord* Find(const std::string& word) const;
};

// Why a word cannot be added, in the parent's words (code page 1251); empty when it can.
std::string CheckFamilyWord(const std::string& word, int longest, const WordList& list);

// The user's word list with line `line` made `word`: read from `current` (the list the game
// reads now, the user's or the installed one), written whole into `userList`, in the
// encoding the list was in. Returns 0 or an errno value; the list is unchanged then.
int WriteListLine(const std::filesystem::path& current, const std::filesystem::path& userList, int line,
                  const std::string& word);
