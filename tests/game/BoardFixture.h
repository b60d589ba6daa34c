// A stand-in for the window around the board, and small boards and content made to order,
// so the game layer runs in tests with a fixed clock and no display.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "game/Board.h"
#include "game/Dragging.h"
#include "game/Movement.h"
#include "game/Puzzle.h"
#include "platform/Text1251.h"
#include "tests/support/TempDir.h"

constexpr TColor kCoverColour = 0x0000AA;
constexpr TColor kSubjectColour = 0xAA5500;

// Every letter picture a colour of its own, none of them a board colour.
inline TColor LetterColour(int letter) { return 0x200000u + static_cast<TColor>(letter) * 0x000101u; }

class FakeView : public BoardView {
public:
    Picture board{1369, 361};
    Picture subject{201, 201};
    std::optional<Picture> cover = SolidPicture(90, 90, kCoverColour);
    ContentLocation content;
    std::uint32_t seed = 12345;
    bool timerRunning = true;
    int hideForward = 0, starts = 0, stops = 0, solved = 0;

    Picture& BoardSurface() override { return board; }
    Picture& SubjectSurface() override { return subject; }
    const Picture* Cover() override { return cover ? &*cover : nullptr; }
    const ContentLocation& Content() override { return content; }
    std::uint32_t ClockSeed() override { return seed; }
    void HideForward() override { ++hideForward; }
    void StartTimer() override { ++starts, timerRunning = true; }
    void StopTimer() override { ++stops, timerRunning = false; }
    void WordSolved() override { ++solved; }

    TColor At(int x, int y) const { return board.ColorAt(x, y); }
    // Paints the surface white, so a test can tell whether the board was repainted since.
    void Whiten() { board = Picture(board.Width(), board.Height()); }
};

// The puzzle of `word` (code page 1251) as set-up would leave it, with the tiles in the
// given order in the top row (default: unshuffled), without reading any file.
inline void LayBoard(Board& board, const std::string& word, std::string tileOrder = {}) {
    if (tileOrder.empty()) tileOrder = word;
    const int n = static_cast<int>(word.size());
    const int left = RowLeft(1369, 90, n);
    board.CurrentWord = word;
    board.LetterCount = n;
    board.InputEnabled = true;
    for (int i = 1; i <= n; ++i) {
        Tile& t = board.Tiles[i];
        t = Tile{};
        t.letter = LetterNumber(static_cast<unsigned char>(tileOrder[i - 1]));
        t.home = i;
        t.x = left + (i - 1) * 100;
        t.y = 10;
        t.image = std::make_unique<Picture>(SolidPicture(90, 90, LetterColour(t.letter)));
        board.Slots[i] = Slot{LetterNumber(static_cast<unsigned char>(word[i - 1])), 0, 0, t.x, 200, clGrey};
    }
}

inline int RecordOf(const Board& board, int home) {
    for (int i = 1; i <= board.LetterCount; ++i)
        if (board.Tiles[i].home == home) return i;
    return 0;
}

inline void Ticks(Board& board, FakeView& view, int n) {
    for (int k = 0; k < n; ++k) MoveTick(board, view);
}

// Takes the tile of `home` by its middle and lets it go with its corner at (x, y).
inline void DragTo(Board& board, FakeView& view, int home, int x, int y) {
    const Tile& t = board.Tiles[RecordOf(board, home)];
    BoardMouseDown(board, view, t.x + 45, t.y + 45);
    BoardMouseMove(board, view, x + 45, y + 45);
    BoardMouseUp(board, view);
}

// Drops the tile of `home` into slot j, centred on it, and lets the glide finish.
inline void PlaceInto(Board& board, FakeView& view, int home, int j) {
    DragTo(board, view, home, board.Slots[j].x, board.Slots[j].y);
    ASSERT_EQ(board.Tiles[RecordOf(board, home)].slot, j);
    Ticks(board, view, 11);
}

// Letter pictures for the letters of the words, and a subject picture for each word.
inline void WriteContent(const TempDir& dir, std::initializer_list<std::string> words) {
    for (const std::string& word : words) {
        for (const char c : word) {
            const int n = LetterNumber(static_cast<unsigned char>(c));
            dir.Write("Morvadel/Буквы/one1/" + std::to_string(n) + ".bmp",
                      EncodeBmp24(SolidPicture(90, 90, LetterColour(n))));
        }
        dir.Write("subjects/" + Cp1251ToUtf8(word) + ".bmp", EncodeBmp24(SolidPicture(100, 80, kSubjectColour)));
    }
}
