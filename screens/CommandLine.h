// The program's command line: what a parent or a desktop may ask of it.
#pragma once
#include <filesystem>
#include <optional>
#include <string>

struct CommandLine {
    bool help = false;
    bool version = false;
    bool windowed = false;
    bool voices = true;  // --no-voice: no letters or words said aloud; drum and beep as ever
    bool installed = false;  // --installed: the installed content, whatever folder it is started in
    std::optional<std::filesystem::path> dataFolder;
    std::string error;  // one line for stderr; the program then exits with status 2
};

CommandLine ParseCommandLine(int argc, const char* const* argv);
// The text of --help, in Russian and English.
std::string HelpText();
