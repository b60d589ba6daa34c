// Fuzz target: the family's note ("family.txt"), which a parent may edit by hand, and the list
// the game plays with those words laid over it.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "game/FamilyWords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FamilyWords family = FamilyWords::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    std::set<int> lines;
    for (const FamilyWord& w : family.words) {
        // A word on a line the list has, and two words never on one line.
        if (w.line < 1 || w.line > kWordCount || !lines.insert(w.line).second) __builtin_trap();
    }
    WordList list;
    ApplyFamilyWords(list, family);
    for (int level = 1; level <= 4; ++level) NextFamilyLine(family, "Confif.cnf", level);
    return 0;
}
