// Where the board and the buttons lie in the window: what the game lays out and what the word
// checker measures a word's tiles against.
#pragma once
#include <array>

#include "game/Puzzle.h"
#include "platform/toolkit/Rect.h"

// The window's frame, which the host fits to the screen.
constexpr Size kLayoutSize{1369, 700};
constexpr Rect kBoardArea{-16, 0, 1369, 361};
constexpr Rect kExitButtonArea{8, 16, 57, 17};
constexpr Rect kHintButtonArea{16, 424, 201, 33};

// The longest word whose tiles all stay on the board and clear of the window's buttons.
inline int LongestPlayableWord() {
    const std::array<Rect, 2> buttons{kExitButtonArea, kHintButtonArea};
    return LongestWordClearOf(kBoardArea, buttons, TileSizeT{});
}
