// Picking up, dragging and dropping tiles with the pointer, and the checks that go with a
// drop: the nearest free cell and whether the word is complete.
#include "game/Dragging.h"

#include <cmath>
#include <utility>

#include "game/Movement.h"
#include "game/Puzzle.h"

namespace {

// The tile is only moved while the pointer keeps this far from the left, right and bottom
// edges, so a child cannot push it off the board; the top is left free.
constexpr int kLimitLeft = 60;
constexpr int kLimitRight = 50;
constexpr int kLimitBottom = 50;
constexpr double kCaptureRadius = 90.0;

// A lifted tile is no longer in any cell, however quickly it is lifted: otherwise a tile
// snatched during its glide would leave its cell counted as filled. The cell goes back to
// grey: it kept the lime of the drop under the tile, and would stay lit, empty, once the
// tile is carried off faster than the next move can offer the cell again.
void FreeSlotsOf(Board& board, Tile& tile) {
    for (int j = 1; j <= board.LetterCount; ++j) {
        Slot& slot = board.Slots[j];
        if (slot.tileHome == tile.home) {
            slot.placed = 0;
            slot.tileHome = 0;
            slot.colour = clGrey;
        }
    }
    tile.slot = 0;
}

// Record i has just moved to the end and the records after it have moved down one place.
// Entries name tiles by record, so they are renumbered to keep pulling the same tiles; the
// lifted tile's own glide ends here, since the child now holds it.
void FollowRenumbering(Board& board, int i) {
    MoveQueue& queue = board.Queue;
    const int last = board.LetterCount;
    int kept = 0;
    for (int k = 1; k <= queue.count; ++k) {
        MoveEntry e = queue.entries[k];
        if (e.tile == i) continue;
        if (e.tile > i && e.tile <= last) --e.tile;
        queue.entries[++kept] = e;
    }
    if (kept == queue.count) return;
    // The freed entries count as legs run to their end, so a later drop starts afresh.
    for (int k = kept + 1; k <= queue.count; ++k) queue.entries[k] = MoveEntry{};
    queue.count = kept;
    if (kept == 0) queue.running = false;
}

}  // namespace

BoardOutcome BoardMouseDown(Board& board, int x, int y) {
    BoardOutcome outcome;
    if (!board.InputEnabled) return outcome;
    const int w = board.TileSize.width, h = board.TileSize.height;
    for (int i = board.LetterCount; i >= 1; --i) {
        Tile& hit = board.Tiles[i];
        if (!(hit.x < x && x < hit.x + w && hit.y < y && y < hit.y + h)) continue;
        hit.dragging = true;
        hit.grabDx = x - hit.x;
        hit.grabDy = y - hit.y;
        FreeSlotsOf(board, hit);
        // Painted last and hit first from now on.
        Tile picked = hit;
        for (int k = i; k < board.LetterCount; ++k) board.Tiles[k] = board.Tiles[k + 1];
        board.Tiles[board.LetterCount] = picked;
        FollowRenumbering(board, i);
        board.DraggedTile = board.LetterCount;
        outcome.pickedUp = picked.letter;
        break;
    }
    outcome.repaint = true;  // whether or not a tile was picked up, as the rules repaint
    return outcome;
}

BoardOutcome BoardMouseMove(Board& board, int x, int y, BoardSize size) {
    BoardOutcome outcome;
    if (board.DraggedTile == 0 || x <= kLimitLeft || x >= size.width - kLimitRight || y >= size.height - kLimitBottom)
        return outcome;
    board.PointerPos = {x, y};
    Tile& tile = board.Tiles[board.DraggedTile];
    tile.x = x - tile.grabDx;
    tile.y = y - tile.grabDy;
    if (board.HighlightedSlot != 0) board.Slots[board.HighlightedSlot].colour = clGrey;
    board.HighlightedSlot = NearestFreeSlot(board, board.DraggedTile);
    if (board.HighlightedSlot != 0) board.Slots[board.HighlightedSlot].colour = clLime;
    outcome.repaint = true;
    return outcome;
}

BoardOutcome BoardMouseUp(Board& board) {
    BoardOutcome outcome;
    if (board.DraggedTile == 0) return outcome;
    Tile& tile = board.Tiles[board.DraggedTile];
    tile.dragging = false;
    if (const int s = board.HighlightedSlot; s != 0) {
        Slot& slot = board.Slots[s];
        // Step and second leg are left as they are: a drop during a running glide goes on
        // counting that glide's steps.
        MoveEntry& e = board.Queue.entries[1];
        e.targetX = slot.x;
        e.targetY = slot.y;
        e.tile = board.DraggedTile;
        e.duration = kDropDuration;
        board.Queue.count = 1;
        board.Queue.running = true;
        slot.placed = tile.letter;
        slot.tileHome = tile.home;
        tile.slot = s;
        outcome.drop = Drop{s, tile.letter, slot.expected};
        // The slot stays lime until the next highlight change resets it.
        board.HighlightedSlot = 0;
    }
    // Checked at the release, while the dropped tile is still gliding.
    outcome.solved = IsWordComplete(board);
    board.DraggedTile = 0;
    return outcome;
}

BoardOutcome BoardMouseCancel(Board& board, int boardWidth) {
    BoardOutcome outcome;
    if (board.DraggedTile == 0) return outcome;
    Tile& tile = board.Tiles[board.DraggedTile];
    tile.dragging = false;
    if (board.HighlightedSlot != 0) board.Slots[board.HighlightedSlot].colour = clGrey;
    board.HighlightedSlot = 0;
    // As a drop does, the glide takes entry 1 and goes on counting its steps.
    MoveEntry& e = board.Queue.entries[1];
    e.targetX = RowLeft(boardWidth, board.TileSize.width, board.LetterCount) + (tile.home - 1) * kTileStep;
    e.targetY = kTopRowY;
    e.tile = board.DraggedTile;
    e.duration = kDropDuration;
    board.Queue.count = 1;
    board.Queue.running = true;
    board.DraggedTile = 0;
    outcome.repaint = true;
    return outcome;
}

int NearestFreeSlot(const Puzzle& board, int tile) {
    const Tile& t = board.Tiles[tile];
    const int half = static_cast<int>(std::nearbyint(board.TileSize.width / 2.0));
    const int cx = t.x + half, cy = t.y + half;
    double best = kCaptureRadius;
    int result = 0;
    for (int j = 1; j <= board.LetterCount; ++j) {
        const Slot& slot = board.Slots[j];
        const int dx = slot.x + half - cx, dy = slot.y + half - cy;
        const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
        // Strictly nearer only, so on equal distance the lower-numbered slot keeps it.
        if (d < best && slot.placed == 0) {
            best = d;
            result = j;
        }
    }
    return result;
}

bool IsWordComplete(const Puzzle& board) {
    for (int j = 1; j <= board.LetterCount; ++j)
        if (board.Slots[j].placed != board.Slots[j].expected) return false;
    return true;
}
