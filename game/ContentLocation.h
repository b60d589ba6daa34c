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
    // Why progress cannot be kept here at all (a browser that refuses the site its storage),
    // in code page 1251: added to the message of a failed save. Empty when nothing is known.
    std::string progressNote;

    // Content and progress together in one folder, as when the game is started in it.
    static ContentLocation InFolder(const std::filesystem::path& folder);

    // The file at `relative` in the first root that has it; in the last root when none does,
    // so that a message names the installed file that is missing.
    std::filesystem::path Find(const std::filesystem::path& relative) const;
    std::filesystem::path WordList() const;
    std::filesystem::path Cover() const;
    std::filesystem::path LetterPicture(int letter) const;
    // `word` in code page 1251, as the word list holds it.
    std::filesystem::path SubjectPicture(const std::string& word) const;
    std::filesystem::path Sound(const std::string& fileName) const;
    // The voice saying a letter (alphabet number) or a word (code page 1251), which a parent
    // may record over the installed one in their own folder.
    std::filesystem::path LetterVoice(int letter) const;
    std::filesystem::path WordVoice(const std::string& word) const;
    std::filesystem::path ProgressFile(const std::string& fileName) const;
};

// What the location is decided from.
struct LocationRequest {
    std::optional<std::filesystem::path> dataFolder;  // given on the command line
    std::filesystem::path currentFolder;
    std::filesystem::path installedFolder;  // the content installed with the program
    std::filesystem::path userFolder;       // the user's own folder; empty when there is none
    // The installed folder keeps the progress too: a program unpacked from a zip into a
    // folder that may be written, where everything stays together as the original kept it.
    bool progressBesideInstalled = false;
};

// A folder given on the command line; else the current folder when it holds a word list (a
// content folder the game was started in); else the installed folder when it keeps the
// progress too; else the installed content with the user's folder over it, the progress in
// the user's folder.
ContentLocation ResolveContentLocation(const LocationRequest& request);

// The game's folder in the system's per-user folder for programs' files (%APPDATA%); empty
// when there is none.
std::filesystem::path AppDataFolder(const std::filesystem::path& userAppData);

// The user's folder for the game's files: $XDG_DATA_HOME/timburik, else
// $HOME/.local/share/timburik; empty when neither is set to an absolute path.
std::filesystem::path UserDataFolder(const char* xdgDataHome, const char* home);
