// Which record files make up a child's history, and joining the old one into the new once.
#include "game/RecordHistory.h"

#include <cerrno>
#include <system_error>

#include "platform/Files.h"

namespace {

constexpr std::string_view kHeaderStart = "время";

// A record's header line (with its newline) when it has one, and the lines after it.
struct Split {
    std::string_view header, body;
};

Split SplitHeader(std::string_view text) {
    if (!text.starts_with(kHeaderStart)) return {{}, text};
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return {text, {}};
    return {text.substr(0, end + 1), text.substr(end + 1)};
}

std::string EndingInNewline(std::string_view lines) {
    std::string s(lines);
    if (!s.empty() && s.back() != '\n') s += '\n';
    return s;
}

// Whether `now` begins with some whole-line ending of `before`: the lines a join put there,
// the oldest of them perhaps dropped since by the cap. Lines are compared whole, so a line cut
// short by a power cut at the end of `before` never matches the start of a longer one.
bool HoldsTheEndOf(std::string_view before, std::string_view now) {
    const std::string b = EndingInNewline(before), n = EndingInNewline(now);
    for (std::size_t at = 0; at < b.size(); at = b.find('\n', at) + 1)
        if (n.starts_with(std::string_view(b).substr(at))) return true;
    return false;
}

// The file's text, but no more than its header and its newest `limit` bytes, from the first
// whole line on: a record of any size is read in bounded memory.
int ReadNewest(const std::filesystem::path& file, std::size_t limit, std::string& text) {
    text.clear();
    std::size_t head = std::string::npos;  // the header's length, once known
    bool cut = false;
    const int err = ReadFileInPieces(file, [&](std::string_view piece) {
        text.append(piece);
        if (head == std::string::npos) {
            const std::size_t end = text.find('\n');
            if (end == std::string::npos && text.size() < 4096) return true;
            head = end != std::string::npos && text.starts_with(kHeaderStart) ? end + 1 : 0;
        }
        if (text.size() > head + 2 * limit) {
            text.erase(head, text.size() - head - limit);
            cut = true;
        }
        return true;
    });
    if (err != 0) {
        text.clear();
        return err;
    }
    if (head == std::string::npos) head = 0;
    if (text.size() > head + limit) {
        text.erase(head, text.size() - head - limit);
        cut = true;
    }
    if (cut) {
        const std::size_t end = text.find('\n', head);
        text.erase(head, end == std::string::npos ? std::string::npos : end + 1 - head);
    }
    return 0;
}

bool Exists(const std::filesystem::path& p) {
    std::error_code ec;
    return !p.empty() && std::filesystem::exists(p, ec);
}

// The mark is a file of ours; anything else of its name is no mark.
bool Marked(const std::filesystem::path& mark) {
    std::error_code ec;
    return !mark.empty() && std::filesystem::is_regular_file(mark, ec);
}


// A record is never let grow past the cap; twice that is read, in case one grew by hand.
constexpr std::size_t kReadLimit = 2 * LearningRecord::kCapBytes;

}  // namespace

std::string JoinedMarkName(const std::string& recordFile) {
    const std::size_t dot = recordFile.rfind('.');
    return (dot == std::string::npos ? recordFile : recordFile.substr(0, dot)) + ".joined";
}

JoinedText JoinRecordTexts(std::string_view before, std::string_view now, std::size_t cap) {
    const Split b = SplitHeader(before), n = SplitHeader(now);
    if (b.body.find_first_not_of("\r\n") == std::string_view::npos || HoldsTheEndOf(b.body, n.body))
        return {std::string(now), false};
    const std::string_view header = b.header.empty() ? n.header : b.header;
    std::string lines = EndingInNewline(b.body);
    lines += n.body;
    if (header.size() + lines.size() > cap) {
        const std::size_t room = cap > header.size() ? cap - header.size() : 0;
        const std::size_t end = lines.find('\n', lines.size() - room - 1);
        lines.erase(0, end == std::string::npos ? std::string::npos : end + 1);
    }
    return {std::string(header) + lines, true};
}

RecordRead ReadChildHistory(const ContentLocation& location, const std::string& recordFile) {
    const std::filesystem::path now = location.ProgressFile(recordFile);
    const std::filesystem::path before = location.ProgressFileBefore(recordFile);
    if (!Exists(before) || Marked(location.ProgressFile(JoinedMarkName(recordFile)))) return ReadLearningRecord(now);
    std::string beforeText, nowText;
    if (ReadNewest(before, kReadLimit, beforeText) != 0) return ReadLearningRecord(now);
    if (!now.empty()) ReadNewest(now, kReadLimit, nowText);
    return ParseLearningRecord(JoinRecordTexts(beforeText, nowText, LearningRecord::kCapBytes).text);
}

int ForEachHistoryEvent(const ContentLocation& location, const std::string& recordFile,
                        const std::function<void(const RecordEvent&)>& event) {
    const std::filesystem::path now = location.ProgressFile(recordFile);
    if (!Exists(location.ProgressFileBefore(recordFile)) || Marked(location.ProgressFile(JoinedMarkName(recordFile))))
        return ForEachRecordEvent(now, event);
    // Not joined yet: both are read, each at most kReadLimit, as ReadChildHistory reads them.
    const RecordRead read = ReadChildHistory(location, recordFile);
    for (const RecordEvent& e : read.events) event(e);
    return read.damaged;
}

int JoinChildHistory(const ContentLocation& location, const std::string& recordFile) {
    const std::filesystem::path now = location.ProgressFile(recordFile);
    const std::filesystem::path before = location.ProgressFileBefore(recordFile);
    const std::filesystem::path mark = location.ProgressFile(JoinedMarkName(recordFile));
    if (now.empty() || !Exists(before) || Marked(mark)) return 0;
    std::string beforeText, nowText;
    // An old record that cannot be read has nothing to give; it is tried again next time.
    if (ReadNewest(before, kReadLimit, beforeText) != 0) return 0;
    if (location.progressFolderMadeOnSave) {
        if (const int err = MakePrivateFolder(location.progressFolder); err != 0) return err;
    }
    // A new record that is there but cannot be read is left alone: rewriting it would lose it.
    if (const int err = ReadNewest(now, kReadLimit, nowText); err != 0 && err != ENOENT) return err;
    const JoinedText joined = JoinRecordTexts(beforeText, nowText, LearningRecord::kCapBytes);
    if (joined.changed) {
        if (const int err = ReplaceFile(now, joined.text); err != 0) return err;
    }
    // For a parent who finds the mark: where the lines came from.
    const std::u8string from = before.u8string();
    return ReplaceFile(mark, std::string(from.begin(), from.end()) + "\n");
}
