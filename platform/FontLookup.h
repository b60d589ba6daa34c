// Finding a font file by family name: one implementation per platform, chosen by CMake.
#pragma once
#include <filesystem>
#include <string>

// The file of the family asked for, in the weight asked for, where it is installed; else the
// file the system offers for a plain sans-serif face. Empty if there is no font at all.
std::filesystem::path FindFontFile(const std::string& family, bool bold);
