// Moving a child between devices and keeping copies: the child's record as a table, the child
// in one file (with the family's words when ticked) and back, every child of this device in
// one file and back, and a child's play started over.
#pragma once
#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class ChildFilesScreen : public CornerScreen {
public:
    ChildFilesScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;
    CornerStep Dropped(const std::string& utf8Path) override;

    // A file of children read and taken in: new children added, for one already here the
    // parent asked whose state to keep (unless `restoring`, where the file's is taken), the
    // records joined. What came of it is said. Shared with the figures screen, where a file
    // may be dropped too. Returns the first child of the file as they are now listed here,
    // to be shown; -1 when none is.
    static int TakeFile(CornerContext& c, CornerData& data, const std::string& utf8Path, bool restoring);
    // A name ends as the game's files do: dropped files of other kinds are not children.
    static bool IsChildrenFile(const std::string& utf8Path);

    int Selected() const { return child_; }
    bool WithFamily() const { return withFamily_; }
    static Rect TickArea();

    Button btnExport{"btnFilesExport", corner::ButtonArea(0, 7)};
    Button btnSaveChild{"btnFilesSaveChild", corner::ButtonArea(1, 7)};
    Button btnAddFromFile{"btnFilesAdd", corner::ButtonArea(2, 7)};
    Button btnSaveAll{"btnFilesSaveAll", corner::ButtonArea(3, 7)};
    Button btnRestoreAll{"btnFilesRestoreAll", corner::ButtonArea(4, 7)};
    Button btnStartOver{"btnFilesStartOver", corner::ButtonArea(5, 7)};
    Button btnBack{"btnFilesBack", corner::ButtonArea(6, 7)};

private:
    CornerStep Export();
    CornerStep SaveChild();
    CornerStep SaveAll();
    CornerStep Ask(bool restoring);
    CornerStep StartOver();
    const Child& Shown() const { return data_.children.children[static_cast<std::size_t>(child_)]; }

    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    int child_ = 0;
    bool withFamily_ = false;
    bool tickPressed_ = false;
    bool restoring_ = false;  // the file the chooser brings is to restore everything from
    std::string said_;        // what the last step did, in a line on the page (code page 1251)
};
