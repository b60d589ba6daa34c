// Fuzz target: the lenient reader of a progress file ("Confif.cnf", "Confis.cnf").
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/toolkit/Errors.h"
#include "game/ProgressFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const int score = ParseProgress(std::string_view(reinterpret_cast<const char*>(data), size));
        // Only the low eight bits of the number are kept.
        if (score < 0 || score > 255) __builtin_trap();
    } catch (const GameError&) {
        // "Invalid numeric input": the game shows it; anything else escaping is a finding.
    }
    return 0;
}
