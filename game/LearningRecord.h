// The learning record: what a child did, an event a line, kept beside the child's progress
// file (Confif.log beside Confif.cnf) for a parent to read in the game's corner or in a
// spreadsheet. Tab-separated UTF-8, a header line first:
//   время  событие  слово  буква  клетка  верно
// one of: начало (a session starts), слово (a word is put on the board), буква (a tile let
// go into a cell: its letter, the cell's, "да" or "нет"), подсказка (the hint), решено (the
// word solved or passed on), конец (the session ends). The time is local, "2026-12-09 10:15:03".
// The score never depends on it: a record that is missing, damaged or cannot be written
// leaves the game as it always was.
#pragma once
#include <cstddef>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct RecordEvent {
    enum class Kind { Start, Word, Drop, Hint, Solved, End };
    std::time_t at = 0;
    Kind kind = Kind::Start;
    std::string word;  // code page 1251
    int letter = 0;    // a drop's tile letter (alphabet number)
    int cell = 0;      // and its cell's
    bool right = false;
};

struct RecordRead {
    std::vector<RecordEvent> events;
    int damaged = 0;  // lines that could not be read, skipped
};

RecordRead ParseLearningRecord(std::string_view text);
// Reads the record a piece of the file at a time, handing over each event as it is read, so
// that a record of any size is read in bounded memory. Returns the number of lines that could
// not be read; nothing, without an error, for a record that is missing or cannot be read.
int ForEachRecordEvent(const std::filesystem::path& file, const std::function<void(const RecordEvent&)>& event);
// The whole record in memory, for records known to be small (tests, a single session).
RecordRead ReadLearningRecord(const std::filesystem::path& file);

// The record of the child playing. Events wait in memory and are added to the file at the
// end of a word and of the session, never during a drag. The file is capped: past kCapBytes
// its older half is dropped (never more than half, whatever the file's size: a record joined
// from another device may be larger), the rest replaced whole.
class LearningRecord {
public:
    static constexpr std::size_t kCapBytes = 1024 * 1024;

    // `file` empty: nothing is kept.
    void Open(std::filesystem::path file);
    const std::filesystem::path& File() const { return file_; }
    void Add(const RecordEvent& event);
    // Writes what waits; false when it could not be written (it is then dropped: the game
    // goes on, and the record only misses those lines).
    bool Flush();

private:
    std::filesystem::path file_;
    std::string pending_;
};

std::string FormatRecordLine(const RecordEvent& event);
