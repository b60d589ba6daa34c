// Writing the learning record a line an event, and reading it back for the corner.
#include "game/LearningRecord.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "game/Puzzle.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {

constexpr std::string_view kHeader = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";

struct KindName {
    RecordEvent::Kind kind;
    std::string_view name;
};
constexpr KindName kKinds[] = {
    {RecordEvent::Kind::Start, "начало"},      {RecordEvent::Kind::Word, "слово"},
    {RecordEvent::Kind::Drop, "буква"},        {RecordEvent::Kind::Hint, "подсказка"},
    {RecordEvent::Kind::Solved, "решено"},     {RecordEvent::Kind::End, "конец"},
};

std::string LetterText(int number) { return Cp1251ToUtf8(std::string(1, LetterOfNumber(number))); }

// A capital Russian letter in UTF-8 is two bytes: Ё is D0 81, А to Я are D0 90 to D0 AF. Read
// here directly: a record of years holds a million of them.
int LetterFrom(std::string_view utf8) {
    if (utf8.size() != 2 || static_cast<unsigned char>(utf8[0]) != 0xD0) return 0;
    const auto second = static_cast<unsigned char>(utf8[1]);
    if (second == 0x81) return LetterNumber(0xA8);
    if (second < 0x90 || second > 0xAF) return 0;
    return LetterNumber(static_cast<unsigned char>(0xC0 + (second - 0x90)));
}

// A line's first fields; a record's lines have six at most, and more are not looked at.
struct LineFields {
    std::array<std::string_view, 6> at;
    std::size_t count = 0;
    std::size_t size() const { return count; }
    std::string_view operator[](std::size_t i) const { return at[i]; }
};

LineFields Fields(std::string_view line) {
    LineFields fields;
    for (std::size_t from = 0; fields.count < fields.at.size();) {
        const std::size_t tab = line.find('\t', from);
        fields.at[fields.count++] = line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from);
        if (tab == std::string_view::npos) break;
        from = tab + 1;
    }
    return fields;
}

// Local time to a moment. A record holds thousands of lines of the same hours, and mktime
// asks the system's time zone every call: each hour's start is worked out once. Clocks change
// on the hour, so within an hour minutes and seconds simply add.
struct HourCache {
    long long key = -1;
    std::time_t start = 0;
    // And the word the lines are about, converted once for the run of lines it comes in.
    std::string wordUtf8, word;
};

bool ParseTime(std::string_view text, std::time_t& at, HourCache& cache) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    // The game writes "2026-12-09 10:15:03" and nothing else: read that by hand, the rest
    // (a line a spreadsheet rewrote) the long way.
    auto digits = [&](std::size_t from, std::size_t n, int& v) {
        v = 0;
        for (std::size_t i = from; i < from + n; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            v = v * 10 + (text[i] - '0');
        }
        return true;
    };
    const bool plain = text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
                       text[16] == ':' && digits(0, 4, year) && digits(5, 2, month) && digits(8, 2, day) &&
                       digits(11, 2, hour) && digits(14, 2, minute) && digits(17, 2, second);
    if (!plain) {
        char tail = 0;
        const std::string s(text);
        if (std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second, &tail) != 6)
            return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60)
        return false;
    const long long key = ((static_cast<long long>(year) * 12 + month) * 32 + day) * 24 + hour;
    if (key != cache.key) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_isdst = -1;
        const std::time_t start = std::mktime(&t);
        if (start == static_cast<std::time_t>(-1)) return false;
        cache.key = key;
        cache.start = start;
    }
    at = cache.start + minute * 60 + second;
    return true;
}

bool ParseLine(std::string_view line, RecordEvent& e, HourCache& cache) {
    const LineFields f = Fields(line);
    if (f.size() < 2 || !ParseTime(f[0], e.at, cache)) return false;
    bool known = false;
    for (const KindName& k : kKinds)
        if (f[1] == k.name) {
            e.kind = k.kind;
            known = true;
        }
    if (!known) return false;
    if (f.size() >= 3) {
        if (f[2] != cache.wordUtf8) {
            cache.wordUtf8 = f[2];
            cache.word = Utf8ToCp1251(f[2]);
        }
        e.word = cache.word;
    }
    const bool needsWord = e.kind == RecordEvent::Kind::Word || e.kind == RecordEvent::Kind::Drop ||
                           e.kind == RecordEvent::Kind::Hint || e.kind == RecordEvent::Kind::Solved;
    if (needsWord && e.word.empty()) return false;
    if (e.kind != RecordEvent::Kind::Drop) return true;
    if (f.size() < 6) return false;
    e.letter = LetterFrom(f[3]);
    e.cell = LetterFrom(f[4]);
    if (e.letter == 0 || e.cell == 0 || (f[5] != "да" && f[5] != "нет")) return false;
    e.right = f[5] == "да";
    return true;
}

}  // namespace

