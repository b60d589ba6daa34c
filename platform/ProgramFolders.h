// The folders the system gives the game: the content installed with it, the user's own folder
// for the game's files, and whether the program was unpacked with its content beside it (a
// zip on Windows). One implementation per platform, chosen by the build.
#pragma once
#include <filesystem>

struct ProgramFolders {
    std::filesystem::path installed;  // the content installed with the program
    std::filesystem::path user;       // the user's folder for the game's files; empty when none
    bool unpacked = false;            // the content lies beside the executable, which may keep progress
    // A parent can put files in the user's folder by hand (not so the browser's storage).
    bool userFolderByHand = true;
};

ProgramFolders SystemProgramFolders();

// The desktop's convention for a program's files: $XDG_DATA_HOME/timburik, else
// $HOME/.local/share/timburik; empty when neither is set to an absolute path.
std::filesystem::path UserDataFolder(const char* xdgDataHome, const char* home);
