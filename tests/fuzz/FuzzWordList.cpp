// Fuzz target: the word-list reader ("Words.str"), whatever bytes a parent's editor saved,
// read whole and in the uneven pieces a file arrives in.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/WordList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const WordList whole = ParseWordList(bytes);
    // The promises the rest of the game relies on: never more than 130 entries, none longer
    // than the board can hold, nothing stored past the lines read.
    if (whole.linesRead < 0 || whole.linesRead > kWordCount) __builtin_trap();
    for (int k = 0; k <= kWordCount; ++k) {
        const std::string& entry = whole.entries[static_cast<std::size_t>(k)];
        if (entry.size() > static_cast<std::size_t>(kMaxWordLength)) __builtin_trap();
        if ((k == 0 || k > whole.linesRead) && !entry.empty()) __builtin_trap();
    }

    // Where the pieces break must not matter: a line end, a CR, a byte-order mark or a UTF-8
    // sequence may be cut anywhere by the file's reads.
    WordListReader reader;
    const std::size_t step = size == 0 ? 1 : 1 + data[0] % 7;
    for (std::size_t at = 0, n = step; at < size; at += n, n = n % 5 + step)
        reader.Feed(bytes.substr(at, std::min(n, size - at)));
    const WordList pieces = reader.Finish();
    if (pieces.linesRead != whole.linesRead || pieces.readAsUtf8 != whole.readAsUtf8 ||
        pieces.entries != whole.entries)
        __builtin_trap();
    return 0;
}
