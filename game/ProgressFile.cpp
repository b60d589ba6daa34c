// The progress file: one number, the count of a child's solved words. Read leniently,
// written whole or not at all.
#include "game/ProgressFile.h"

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/toolkit/Errors.h"
#include "platform/Files.h"

namespace {
constexpr std::size_t kMaxNumberChars = 32;

[[noreturn]] void InvalidNumber() { throw GameError("Invalid numeric input"); }

// One integer as the progress file holds it: decimal with an optional sign, or hexadecimal
// after "$", "x", "X", "0x" or "0X". Anything else is not a number.
std::int64_t ParseNumber(const std::string& token) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) negative = token[i++] == '-';
    const std::string rest = token.substr(i);
    std::size_t hexStart = std::string::npos;
    if (!negative && i == 0) {
        if (rest.starts_with("0x") || rest.starts_with("0X")) hexStart = 2;
        else if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) hexStart = 1;
    }
    if (hexStart != std::string::npos) {
        std::uint64_t v = 0;
        int significant = 0;
        if (hexStart >= rest.size()) InvalidNumber();
        for (std::size_t k = hexStart; k < rest.size(); ++k) {
            const char c = rest[k];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else InvalidNumber();
            if (v != 0 || d != 0) ++significant;
            if (significant > 8) InvalidNumber();
            v = v * 16 + static_cast<std::uint64_t>(d);
        }
        return static_cast<std::int64_t>(v);
    }
    if (rest.empty()) InvalidNumber();
    std::int64_t v = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') InvalidNumber();
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) InvalidNumber();
    }
    if (negative) v = -v;
    if (v > 2147483647LL) InvalidNumber();
    return v;
}
}  // namespace

int ParseProgress(std::string_view content) {
    std::size_t i = 0;
    while (i < content.size() && static_cast<unsigned char>(content[i]) <= ' ') ++i;
    std::string token;
    while (i < content.size() && static_cast<unsigned char>(content[i]) > ' ' && token.size() < kMaxNumberChars)
        token += content[i++];
    if (token.empty()) return 0;  // an empty file, or blanks only: no words yet
    return static_cast<int>(static_cast<std::uint64_t>(ParseNumber(token)) & 0xFF);
}

int LoadProgressFile(const std::filesystem::path& file) {
    // Only the first item matters: read up to it and through it, never the whole file.
    std::string token;
    bool started = false, done = false;
    const int err = ReadFileInPieces(file, [&](std::string_view piece) {
        for (const char ch : piece) {
            const bool blank = static_cast<unsigned char>(ch) <= ' ';
            if (!started && blank) continue;
            started = true;
            if (blank || token.size() >= kMaxNumberChars) {
                done = true;
                break;
            }
            token += ch;
        }
        return !done;
    });
    // No progress yet, or a file that cannot be read (locked, say): start from 0.
    if (err != 0) return 0;
    return ParseProgress(token);
}

void SaveProgressFile(const std::filesystem::path& file, int score) {
    // A score below zero exists only between a hint and the next picture; saving its low
    // eight bits would come back as 255 and then as 2, so it is kept as 0.
    const int value = score < 0 ? 0 : (score & 0xFF);
    if (file.empty()) throw GameError(WriteErrorText(EACCES));  // nowhere to keep it
    const int err = ReplaceFile(file, std::to_string(value));
    if (err != 0) throw GameError(WriteErrorText(err));
}
