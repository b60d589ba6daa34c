// The words a parent adds from the corner ("МАМА", the cat's name): each takes the line of a
// bundled word of its length group, and is kept as that change alone in "family.txt" in the
// parent's folder (word, line, the word it replaced, the children who have met it;
// tab-separated, UTF-8), laid over whichever word list the game reads. No copy of the list is
// written, so a newer installed list still shows through every other line, and a list a parent
// edits by hand is read as it always was.
//
// Adding or removing a word writes more than one file (its picture, the note). Each change is
// one transaction: its intent is written first ("family-pending.txt"), the note is the one write
// that commits it, and a start after a crash finishes a committed change or undoes the rest.
#pragma once
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "game/ContentLocation.h"
#include "game/WordList.h"

struct FamilyWord {
    std::string word;      // code page 1251, capitals
    int line = 0;          // 1..114
    std::string replaced;  // the bundled word that was there
    // The progress files of the children who have had it on the board: until a child has, it
    // is that child's next word on every level that draws its line.
    std::vector<std::string> metBy;
};

// The level a word of this many letters is played in, as the bundled list places words by
// length: 1 (white) to 4 (black); 0 when it is empty or longer than `longest`. It is also the
// word's length group: 1-3 letters, 4, 5, 6 and more.
int LevelForLength(int letters, int longest);

struct FamilyWords {
    std::vector<FamilyWord> words;

    // The note; nothing, without an error, when it is missing or cannot be read.
    static FamilyWords Load(const std::filesystem::path& note);
    // The note's text, as a parent may have edited it: lines that are no word's are left out.
    static FamilyWords Parse(std::string_view text);
    const FamilyWord* Find(const std::string& word) const;
    const FamilyWord* AtLine(int line) const;
};
// The note's text for these words; empty for none.
std::string FamilyNoteText(const FamilyWords& family);

// Every family word on its line.
void ApplyFamilyWords(WordList& list, const FamilyWords& family);
// The list the game plays: the word list found, with the family's words over it. Throws
// GameError as LoadWordList does.
WordList LoadPlayedWords(const ContentLocation& content);

// --- Typing a word ------------------------------------------------------------------------

// What the parent typed (code page 1251) added to `word`: small letters count as capitals,
// Ё as Ё; anything else is left out and said (a Latin letter, a space, a letter too many).
struct WordTyping {
    std::string word;
    std::string problem;  // in the parent's words; empty when everything typed was taken
};
WordTyping TypeIntoWord(const std::string& word, const std::string& typed, int longest);

// Why a word cannot be added, in the parent's words (code page 1251); empty when it can.
// `played` is the list the game plays, with the family's words on it.
std::string CheckFamilyWord(const std::string& word, int longest, const WordList& played, const FamilyWords& family);

// --- The word it takes the place of -------------------------------------------------------

// The lines of the bundled words a new word of `letters` letters may take: words of its own
// length group, so that each level that drew the old word draws one of its kind; on lines some
// level draws; not a family word's; each word once; at most `most`, in list order.
std::vector<int> ReplaceableLines(const WordList& played, const FamilyWords& family, int letters, int longest,
                                  std::size_t most);
// The levels (1 to 4) that draw line `line`, in order.
std::vector<int> LevelsOfLine(int line);
// Where the word on `line` is played, for the parent: "на белом и жёлтом уровнях".
std::string LevelsOfLineText(int line);

// --- The word a child meets next ----------------------------------------------------------

// The line of the family word the child has not met yet that `level` draws, the first added
// first; 0 for none (or before a level is chosen).
int NextFamilyLine(const FamilyWords& family, const std::string& childFile, int level);
// The word on `line` has been on the board for the child. True when that is new, and the note
// is to be written.
bool MarkFamilyWordMet(FamilyWords& family, int line, const std::string& childFile);

// --- The changes, each one transaction ----------------------------------------------------

// The writes a change makes, so that a test can fail any of them, or stop between two as a
// crash would. The default writes the files (ReplaceFile, the folders made first).
class FamilyStore {
public:
    virtual ~FamilyStore() = default;
    // 0 or an errno value; a failure leaves the old file whole.
    virtual int Write(const std::filesystem::path& file, std::string_view bytes);
    // 0 or an errno value; a file that is not there is no failure.
    virtual int Remove(const std::filesystem::path& file);
    // Reads the change's files (the note, the lists): 0 or an errno value, ENOENT included.
    virtual int Read(const std::filesystem::path& file, std::string& bytes, std::size_t limit);
};
FamilyStore& FilesOnDisk();

// Adds `word` (its line and the word it replaces set) with its picture, a BMP file's bytes.
// Returns 0 or the errno value of the failure; `family` and the files are as they were then.
int AddFamilyWord(const ContentLocation& content, FamilyWords& family, const FamilyWord& word, std::string_view bmp,
                  FamilyStore& store = FilesOnDisk());
// Takes family word `word` away with its picture and its voice: its line plays the replaced
// word again. Returns 0 or an errno value; `family` and the files are as they were then.
int RemoveFamilyWord(const ContentLocation& content, FamilyWords& family, const std::string& word,
                     FamilyStore& store = FilesOnDisk());
// Writes the note as `family` has it (the children who met a word); removes it when empty.
int SaveFamilyNote(const ContentLocation& content, const FamilyWords& family, FamilyStore& store = FilesOnDisk());
// At start: finishes a change whose note was written before the game stopped, or undoes one
// whose note was not; and takes away a whole copy of the underlying list that earlier versions
// of the corner left in the parent's folder, once it holds nothing but the family's words.
void SettleFamilyChanges(const ContentLocation& content, FamilyStore& store = FilesOnDisk());

// The user's word list with line `line` made `word`: read from `current` (the list the game
// reads now, the user's or the installed one), written whole into `userList`, in the
// encoding the list was in. Returns 0 or an errno value; the list is unchanged then.
int WriteListLine(const std::filesystem::path& current, const std::filesystem::path& userList, int line,
                  const std::string& word, FamilyStore& store = FilesOnDisk());
