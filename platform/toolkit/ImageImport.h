// A parent's own picture for a word: a photo or drawing file decoded within limits and turned
// upright, a square cut from it where the parent chooses, scaled to the subject size and
// written as the 24-bit BMP file the game reads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/toolkit/Picture.h"

// What a picture file may be, and how big the picture in it may be: a parent's photo is a few
// megabytes and a few thousand pixels across; more is refused before the pixels are decoded.
constexpr std::size_t kMaxImportFileBytes = 40u * 1024 * 1024;
constexpr int kMaxImportSide = 8000;
constexpr long long kMaxImportPixels = 40LL * 1000 * 1000;
// The side of every subject picture on the board.
constexpr int kSubjectSide = 200;

// A PNG, JPEG or BMP file's bytes as an upright picture: a JPEG's EXIF orientation is applied,
// and transparent parts are shown on white, as the game's pictures are drawn. Throws GameError
// with a parent's message when the bytes are no picture it can read (a WebP or HEIC file is
// named as such), when the picture is over the limits above, or when a JPEG file ends before
// its picture does (a copy broken off). With `minSide`, a JPEG is decoded at the smallest of
// libjpeg's scales that keeps its shorter side at least that long (a thumbnail, a picture to
// crop), which costs a fraction of the time and memory of the whole photo.
Picture DecodeImportedPicture(const std::uint8_t* data, std::size_t size, int minSide = 0);
// The same for a file; a file over kMaxImportFileBytes is refused without being read.
Picture LoadImportedPicture(const std::filesystem::path& file, int minSide = 0);

// The EXIF orientation of a JPEG (1 to 8, as its Orientation tag says), 1 when the file has
// none or it cannot be read: the reader never looks outside the bytes given.
int JpegExifOrientation(const std::uint8_t* data, std::size_t size);
// The picture as it should be seen when its stored pixels carry that EXIF orientation; any
// value outside 2 to 8 leaves it as it is.
Picture ApplyExifOrientation(const Picture& stored, int orientation);

// A square of the picture, in its pixels.
struct SquareCrop {
    int left = 0;
    int top = 0;
    int side = 0;
    bool operator==(const SquareCrop&) const = default;
};
// The square of `side` pixels (the largest that fits when 0 or more than fits; at least one)
// whose centre is as near (centreX, centreY) as the picture allows, so a crop dragged past an
// edge stops at it. Pictures with no pixels give an empty crop.
SquareCrop CropAround(int width, int height, int centreX, int centreY, int side = 0);
// The largest square in the middle.
SquareCrop CentredCrop(int width, int height);
// Where the crop starts before the parent moves it: the largest square in the middle of a
// landscape picture, and near the top of an upright one.
SquareCrop FirstCrop(int width, int height);

// The crop (clamped to the picture first) scaled to kSubjectSide x kSubjectSide with a
// sharp filter that mixes colours as light does (sRGB-aware), so edges neither blur nor
// darken. Throws GameError when the picture is empty.
Picture MakeSubjectPicture(const Picture& picture, SquareCrop crop);
// The same at any side (a thumbnail).
Picture ScaledSquare(const Picture& picture, SquareCrop crop, int outSide);

// A 24-bit bottom-up BMP file's bytes of the picture (alpha left out), as DecodeBmp reads it.
std::string EncodeBmp(const Picture& picture);
