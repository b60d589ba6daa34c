// A fresh directory for one test, removed afterwards, with helpers to write files into it.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/toolkit/Picture.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes bytes to a file below the directory (UTF-8 relative name), creating folders.
    std::filesystem::path Write(const std::string& relative, std::string_view bytes) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

// Little-endian fields, as BMP and WAV headers hold them.
void Put16(std::string& s, unsigned v);
void Put32(std::string& s, unsigned v);

// A 24-bit bottom-up BMP file image of a picture.
std::string EncodeBmp24(const Picture& picture);
// A solid picture of one colour.
Picture SolidPicture(int width, int height, TColor colour);
