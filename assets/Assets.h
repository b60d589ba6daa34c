// The pictures carried inside the executable, by file name ("imgVybor.jpg").
#pragma once
#include <cstddef>
#include <string_view>

struct EmbeddedFile {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

// Null data when no such file was embedded.
EmbeddedFile FindAsset(std::string_view name);
