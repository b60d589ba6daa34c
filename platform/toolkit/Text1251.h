// Code page 1251 <-> UTF-8. The game keeps text as code page 1251 bytes, as its files do,
// and converts only at the edges: for rendering and for file names on disk.
#pragma once
#include <string>
#include <string_view>

std::string Cp1251ToUtf8(std::string_view cp1251);
// Characters with no place in code page 1251 become "?".
std::string Utf8ToCp1251(std::string_view utf8);
bool IsValidUtf8(std::string_view bytes);

// For literals in our UTF-8 sources: Cp("Выход") is the code page 1251 text.
inline std::string Cp(std::string_view utf8) { return Utf8ToCp1251(utf8); }
