// Reading "Words.str": the line rules, and UTF-8 word lists turned into the code page 1251
// text the rest of the game works in.
#include "game/WordList.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/toolkit/Errors.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {

constexpr char kCtrlZ = '\x1A';
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// 20 characters of UTF-8 take at most 80 bytes, and the first line may carry a byte-order
// mark before them; a code page 1251 entry needs only 20 of these.
constexpr std::size_t kKeptBytes = 4 * kMaxWordLength + kBom.size();

// How many bytes at the end of `s` begin a UTF-8 sequence that runs past it.
std::size_t UnfinishedTail(std::string_view s) {
    for (std::size_t back = 1; back <= 3 && back <= s.size(); ++back) {
        const auto c = static_cast<unsigned char>(s[s.size() - back]);
        if ((c & 0xC0) == 0x80) continue;
        const std::size_t length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

}  // namespace

void WordListReader::CheckUtf8(std::string_view bytes) {
    // A parent editing the list on Linux saves UTF-8; an old list is code page 1251. Only a
    // file that is wholly valid UTF-8 and has Russian letters in it can be the former: a
    // code page 1251 word list almost never forms valid UTF-8 by chance.
    for (const char c : bytes) {
        // Cyrillic letters are U+0400..U+04FF, led by 0xD0..0xD3; in valid UTF-8 such a byte
        // is always a lead byte.
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0xD0 && u <= 0xD3) cyrillic_ = true;
    }
    if (!validUtf8_) return;
    std::string joined = pending_ + std::string(bytes);
    const std::size_t tail = UnfinishedTail(joined);
    pending_ = joined.substr(joined.size() - tail);
    joined.resize(joined.size() - tail);
    validUtf8_ = IsValidUtf8(joined);
}

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Lower-case Russian letters as their capitals: a parent typing in an editor rarely holds
// Shift, and the tiles are the same.
void ToCapitals(std::string& entry) {
    for (char& c : entry) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0xE0) c = static_cast<char>(u - 0x20);
        else if (u == 0xB8) c = static_cast<char>(0xA8);  // ё
    }
}
}  // namespace

void WordListReader::EndLine() {
    // Blanks an editor left at the end of a line are not part of the word; those at its
    // start were never kept.
    while (!line_.empty() && IsBlank(line_.back())) line_.pop_back();
    list_.entries[++list_.linesRead] = line_;
    line_.clear();
    inLine_ = false;
    bomAlone_ = false;
    if (list_.linesRead == kWordCount) full_ = true;  // the rest is ignored
}

void WordListReader::Feed(std::string_view bytes) {
    if (!headKnown_) {
        // The mark is judged on the file's first three bytes, however the pieces fall.
        const std::size_t take = std::min(bytes.size(), kBom.size() - head_.size());
        head_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (head_.size() < kBom.size()) return;
        headKnown_ = true;
        hasBom_ = head_ == kBom;
        const std::string head = std::move(head_);
        head_.clear();
        if (hasBom_) {
            // The mark stays in the first line's bytes: a file that is not UTF-8 keeps it as
            // text, and a UTF-8 one loses it when the entries are converted.
            inLine_ = true;
            bomAlone_ = true;
            line_ = kBom;
        } else {
            Feed(head);
        }
    }
    CheckUtf8(bytes);
    for (std::size_t i = 0; i < bytes.size() && !ended_; ++i) {
        const char c = bytes[i];
        if (full_) {
            // Counted so that a parent can be told the lines were not read, as the game reads
            // them: a Ctrl-Z still ends the file.
            if (c == kCtrlZ) {
                if (pastInLine_) ++list_.linesPast;
                pastInLine_ = false;
                ended_ = true;
            } else if (c == '\n') {
                ++list_.linesPast;
                pastInLine_ = false;
            } else {
                pastInLine_ = true;
            }
        } else if (c == '\n') {
            EndLine();
        } else if (c == kCtrlZ) {
            // A Ctrl-Z ends the list; inside a line it first ends that line. Right after a
            // mark that turns out to be UTF-8's, it stands at the start of the text.
            if (inLine_) {
                markOnlyEntry_ = bomAlone_;
                EndLine();
            }
            ended_ = true;
        } else {
            inLine_ = true;
            // A CR before the LF and a CR anywhere else are both simply not part of the text,
            // and neither are blanks before the word, however many.
            const bool leading = line_.empty() || bomAlone_;
            if (c == '\r' || (leading && IsBlank(c))) continue;
            bomAlone_ = false;
            if (line_.size() < kKeptBytes) line_ += c;
        }
    }
}

WordList WordListReader::Finish() {
    if (!headKnown_) {
        // A file of fewer than three bytes: no mark, read it as it is.
        headKnown_ = true;
        const std::string head = std::move(head_);
        head_.clear();
        Feed(head);
    }
    if (inLine_ && !ended_) EndLine();
    if (pastInLine_) ++list_.linesPast;
    // A byte-order mark says UTF-8 by itself; without one, Russian letters must say it.
    list_.readAsUtf8 = validUtf8_ && pending_.empty() && (cyrillic_ || hasBom_);
    if (list_.readAsUtf8 && markOnlyEntry_) {
        list_.entries[1].clear();
        list_.linesRead = 0;
    }
    for (int k = 1; k <= list_.linesRead; ++k) {
        std::string& entry = list_.entries[k];
        if (list_.readAsUtf8) {
            if (k == 1 && hasBom_) entry.erase(0, kBom.size());
            // The cut comes after the conversion, so a UTF-8 line keeps 20 letters, not 20
            // bytes; a sequence split by the kept bytes' end lies past the 20th letter.
            entry = Utf8ToCp1251(entry);
        }
        ToCapitals(entry);
        if (entry.size() > static_cast<std::size_t>(kMaxWordLength)) entry.resize(kMaxWordLength);
    }
    return std::move(list_);
}

WordList ParseWordList(std::string_view bytes) {
    WordListReader reader;
    reader.Feed(bytes);
    return reader.Finish();
}

WordList LoadWordList(const std::filesystem::path& file) {
    WordListReader reader;
    // Read to the end, a piece at a time: the encoding is judged on the whole file, but only
    // the kept lines are held. A folder is an access error, as the original runtime said.
    const int err = ReadFileInPieces(file, [&](std::string_view piece) {
        reader.Feed(piece);
        return true;
    });
    if (err != 0) throw GameError(ReadErrorText(err));
    return reader.Finish();
}
