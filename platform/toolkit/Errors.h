// The error type whose text is what the player reads, and the texts of file errors.
#pragma once
#include <filesystem>
#include <stdexcept>
#include <string>

// Text is code page 1251, like every text inside the game.
class GameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message a box shows for an error text: a full stop is added unless the text is empty
// or its last character's code is that of "." or lower.
std::string WithFullStop(const std::string& text);

// Reading a data file failed with errno `err`: "File not found", "Invalid filename",
// "Too many open files", "File access denied", otherwise "I/O error <err>".
std::string ReadErrorText(int err);
// Writing a file failed with errno `err`: "File access denied", "Disk full",
// otherwise "I/O error <err>".
std::string WriteErrorText(int err);
// A picture could not be opened: "Cannot open file "<full path>". <system's reason>".
GameError CannotOpenFile(const std::filesystem::path& file, int err);
