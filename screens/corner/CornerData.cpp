// The corner's copies of the children and the words, read as it opens.
#include "screens/corner/CornerScreen.h"

#include "platform/toolkit/Errors.h"

void CornerData::Load(const ContentLocation& content) {
    children = ChildList::Load(content.ProgressFolderToRead("children.txt"));
    WordsChanged(content);
}

void CornerData::WordsChanged(const ContentLocation& content) {
    family = FamilyWords::Load(content.FamilyNote());
    try {
        words = LoadWordList(content.WordList());
    } catch (const GameError&) {
        words = WordList{};  // the game says so itself; the corner shows what there is
    }
    ApplyFamilyWords(words, family);
}
