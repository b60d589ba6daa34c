// The progress file of a profile: the number of words the child has solved.
#pragma once
#include <filesystem>
#include <string_view>

// The low eight bits of the first number in the content; 0 when it holds only blanks.
// Throws GameError "Invalid numeric input" when the first item is not a number.
int ParseProgress(std::string_view content);
// 0 when the file cannot be opened; otherwise as ParseProgress.
int LoadProgressFile(const std::filesystem::path& file);
// Writes the score's digits (0 for a score below zero) so that the old score survives any
// failure (see ReplaceFile). Throws GameError with the runtime's text ("File access denied",
// "Disk full", "I/O error N"); an empty path (nowhere to keep progress) is access denied.
void SaveProgressFile(const std::filesystem::path& file, int score);
