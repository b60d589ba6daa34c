// A child's whole learning record across a move of the progress. When the folder that kept
// the progress can no longer be written, the record goes on in the user's folder, and the one
// left beside the old progress file (which cannot be changed any more) still holds what came
// before. The history is the two together, older lines first; the first time the game writes
// the new record, the old one is copied into it, once, so that the new file alone is all of
// it (for a spreadsheet, and after the old folder is gone). A small mark beside the new
// record ("Confif.joined" for "Confif.log") says the copy is done; a copy interrupted before
// its mark is recognised by its content, so no line is ever there twice.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "game/ContentLocation.h"
#include "game/LearningRecord.h"

// The text of the record `now` with the record `before` joined in front of it: `now` as it
// is when it already begins with the end of `before` (joined before, perhaps since capped),
// else one header, the lines of `before`, then those of `now`. Past `cap` bytes the oldest
// lines are dropped, whole, as the record itself drops them.
struct JoinedText {
    std::string text;
    bool changed = false;  // `now` did not already hold `before`
};
JoinedText JoinRecordTexts(std::string_view before, std::string_view now, std::size_t cap);

// Everything the child has done, from the record in the progress folder and the one kept
// before the progress moved; `recordFile` is the child's ("Confif.log"). Nothing, without an
// error, when neither can be read.
RecordRead ReadChildHistory(const ContentLocation& location, const std::string& recordFile);
// The same, handed over an event at a time: once the two are joined (or there was never a
// move), the record is read a piece at a time, in bounded memory whatever its size. Returns
// the number of lines that could not be read.
int ForEachHistoryEvent(const ContentLocation& location, const std::string& recordFile,
                        const std::function<void(const RecordEvent&)>& event);

// The mark beside a record that says the record kept before the move is in it, or is not to
// be read any more: "Confif.joined" for "Confif.log".
std::string JoinedMarkName(const std::string& recordFile);

// Copies the record kept before the move into the one in the progress folder, unless that
// was done already. Returns 0 (also when there is nothing to join), or the errno value of the
// failure, both files then as they were.
int JoinChildHistory(const ContentLocation& location, const std::string& recordFile);
