// Drives the real window on the headless host by window coordinates, as a child would.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/HeadlessHost.h"
#include "screens/TFWords.h"
#include "tests/support/Content.h"

class GameTest : public ::testing::Test {
protected:
    TempDir dir;
    HeadlessHost host;
    std::unique_ptr<TFWords> form;

    void Start(const std::vector<std::string>& words = Repeat("КОТ"), ContentOptions options = {}) {
        WriteContent(dir, words, options);
        Open();
    }
    void Open() { form = std::make_unique<TFWords>(host, ContentLocation::InFolder(dir.Path())); }
    Window& W() { return form->GetWindow(); }
    Board& B() { return form->board; }

    void ClickOn(const Control& c) {
        const Rect r = c.Bounds();
        host.Click(W(), r.x + r.w / 2, r.y + r.h / 2);
    }
    void ChooseGirl() { ClickOn(form->ImgA); }
    void ChooseBoy() { ClickOn(form->imgE); }
    void ChooseWhite() { ClickOn(form->lblWhite); }
    void Play(const std::string& progress = "") {
        if (!progress.empty()) dir.Write("Confif.cnf", progress);
        ChooseGirl();
        ChooseWhite();
    }

    // Board coordinates to window coordinates: the board lies 16 pixels left of the window.
    static int WX(int boardX) { return boardX - 16; }

    // Drags tile record t by its centre onto the centre of slot s and lets go there.
    void DragTileToSlot(int t, int s) {
        const Tile& tile = B().Tiles[t];
        const Slot& slot = B().Slots[s];
        host.Drag(W(), WX(tile.x + 45), tile.y + 45, WX(slot.x + 45), slot.y + 45);
    }

    // Puts every letter into its right cell by dragging, then lets the glides finish.
    void SolveWord() {
        for (int s = 1; s <= B().LetterCount; ++s) {
            for (int t = 1; t <= B().LetterCount; ++t) {
                const Tile& tile = B().Tiles[t];
                if (tile.slot == 0 && tile.y == kTopRowY && tile.letter == B().Slots[s].expected) {
                    DragTileToSlot(t, s);
                    break;
                }
            }
        }
        host.Ticks(W(), 12);
    }

    bool Shows(const std::string& text) const {
        for (const std::string& m : host.messages)
            if (m == text) return true;
        return false;
    }
};
