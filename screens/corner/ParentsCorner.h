// The parents' corner: reached from the choice screen's gear past a gate a young child cannot
// pass, it shows each child's figures from the learning record, and lets a parent add, rename
// and remove children, choose how each child's words are drawn, export a child's record, carry
// children to another device in a file, add the family's own words with their pictures, and
// record their own voice for a word or a letter. This shell holds the screens, one class
// each, switches between them as they say, and keeps what the game window must act on.
#pragma once
#include <vector>

#include "screens/corner/CornerPaint.h"
#include "screens/corner/ChildFilesScreen.h"
#include "screens/corner/CornerScreen.h"
#include "screens/corner/FamilyWordsScreen.h"
#include "screens/corner/FiguresScreen.h"
#include "screens/corner/GateScreen.h"
#include "screens/corner/LettersScreen.h"
#include "screens/corner/NameScreen.h"
#include "screens/corner/PictureScreen.h"
#include "screens/corner/ReplaceScreen.h"
#include "screens/corner/VoiceScreen.h"
#include "screens/corner/VoicesScreen.h"
#include "screens/corner/WordTextScreen.h"

class ParentsCorner {
public:
    explicit ParentsCorner(CornerContext context);
    ParentsCorner(const ParentsCorner&) = delete;
    ParentsCorner& operator=(const ParentsCorner&) = delete;

    // Adds the corner's controls to the window, above everything added before.
    void AddControls();

    // The gear, from the choice screen: asks the gate's question.
    void OpenGate();
    bool GateOpen() const { return current_ == &gate; }
    bool Open() const { return current_ != nullptr && current_ != &gate; }
    // Holds counted, a recording's meter, work done in the background: ticks are wanted.
    bool NeedsTicks() const { return current_ && current_->NeedsTicks(); }
    void Tick();
    // Keys and typing while the corner is open; false when they are not the corner's.
    bool KeyDown(Key key);
    bool TextTyped(const std::string& cp1251);
    // A picture file dropped on the window (or picked in the system's chooser).
    void FileDropped(const std::string& utf8Path);
    // What the host keeps changed (a browser's offline copy): the page shows it afresh.
    void SystemChanged();

    // What the window has to act on since it last asked; then nothing, until the next change.
    CornerOutcome TakeOutcome();
    // The children as the corner left them, for the window to take when they changed.
    const ChildList& Children() const { return data_.children; }

    PictureControl imgGear{"imgGear", {1304, 636, 52, 52}};
    PictureControl imgCorner{"imgCorner", {0, 0, 1369, 700}};  // the page the screens are drawn on

    // The screens, in the order their controls are added.
    GateScreen gate;
    FiguresScreen figures;
    NameScreen name;
    FamilyWordsScreen familyWords;
    WordTextScreen wordText;
    PictureScreen picture;
    ReplaceScreen replace;
    VoicesScreen voices;
    VoiceScreen voice;
    LettersScreen letters;
    ChildFilesScreen files;

    const CornerScreen* Current() const { return current_; }
    // Goes where a step says, as a screen's press does: past the gate, a screen's way in.
    void Go(const CornerStep& step);

private:
    CornerScreen* ScreenFor(CornerStep::To to);
    void PaintPage();
    void PaintGear(Picture& p) const;

    CornerContext c_;
    CornerData data_;
    CornerPainter painter_;
    CornerScreen* current_ = nullptr;
};
