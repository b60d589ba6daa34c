// Where the parent keeps their photos, and the newest of them, for the corner to offer as a
// word's picture. The folder is the system's (one implementation a system, beside HandToParent);
// the look through it is the same everywhere.
#pragma once
#include <cstddef>
#include <filesystem>
#include <vector>

// XDG's Pictures on Linux, the known Pictures folder on Windows; empty where the system has
// no such folder (the browser, whose picker is used instead).
std::filesystem::path PicturesFolder();

// The newest JPEG, PNG and BMP files in `folder` and its folders down to `depth` levels below
// it (a phone's photos arrive in "Альбом камеры", a camera's in a folder a day), newest first,
// at most `most`. Hidden folders are not looked in, nor is any folder past `maxEntries`
// entries looked through in all, so that a huge photo library cannot stall the look.
std::vector<std::filesystem::path> NewestPictures(const std::filesystem::path& folder, std::size_t most, int depth = 2,
                                                  std::size_t maxEntries = 20000);
