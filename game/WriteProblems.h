// What the parents' corner says when a file it writes for a parent cannot be written: what
// failed and why, in a parent's words, with what to do. The game's own saves keep the system's
// texts they have always shown (Errors.h); the corner is the parent's, and speaks to them.
#pragma once
#include <filesystem>
#include <string>

// `err` is the errno value the write failed with; `file` the file it was writing. Code page 1251.
std::string WriteProblem(int err, const std::filesystem::path& file);
