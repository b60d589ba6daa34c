// The folders the system itself gives a program, where it has a convention of its own: the
// executable's folder for a program unpacked from a zip, and the per-user folder for programs'
// files (Windows' %APPDATA%). Empty where the system has none and the build's and the
// desktop's conventions apply instead (Linux).
#pragma once
#include <filesystem>

struct ProgramFolders {
    std::filesystem::path programFolder;  // the executable's folder, holding its content
    std::filesystem::path userAppData;    // the user's folder for programs' files
};

ProgramFolders SystemProgramFolders();