std::string FormatRecordLine(const RecordEvent& e) {
    char when[32] = "";
    const std::tm* local = std::localtime(&e.at);
    if (local) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", local);
    std::string line = when;
    for (const KindName& k : kKinds)
        if (k.kind == e.kind) line += "\t" + std::string(k.name);
    if (!e.word.empty()) line += "\t" + Cp1251ToUtf8(e.word);
    if (e.kind == RecordEvent::Kind::Drop)
        line += "\t" + LetterText(e.letter) + "\t" + LetterText(e.cell) + (e.right ? "\tда" : "\tнет");
    return line + "\n";
}

namespace {

// Splits text into lines and parses each, wherever the pieces of the file end.
class RecordLines {
public:
    explicit RecordLines(const std::function<void(const RecordEvent&)>& event) : event_(event) {}
    void Feed(std::string_view piece) {
        for (std::size_t at = 0; at < piece.size();) {
            const std::size_t end = piece.find('\n', at);
            if (end == std::string_view::npos) {
                Keep(piece.substr(at));
                return;
            }
            if (partial_.empty()) {
                Line(piece.substr(at, end - at));
            } else {
                Keep(piece.substr(at, end - at));
                Line(partial_);
                partial_.clear();
            }
            at = end + 1;
        }
    }
    int Finish() {
        if (!partial_.empty()) Line(partial_);
        partial_.clear();
        return damaged_;
    }

private:
    // No line of ours is this long: the rest of such a line is not kept, and it counts as damaged.
    static constexpr std::size_t kLongestLine = 4096;
    void Keep(std::string_view part) {
        partial_.append(part.substr(0, kLongestLine + 1 - std::min(partial_.size(), kLongestLine + 1)));
    }
    void Line(std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const bool first = first_;
        first_ = false;
        if (first && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        if (first && line.starts_with("время")) return;
        if (line.empty()) return;
        RecordEvent e;
        if (line.size() <= kLongestLine && ParseLine(line, e, cache_))
            event_(e);
        else
            ++damaged_;
    }
    const std::function<void(const RecordEvent&)>& event_;
    std::string partial_;
    HourCache cache_;
    bool first_ = true;
    int damaged_ = 0;
};

}  // namespace

RecordRead ParseLearningRecord(std::string_view text) {
    RecordRead read;
    const std::function<void(const RecordEvent&)> keep = [&](const RecordEvent& e) { read.events.push_back(e); };
    RecordLines lines(keep);
    lines.Feed(text);
    read.damaged = lines.Finish();
    return read;
}

int ForEachRecordEvent(const std::filesystem::path& file, const std::function<void(const RecordEvent&)>& event) {
    if (file.empty()) return 0;
    RecordLines lines(event);
    if (ReadFileInPieces(file, [&](std::string_view piece) {
            lines.Feed(piece);
            return true;
        }) != 0)
        return 0;
    return lines.Finish();
}

RecordRead ReadLearningRecord(const std::filesystem::path& file) {
    RecordRead read;
    read.damaged = ForEachRecordEvent(file, [&](const RecordEvent& e) { read.events.push_back(e); });
    return read;
}

void LearningRecord::Open(std::filesystem::path file) {
    file_ = std::move(file);
    pending_.clear();
}

void LearningRecord::Add(const RecordEvent& event) {
    if (!file_.empty()) pending_ += FormatRecordLine(event);
}

bool LearningRecord::Flush() {
    if (file_.empty() || pending_.empty()) return true;
    const std::string lines = std::move(pending_);
    pending_.clear();
    std::error_code ec;
    const bool exists = std::filesystem::exists(file_, ec);
    const std::uintmax_t size = exists ? std::filesystem::file_size(file_, ec) : 0;
    if (ec) return false;
    if (size + lines.size() <= kCapBytes) return AppendToFile(file_, exists && size > 0 ? lines : std::string(kHeader) + lines) == 0;
    // Past the cap: the older half goes, in one replacement, so the file is whole either way.
    std::string old;
    // Only the newer half is read, a piece at a time; the older half is never held at all.
    std::string newer;
    const std::uintmax_t keepFrom = size / 2;
    std::uintmax_t at = 0;
    const int err = ReadFileInPieces(file_, [&](std::string_view piece) {
        const std::uintmax_t end = at + piece.size();
        if (end > keepFrom) newer.append(piece.substr(static_cast<std::size_t>(keepFrom > at ? keepFrom - at : 0)));
        at = end;
        return true;
    });
    if (err != 0) return false;  // the file stays as it was: only these lines are missed
    // From the first whole line of the newer half.
    std::size_t from = newer.find('\n');
    from = from == std::string::npos ? newer.size() : from + 1;
    return ReplaceFile(file_, std::string(kHeader) + newer.substr(from) + lines) == 0;
}
