// Where the game reads its content and keeps the children's progress. Every path to a
// content or progress file is asked of this type; nothing else joins them.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct ContentLocation {
    // Content folders, most preferred first: a file is taken from the first that has it.
    std::vector<std::filesystem::path> roots;
    // The folder of the progress files; empty when there is none (no home folder at all).
    std::filesystem::path progressFolder;
    // The progress folder is the user's own, made on the first save if it is missing.
    bool progressFolderMadeOnSave = false;
    // Where a child's progress was kept before, read while the progress folder has no file of
    // its own for that child: the program's folder, once it can no longer keep it.
    std::filesystem::path progressReadFallback;
    // Why progress cannot be kept here at all (a browser that refuses the site its storage),
    // in code page 1251: added to the message of a failed save. Empty when nothing is known.
    std::string progressNote;

    // Content and progress together in one folder, as when the game is started in it.
    static ContentLocation InFolder(const std::filesystem::path& folder);

    // A file no root has is named in the first, the user's folder, where a parent can put it;
    // where they cannot (the browser's storage), in the last, where the site fetches it from.
    bool missingInFirstRoot = true;

    // The file at `relative` in the first root that has it; else as missingInFirstRoot says.
    std::filesystem::path Find(const std::filesystem::path& relative) const;
    std::filesystem::path WordList() const;
    std::filesystem::path Cover() const;
    std::filesystem::path LetterPicture(int letter) const;
    // `word` in code page 1251, as the word list holds it.
    std::filesystem::path SubjectPicture(const std::string& word) const;
    std::filesystem::path Sound(const std::string& fileName) const;
    // The voice saying a letter (alphabet number) or a word (code page 1251), which a parent
    // may record over the installed one in their own folder.
    // A voice a parent recorded in the corner comes first; then a file of the same name in a
    // root (the manual way, over the installed voices); then the game's own.
    std::filesystem::path LetterVoice(int letter) const;
    std::filesystem::path WordVoice(const std::string& word) const;

    // The parent's own folder, where the corner writes: the first root. Where the game plays
    // a folder of its own (started in it, or unpacked from a zip), that is the game's content
    // folder itself, and nothing the game came with may be written over there.
    std::filesystem::path UserFolder() const;
    // The game came with what lies there: it is not the parent's alone.
    bool UserFolderHoldsGameContent() const { return roots.size() == 1; }
    // The family's words: the note of each (family.txt), the change being written
    // (family-pending.txt, present only between the writes of one change), a word's picture.
    std::filesystem::path FamilyNote() const;
    std::filesystem::path FamilyPending() const;
    std::filesystem::path FamilyPicture(const std::string& word) const;
    // The parent's recordings, kept apart from the game's own voices on every build, so that
    // taking one away always brings the game's voice back.
    std::filesystem::path ParentLetterVoice(int letter) const;
    std::filesystem::path ParentWordVoice(const std::string& word) const;
    // A voice of the same name put over the installed ones in the parent's folder by hand, or
    // by the corner of earlier versions; only where the parent's folder is not the game's
    // own (else empty: there such a file is the game's voice).
    std::filesystem::path OverlaidLetterVoice(int letter) const;
    std::filesystem::path OverlaidWordVoice(const std::string& word) const;
    // The word list in the parent's folder, whether it is there or not.
    std::filesystem::path UserWordList() const;
    // The list the parent's folder lies over, when there is one (the installed list); else empty.
    std::filesystem::path UnderlyingWordList() const;
    std::filesystem::path ProgressFile(const std::string& fileName) const;
    // The file of that name where the progress was kept before it moved; empty when it has
    // not moved.
    std::filesystem::path ProgressFileBefore(const std::string& fileName) const;
    // The file a child's progress is read from: the progress folder's, else the fallback's.
    std::filesystem::path ProgressFileToRead(const std::string& fileName) const;
    // The folder whose file of that name is read, by the same rule (the list of children).
    std::filesystem::path ProgressFolderToRead(const std::string& fileName) const;
};

// What the location is decided from.
struct LocationRequest {
    std::optional<std::filesystem::path> dataFolder;  // given on the command line
    std::filesystem::path currentFolder;
    bool installedOnly = false;             // --installed: the current folder is not looked at
    std::filesystem::path installedFolder;  // the content installed with the program
    std::filesystem::path userFolder;       // the user's own folder; empty when there is none
    // The installed folder keeps the progress too: a program unpacked from a zip into a
    // folder that may be written, where everything stays together as the original kept it.
    bool progressBesideInstalled = false;
    // A program folder that could keep the progress but cannot (made read-only since): the
    // progress is read from it until the user's folder has it.
    bool programKeepsNoProgress = false;
    // The same of a content folder the game is started in (ProgressMayBeKeptIn).
    bool currentKeepsNoProgress = false;
    bool userFolderByHand = true;  // see ProgramFolders
};

// A folder given on the command line; else the current folder when it holds a content pack
// (a word list, the tile back and the letter tiles: a content folder the game was started
// in); else the installed folder when it keeps the progress too; else the installed content
// with the user's folder over it, the progress in the user's folder. A content folder that
// cannot keep the progress, whichever rule chose it, gives only its content: the user's
// folder lies over it and keeps the progress, and its scores are read until the user's
// folder has its own.
ContentLocation ResolveContentLocation(const LocationRequest& request);

// What a family is told when the progress is first kept away from the content it lay beside
// (code page 1251): where the game now keeps it. Empty when the progress has not moved, or
// once the user's folder keeps a child's progress or record.
std::string ProgressMovedNote(const ContentLocation& location);

// Whether a program's folder can keep the progress files: whether a save there would
// succeed, which needs a new file to be made in the folder (asked of the system, as the save
// asks it) and no progress file already there marked read-only, since a save would refuse it.
bool ProgressMayBeKeptIn(const std::filesystem::path& folder);

// What the location is decided from on this system, for the game and the word checker alike:
// a folder given on the command line, or --installed, with the folder the program is started
// in and the system's folders (ProgramFolders).
LocationRequest SystemLocationRequest(const std::optional<std::filesystem::path>& dataFolder, bool installedOnly);
