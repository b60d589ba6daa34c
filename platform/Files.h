// File access the game needs, with one implementation per platform chosen by the build.
// Failures are errno values, so that one set of message texts (Errors.h) serves every platform.
#pragma once
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// A path from UTF-8 text (a word's picture, a name built in the program), whatever the
// platform's own narrow encoding is.
std::filesystem::path PathFromUtf8(std::string_view utf8);

// Reads the whole file into `bytes`; a file longer than `limit` is refused with EFBIG.
// Returns 0 or the errno value of the failure.
int ReadWholeFile(const std::filesystem::path& file, std::string& bytes, std::size_t limit);

// Replaces the content of `file` with `bytes` so that a failure leaves the old content whole:
// through a temporary file of a fresh name beside it, flushed to the disk and renamed over it.
// A file that may be written in a folder that may not is rewritten in place instead, since no
// temporary file can be made there. Returns 0 or the errno value of the failure, having
// removed whatever of its own it created.
int ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

// Adds `bytes` at the end of `file`, creating it when missing: for a record kept line by line,
// where a power cut may cost the last line but never what was there before. Returns 0 or the
// errno value of the failure.
int AppendToFile(const std::filesystem::path& file, std::string_view bytes);

// Whether the file, or the folder when it is one, is marked writable. The mark is what
// counts, not whether the system would let this process through: a parent who made a file
// read-only meant it, even for a game run by an administrator.
bool MayWrite(const std::filesystem::path& fileOrFolder);

// Creates the folder and any missing parents; the folder itself is private to its owner.
// An existing folder is left as it is. Returns 0 or the errno value of the failure.
int MakePrivateFolder(const std::filesystem::path& folder);

// Reads the file from the start in pieces, handing each to `piece`, which returns false once it
// has read enough; for readers that must not hold a file of any size in memory. A folder is
// refused (EISDIR where the system says so, else EACCES). Returns 0 or the errno value.
int ReadFileInPieces(const std::filesystem::path& file, const std::function<bool(std::string_view)>& piece);
