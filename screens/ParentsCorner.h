// The parents' corner: reached from the choice screen's gear past a gate a young child cannot
// pass (hold, for three seconds, the number written in words), it shows each child's figures
// from the learning record, and lets a parent add, rename and remove children and export a
// child's record. Its controls lie above the game's; the window holds them all.
#pragma once
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "game/Children.h"
#include "game/ContentLocation.h"
#include "game/LearningFigures.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Window.h"

class ParentsCorner {
public:
    struct Context {
        Window& window;
        const ContentLocation& content;
        ChildList& children;
        std::function<std::time_t()> now;
        std::function<std::uint32_t()> random;
        std::function<void()> childrenChanged;  // the choice screen lays out the children again
    };
    explicit ParentsCorner(Context context);

    // Adds the corner's controls to the window, above everything added before.
    void AddControls();

    // The gear, from the choice screen: asks the gate's question.
    void OpenGate();
    bool GateOpen() const { return mode_ == Mode::Gate; }
    bool Open() const { return mode_ == Mode::Figures || mode_ == Mode::Name; }
    // The gate's hold counts the window's ticks while a number is held.
    bool NeedsTicks() const { return holding_; }
    void Tick();
    // Keys and typing while the corner is open; false when they are not the corner's.
    bool KeyDown(Key key);
    bool TextTyped(const std::string& cp1251);

    // The gate's question: the number asked for, and the four shown (one of them it).
    int GateAnswer() const { return answer_; }
    const std::array<int, 4>& GateNumbers() const { return numbers_; }
    int SelectedChild() const { return selected_; }
    const ChildFigures& Figures() const { return figures_; }
    const std::string& NameTyped() const { return name_; }

    // Controls, in creation order.
    PictureControl imgGear{"imgGear", {1304, 636, 52, 52}};
    PictureControl imgGateShade{"imgGateShade", {0, 0, 1369, 700}};
    PictureControl imgGate{"imgGate", {284, 170, 800, 360}};
    std::array<std::unique_ptr<Button>, 4> btnGate;
    PictureControl imgCorner{"imgCorner", {0, 0, 1369, 700}};
    Button btnCornerExport{"btnCornerExport", {24, 630, 230, 52}};
    Button btnCornerAdd{"btnCornerAdd", {270, 630, 260, 52}};
    Button btnCornerRename{"btnCornerRename", {546, 630, 230, 52}};
    Button btnCornerRemove{"btnCornerRemove", {792, 630, 180, 52}};
    Button btnCornerBack{"btnCornerBack", {1165, 630, 180, 52}};
    Button btnNameErase{"btnNameErase", {334, 620, 200, 52}};
    Button btnNameDone{"btnNameDone", {584, 620, 200, 52}};
    Button btnNameCancel{"btnNameCancel", {834, 620, 200, 52}};

    // Where things lie in the corner's picture, for the pointer and for tests.
    static Rect TabArea(int child);
    static Rect KeyArea(int key);  // 0..32 the letters А..Я (Ё seventh), 33 a space
    static Rect PortraitArea(int portrait);  // 1..kPortraits
    static Rect BarArea(int day, bool minutes);  // the column of a day's bar in its chart

private:
    enum class Mode { Closed, Gate, Figures, Name };

    void CloseGate();
    void ShowFigures(int child);
    void Close();
    void StartName(bool renaming);
    void FinishName();
    void ExportRecord();
    void RemoveChild();
    void Show(Mode mode);
    void CornerPressed(int x, int y);
    void CornerReleased(int x, int y);

    void PaintGear(Picture& p) const;
    void PaintGate();
    void PaintCorner();
    void PaintFigures(Picture& p);
    void PaintName(Picture& p);
    void Text(Picture& p, const std::string& cp1251, int size, bool bold, TColor colour, int x, int y) const;
    int TextWidth(const std::string& cp1251, int size, bool bold) const;
    // A letter's tile at a size, from the content's letter pictures, remembered.
    const Picture* Tile(int letter, int size);
    const Picture& Portrait(int portrait, int size);

    Context c_;
    Mode mode_ = Mode::Closed;
    int answer_ = 0;
    std::array<int, 4> numbers_{};
    bool holding_ = false;
    int heldTicks_ = 0;
    int selected_ = 0;
    ChildFigures figures_;
    int score_ = -1;  // the selected child's progress file; -1 when it holds no number
    bool renaming_ = false;
    std::string name_;
    int portrait_ = 1;
    int pressedAt_ = -1;  // the key or portrait the pointer went down on, as KeyArea numbers them
    std::map<std::pair<int, int>, Picture> tiles_;
    std::map<std::pair<int, int>, Picture> portraits_;
};

// The number in Russian words, 1 to 99: "семьдесят три".
std::string NumberInWords(int n);
