// What every screen of the parents' corner shares: what it works with (the window, where the
// content is, the corner's own copies of the children and the words), and how it says what
// comes next. Each screen is a class with its own named controls and state; the shell
// (ParentsCorner) switches between them and tells the game window what changed.
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "game/Children.h"
#include "game/ContentLocation.h"
#include "game/FamilyWords.h"
#include "game/WordList.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Picture.h"
#include "platform/toolkit/Window.h"

// What the window has to do after the corner changed something of the game's.
struct CornerOutcome {
    bool childrenChanged = false;  // lay the choice screen's children out again
    bool wordsChanged = false;     // read the played words and the family's words again
    bool closed = false;           // the corner has been left

    bool Any() const { return childrenChanged || wordsChanged || closed; }
};

struct CornerContext {
    Window& window;
    const ContentLocation& content;
    std::function<std::time_t()> now;
    std::function<std::uint32_t()> random;
    int longestWord;  // what the board holds
    // A child's id is how every other device knows them: drawn from the system's own entropy,
    // never from the source tests fix for the gate, so two devices never make the same.
    std::function<std::uint32_t()> ids;
};

// The corner's own copies of what it shows and changes; the game window reads them back when
// the outcome says they changed, never through a reference into the window.
struct CornerData {
    ChildList children;
    FamilyWords family;
    WordList words;  // as the game plays them, the family's on their lines
    CornerOutcome outcome;

    // Read afresh from the files, as the corner opens.
    void Load(const ContentLocation& content);
    // The played words again, after the family's words changed.
    void WordsChanged(const ContentLocation& content);
};

// Where the corner goes next, and with what.
struct CornerStep {
    enum class To { Stay, Closed, Figures, Name, FamilyWords, WordText, Picture, Replace, Voices, Voice, Letters, Files };
    To to = To::Stay;
    bool repaint = false;  // staying: the page shows something new

    int child = -1;         // Figures, Letters, Files: whose (-1: the one shown last); Name: whose name is changed
    bool renaming = false;  // Name: a name changed, not a child added
    std::string word;       // Picture, Replace, Voice: the word (code page 1251)
    bool newWord = false;   // Picture: for a word being added, not a new picture for one there
    std::shared_ptr<const Picture> picture;  // Replace: the photo, upright
    SquareCrop crop;                         // and the part of it that becomes the picture
    int letter = 0;          // Voice: a letter's voice, not a word's
    int level = 0;           // Voices: 0 the letters, 1 to 4 a level's words; Voice: where it came from
    bool fromFamily = false; // Voice: it came from the family's words (a family word's voice)

    static CornerStep Stay() { return {}; }
    static CornerStep Repaint() {
        CornerStep s;
        s.repaint = true;
        return s;
    }
    static CornerStep Go(To to) {
        CornerStep s;
        s.to = to;
        return s;
    }
};

class CornerScreen {
public:
    virtual ~CornerScreen() = default;

    // Adds the screen's controls, hidden; `go` is how its controls' handlers say what comes next.
    virtual void AddControls(Window& window, std::function<void(const CornerStep&)> go) = 0;
    virtual void Enter(const CornerStep& step) = 0;  // shows the screen's controls
    virtual void Leave() = 0;                        // hides them, and stops what it was doing
    // Whether the screen is drawn on the corner's page (all but the gate).
    virtual bool OnPage() const { return true; }
    virtual void Paint(Picture& /*page*/) {}

    // The page's pointer, in page coordinates; keys and typing; a file dropped on the window.
    virtual CornerStep Pressed(int /*x*/, int /*y*/) { return {}; }
    virtual CornerStep Moved(int /*x*/, int /*y*/) { return {}; }
    virtual CornerStep Released(int /*x*/, int /*y*/) { return {}; }
    virtual CornerStep KeyDown(Key key) = 0;
    virtual CornerStep Typed(const std::string& /*cp1251*/) { return {}; }
    virtual CornerStep Dropped(const std::string& /*utf8Path*/) { return {}; }
    // The window's ticks, while NeedsTicks: a hold counted, a recording's meter, work done in
    // the background looked for.
    virtual bool NeedsTicks() const { return false; }
    virtual CornerStep Tick() { return {}; }
};
