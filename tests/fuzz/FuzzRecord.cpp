// Fuzz target: the learning record as the corner reads it (a parent may open it in a
// spreadsheet and save it back), its figures, and its CSV export.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/LearningFigures.h"
#include "game/LearningRecord.h"
#include "game/RecordCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const RecordRead read = ParseLearningRecord(text);
    const ChildFigures f = FiguresOf(read, 1765278000);
    for (const ChildFigures::Confusion& c : f.confused)
        if (c.letter < 1 || c.letter > 33 || c.cell < 1 || c.cell > 33) __builtin_trap();
    for (const int letter : HardLetters(f, 5))
        for (const int sure : SureLetters(f, 5))
            if (letter == sure) __builtin_trap();
    // Every tab becomes a separator and nothing of the text is lost but line ends' CRs.
    if (RecordTextAsCsv(text).size() < 3) __builtin_trap();
    return 0;
}
