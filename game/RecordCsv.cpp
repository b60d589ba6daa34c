// Turning the tab-separated record into semicolon-separated CSV.
#include "game/RecordCsv.h"

#include <cerrno>

#include "platform/Files.h"

namespace {
constexpr std::string_view kMark = "\xEF\xBB\xBF";
constexpr std::string_view kHeader = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";

class CsvWriter {
public:
    explicit CsvWriter(std::string& out) : out_(out) { out_ += kMark; }
    void Feed(std::string_view text) {
        for (const char ch : text) {
            if (atStart_ && markLeft_ > 0) {
                // The record's own mark, if a spreadsheet saved it back with one, is not data.
                if (ch == kMark[kMark.size() - markLeft_]) {
                    --markLeft_;
                    continue;
                }
                field_.insert(0, kMark.substr(0, kMark.size() - markLeft_));
                markLeft_ = 0;
            }
            atStart_ = false;
            if (ch == '\t') {
                EndField();
                out_ += kCsvSeparator;
            } else if (ch == '\n') {
                EndField();
                out_ += "\r\n";
            } else if (ch != '\r') {
                if (ch == '"' || ch == kCsvSeparator) quoted_ = true;
                if (ch == '"') field_ += '"';
                field_ += ch;
            }
        }
    }
    void Finish() {
        if (!field_.empty()) EndField();
    }

private:
    void EndField() {
        out_ += quoted_ ? "\"" + field_ + "\"" : field_;
        field_.clear();
        quoted_ = false;
    }
    std::string& out_;
    std::string field_;
    bool quoted_ = false;
    bool atStart_ = true;
    std::size_t markLeft_ = kMark.size();
};
}  // namespace

std::string RecordTextAsCsv(std::string_view record) {
    std::string csv;
    CsvWriter w(csv);
    w.Feed(record);
    w.Finish();
    return csv;
}

int RecordFileAsCsv(const std::filesystem::path& record, std::string& csv) {
    csv.clear();
    CsvWriter w(csv);
    const int err = ReadFileInPieces(record, [&](std::string_view piece) {
        w.Feed(piece);
        return true;
    });
    if (err == ENOENT) {
        csv.clear();
        CsvWriter header(csv);
        header.Feed(kHeader);
        header.Finish();
        return 0;
    }
    if (err != 0) {
        csv.clear();
        return err;
    }
    w.Finish();
    return 0;
}
